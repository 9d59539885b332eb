#include "app/Extractcontroller.h"

#include "app/IGlintfetchFactory.h"
#include "engine/IExtractModel.h"
#include "framework/IRunnable.h"
#include "framework/IThread.h"
#include "framework/IValueObject.h"
#include "platform/classlib/MessageDlg.h"

#include <cstdint>

ExtractController::ExtractController(IView* view, IExtractModel* extractModel, IGlintfetchFactory* factory)
    : OpenViewController(view)
    , extractModel(extractModel)
    , factory(factory)
{
}

ExtractController::~ExtractController() = default;

std::string ExtractController::doExecute(IValueObject* values)
{
    const std::string directory = values->getValue("outputDirectory");
    extractModel->setOutputDirectory(directory);
    if (directory.empty()) {
        MessageDlg("\n出力先にディレクトリを指定して下さい。", mtError, TMsgDlgButtons{mbOK}, 0);
        return "Failure";
    }

    const std::uint32_t count = values->getValueCount("inputFiles");
    if (count == 0) {
        MessageDlg("\n入力ファイルが指定されていません。", mtError, TMsgDlgButtons{mbOK}, 0);
        return "Failure";
    }
    extractModel->clearInputFiles();
    for (std::uint32_t i = 0; i < count; ++i) {
        extractModel->addInputFile(values->getValue("inputFiles", i));
    }
    extractModel->prepare();

    const int answer = MessageDlg("総ファイルサイズ " + extractModel->getTotalSizeText() + "\n実行します。よろしいですか。",
                                  mtWarning, TMsgDlgButtons{mbOK, mbCancel}, 0);
    if (answer != mrOk) {
        return "Cancelled";
    }

    IThread* worker = factory->createThread(static_cast<IRunnable*>(extractModel));
    worker->start();
    OpenViewController::doExecute(values);
    return "Success";
}
