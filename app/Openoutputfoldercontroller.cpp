#include "app/Openoutputfoldercontroller.h"

#include "engine/IExtractModel.h"
#include "platform/classlib/MessageDlg.h"
#include "platform/shell/ShellLauncher.h"

OpenOutputFolderController::OpenOutputFolderController(IExtractModel* extractModel)
    : extractModel(extractModel)
{
}

OpenOutputFolderController::~OpenOutputFolderController() = default;

std::string OpenOutputFolderController::doExecute(IValueObject*)
{
    const std::string folder = extractModel->getOutputDirectory();
    if (!ShellLauncher::openFolder(folder)) {
        MessageDlg("\n出力フォルダー「" + folder + "」を開けませんでした。", mtError, TMsgDlgButtons{mbOK}, 0);
        return "Failure";
    }
    return "Success";
}
