#pragma once

#include "app/Closeviewcontroller.h"

class IConfigModel;
class IValueObject;
class IView;

// The file-option dialog's OK: applies the dialog's values to the settings model, saves
// config.xml and closes the dialog. A failure of the framework's family is shown to the user with
// its message and the steps after it are skipped; the dialog closes all the same.
class FileOptionOKController : public CloseViewController {
public:
    FileOptionOKController(IView* view, IConfigModel* configModel);
    ~FileOptionOKController() override;

protected:
    void beforeExecute(IValueObject* values) override;

private:
    IConfigModel* configModel;  // not owned
};
