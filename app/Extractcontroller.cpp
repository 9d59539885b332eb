#include "app/Extractcontroller.h"

#include "app/IGlintfetchFactory.h"
#include "engine/IConfigModel.h"
#include "engine/IExtractModel.h"
#include "engine/IPluginModel.h"
#include "framework/Exception.h"
#include "framework/IResource.h"
#include "framework/IRunnable.h"
#include "framework/IThread.h"
#include "framework/IValueObject.h"
#include "platform/classlib/MessageDlg.h"

#include <cstdint>
#include <memory>
#include <mutex>

namespace {

void refuse(const std::string& text)
{
    MessageDlg(text, mtError, TMsgDlgButtons{mbOK}, 0);
}

// What keeps the run from writing into the folder, or "" when nothing that can be seen now does.
std::string folderProblem(const std::string& directory)
{
    std::unique_ptr<IGlintfetchFactory> shortLived = createGlintfetchFactory();
    IResource* folder = shortLived->createResource();
    folder->setPath(directory);
    const std::string path = folder->getPath();
    if (!folder->exists()) {
        return "\n出力先のフォルダー「" + path + "」がありません。";
    }
    if (!folder->isDirectory()) {
        return "\n出力先「" + path + "」はフォルダーではありません。";
    }
    if (!folder->isWritable()) {
        return "\n出力先のフォルダー「" + path + "」に書き込めません。書き込みできるフォルダーを指定して下さい。";
    }
    return "";
}

// 1234567 as "1,234,567".
std::string groupedDigits(std::uint64_t value)
{
    std::string digits = std::to_string(value);
    for (std::size_t at = digits.size(); at > 3; at -= 3) {
        digits.insert(at - 3, ",");
    }
    return digits;
}

}  // namespace

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
        refuse("\n出力先にディレクトリを指定して下さい。");
        return "Failure";
    }
    const std::string folderText = folderProblem(directory);
    if (!folderText.empty()) {
        refuse(folderText);
        return "Failure";
    }

    const std::uint32_t count = values->getValueCount("inputFiles");
    if (count == 0) {
        refuse("\n入力ファイルが指定されていません。");
        return "Failure";
    }
    const std::string pluginText = pluginProblem();
    if (!pluginText.empty()) {
        refuse(pluginText);
        return "Failure";
    }
    extractModel->clearInputFiles();
    for (std::uint32_t i = 0; i < count; ++i) {
        extractModel->addInputFile(values->getValue("inputFiles", i));
    }
    extractModel->prepare();

    unsigned high = 0;
    unsigned low = 0;
    extractModel->getTotalSize(&high, &low);
    const std::uint64_t total = (static_cast<std::uint64_t>(high) << 32) | low;
    const int answer = MessageDlg("総ファイルサイズ " + extractModel->getTotalSizeText() + "（" + groupedDigits(total) +
                                      " バイト）\n出力先 " + directory + "\n実行します。よろしいですか。",
                                  mtWarning, TMsgDlgButtons{mbOK, mbCancel}, 0);
    if (answer != mrOk) {
        return "Cancelled";
    }
    rememberOutputFolder(directory);

    IThread* worker = factory->createThread(static_cast<IRunnable*>(extractModel));
    worker->start();
    OpenViewController::doExecute(values);
    return "Success";
}

void ExtractController::rememberOutputFolder(const std::string& directory)
{
    IConfigModel* settings = factory->createConfigModel();
    settings->setOutputFolder(directory);
    try {
        settings->save();
    } catch (const Exception&) {
        // Only the next session's first choice is lost; the run tells of a folder it cannot use.
    }
}

std::string ExtractController::pluginProblem()
{
    IPluginModel* plugins = factory->createPluginModel();
    IConfigModel* settings = factory->createConfigModel();
    // The worker of a cancelled run may still be inside its last plug-in call: waiting for it
    // would freeze the window. The run that follows finds out for itself then.
    std::unique_lock<std::recursive_mutex> hold = plugins->tryHoldPlugins();
    if (!hold.owns_lock()) {
        return "";
    }
    // The run reads the settings anew as well, and says so itself when it cannot.
    try {
        settings->load();
    } catch (const Exception&) {
        return "";
    }
    plugins->loadPlugins(settings);
    const unsigned found = plugins->getPluginCount();
    if (found == 0) {
        return "\nプラグインが見つかりません。プログラムのフォルダーの plugins にプラグインを置いて下さい。";
    }
    for (unsigned i = 0; i < found; ++i) {
        try {
            if (plugins->getPlugin(i)->isEnabled()) {
                return "";
            }
        } catch (...) {
            // A plug-in that cannot answer is left out by the run as well.
        }
    }
    return "\n有効なプラグインがありません。「プラグイン設定」で使うプラグインを有効にして下さい。";
}
