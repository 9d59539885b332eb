#pragma once

#include "app/IPluginOptionView.h"
#include "framework/Formview.h"

class IController;
class IObservable;
class IPluginModel;
class IValueObject;
class TPluginOptionForm;

// The plug-in settings dialog's view. A notification of the plug-in model builds the list when it
// is empty, when "Operation" is "REFRESH", or when its rows no longer stand for the model's
// plug-ins one by one (plug-ins added, removed or reordered since the rows were built); every
// notification then sets every row's check box from its plug-in and selects the selected row
// again (row 0 when there was none), which runs the selection handlers. A rebuild for rows that no
// longer mirror the model keeps the selected plug-in selected when it is still loaded.
class PluginOptionView : public FormView, public virtual IPluginOptionView {
public:
    // The form is not owned; the factory destroys it after the view.
    explicit PluginOptionView(TPluginOptionForm* form);
    ~PluginOptionView() override;

    // Modal: returns once the dialog has closed.
    void show() override;
    void getValues(IValueObject* values) override;

    void setOKController(IController* controller) override;
    void setCancelController(IController* controller) override;
    void setSwitchEnabledController(IController* controller) override;
    void setRefreshController(IController* controller) override;
    void setPropertyController(IController* controller) override;
    void setSelectController(IController* controller) override;

    void update(IObservable* source, IValueObject* values) override;

private:
    bool rowsMirror(IPluginModel* model) const;
    void rebuild(IPluginModel* model);

    TPluginOptionForm* pluginOptionForm;
};
