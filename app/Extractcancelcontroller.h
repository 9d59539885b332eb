#pragma once

#include "app/Eventcontroller.h"
#include "platform/classlib/Types.h"

#include <string>

class IExtractModel;
class IValueObject;
class TObject;

// Aborts the extraction: wired to the dialog's button while a run goes and to the dialog's
// closing, so that closing the dialog by any means during a run cancels it. After the run has
// ended the abort finds no worker and does nothing.
class ExtractCancelController : public EventController {
public:
    explicit ExtractCancelController(IExtractModel* extractModel);
    ~ExtractCancelController() override;

    // The form's OnClose: the close action stays as the form set it, so the form closes.
    virtual void onClose(TObject* sender, TCloseAction& action);

protected:
    std::string doExecute(IValueObject* values) override;

private:
    IExtractModel* extractModel;  // not owned
};
