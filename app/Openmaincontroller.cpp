#include "app/Openmaincontroller.h"

#include "app/IGlintfetchFactory.h"
#include "app/IMainView.h"
#include "engine/IConfigModel.h"
#include "framework/Exception.h"
#include "framework/IProcess.h"
#include "framework/IResource.h"
#include "platform/classlib/MessageDlg.h"

#include <cstdio>
#include <memory>

OpenMainController::OpenMainController(IView* view, IConfigModel* configModel)
    : OpenViewController(view), configModel(configModel) {}

OpenMainController::~OpenMainController() = default;

std::string OpenMainController::doExecute(IValueObject*) {
    try {
        configModel->load();
    } catch (const Exception& failure) {
        const std::string backup = keepUnreadableSettings();
        configModel->buildDefaultDocument();
        configModel->save();
        // A first start has no settings to lose; anything else the user must hear of.
        if (!backup.empty()) {
            MessageDlg(settingsPath() + "を読み込めなかったため、" + backup +
                           "として残し、既定の設定で作り直しました。\n\n" + failure.getMessage(),
                       mtWarning, TMsgDlgButtons{mbOK}, 0);
        }
    }
    // Where the last session's run wrote, chosen again.
    if (auto* mainView = dynamic_cast<IMainView*>(view)) {
        const std::string folder = configModel->getOutputFolder();
        if (!folder.empty()) mainView->chooseOutputFolder(folder);
        // And the window opens as large as the user left it.
        int width = 0;
        int height = 0;
        bool maximized = false;
        if (configModel->getMainWindow(&width, &height, &maximized)) {
            mainView->placeWindow(width, height, maximized);
        }
    }
    // The main view is not shown here: the message loop shows the main form when it starts.
    return "Success";
}

std::string OpenMainController::settingsPath() {
    std::unique_ptr<IGlintfetchFactory> factory = createGlintfetchFactory();
    IProcess* process = factory->createProcess();
    IResource* resource = factory->createResource();
    resource->setPath(process->getModuleFileName());
    return resource->getParent() + "/config.xml";
}

std::string OpenMainController::keepUnreadableSettings() {
    const std::string settings = settingsPath();
    bool exists = false;
    {
        std::unique_ptr<IGlintfetchFactory> factory = createGlintfetchFactory();
        IResource* resource = factory->createResource();
        resource->setPath(settings);
        exists = resource->exists();
    }
    if (!exists) return std::string();
    // Renamed rather than copied: a file that cannot be read cannot be copied either. An earlier
    // backup gives way to the newer one.
    const std::string backup = settings + ".bak";
    if (std::rename(settings.c_str(), backup.c_str()) != 0) {
        throw IOException(settings + "を" + backup +
                              "に退避できません。書き込みの権限を確認した上で、再度起動してください。",
                          "OpenMainController::keepUnreadableSettings");
    }
    return backup;
}
