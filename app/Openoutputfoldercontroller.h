#pragma once

#include "app/Eventcontroller.h"

#include <string>

class IExtractModel;
class IValueObject;

// The extraction dialog's "出力フォルダーを開く": shows the output folder of the last run in the
// desktop's file manager. An error box and "Failure" when it cannot be opened.
class OpenOutputFolderController : public EventController {
public:
    explicit OpenOutputFolderController(IExtractModel* extractModel);
    ~OpenOutputFolderController() override;

protected:
    std::string doExecute(IValueObject* values) override;

private:
    IExtractModel* extractModel;  // not owned
};
