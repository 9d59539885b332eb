#pragma once

#include "app/Openviewcontroller.h"

class IConfigModel;
class IValueObject;
class IView;

// Opens the file-option dialog. The settings model notifies first, so the dialog always shows the
// stored settings and edits abandoned by an earlier Cancel are gone.
class OpenFileOptionController : public OpenViewController {
public:
    OpenFileOptionController(IView* view, IConfigModel* configModel);
    ~OpenFileOptionController() override;

protected:
    void beforeExecute(IValueObject* values) override;

private:
    IConfigModel* configModel;  // not owned
};
