#pragma once

#include "app/IFileOptionView.h"
#include "framework/Formview.h"
#include "framework/IObserver.h"

class IController;
class IObservable;
class IValueObject;
class TFileOptionForm;

// The file-option dialog's view. Values: "isCreateDirPerFile" and "isCreateDirPerData" ("true" or
// "false"), "extractFileSizeFrom" and "extractFileSizeTo" (the size texts exactly as typed),
// "isKeepDamaged" ("true" or "false": finds over unreadable sectors are written with zeros). A
// notification of the settings model refills the controls from the model; other sources are
// ignored.
class FileOptionView : public FormView, public virtual IObserver, public virtual IFileOptionView {
public:
    // The form is not owned; the factory destroys it after the view.
    explicit FileOptionView(TFileOptionForm* form);
    ~FileOptionView() override;

    // Modal: returns once the dialog has closed.
    void show() override;
    void getValues(IValueObject* values) override;

    void setOKController(IController* controller) override;
    void setCancelController(IController* controller) override;

    void update(IObservable* source, IValueObject* values) override;

private:
    TFileOptionForm* fileOptionForm;
};
