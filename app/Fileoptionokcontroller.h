#pragma once

#include "app/Closeviewcontroller.h"

#include <string>

class IConfigModel;
class IValueObject;
class IView;

// The file-option dialog's OK: checks the dialog's values, applies them to the settings model,
// saves config.xml and closes the dialog.
//
// A size that is no number, a negative one, one below a byte (it would be stored as 0 bytes, that
// is, as no bound or as nothing fits) or past the range, and a lower bound above the upper bound
// (nothing could ever be extracted) are refused with a message naming the field, and the dialog
// stays open with the edits as typed; nothing is applied. A failure of the framework's family
// while applying or saving is shown with its message and the steps after it are skipped; the
// dialog closes all the same.
class FileOptionOKController : public CloseViewController {
public:
    FileOptionOKController(IView* view, IConfigModel* configModel);
    ~FileOptionOKController() override;

protected:
    std::string doExecute(IValueObject* values) override;

private:
    // Why the dialog's values cannot be taken; empty when they can.
    static std::string refusalOf(IValueObject* values);

    IConfigModel* configModel;  // not owned
};
