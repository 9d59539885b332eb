#include "app/Openmaincontroller.h"

#include "app/IGlintfetchFactory.h"
#include "engine/IConfigModel.h"
#include "framework/Exception.h"
#include "framework/IProcess.h"
#include "framework/IResource.h"

#include <cstdio>
#include <memory>

OpenMainController::OpenMainController(IView* view, IConfigModel* configModel)
    : OpenViewController(view), configModel(configModel) {}

OpenMainController::~OpenMainController() = default;

std::string OpenMainController::doExecute(IValueObject*) {
    try {
        configModel->load();
    } catch (const Exception&) {
        keepUnreadableSettings();
        configModel->buildDefaultDocument();
        configModel->save();
    }
    // The main view is not shown here: the message loop shows the main form when it starts.
    return "Success";
}

void OpenMainController::keepUnreadableSettings() {
    std::string settings;
    bool exists = false;
    {
        std::unique_ptr<IGlintfetchFactory> factory = createGlintfetchFactory();
        IProcess* process = factory->createProcess();
        IResource* resource = factory->createResource();
        resource->setPath(process->getModuleFileName());
        settings = resource->getParent() + "/config.xml";
        resource->setPath(settings);
        exists = resource->exists();
    }
    if (!exists) return;
    // Renamed rather than copied: a file that cannot be read cannot be copied either. An earlier
    // backup gives way to the newer one.
    const std::string backup = settings + ".bak";
    if (std::rename(settings.c_str(), backup.c_str()) != 0) {
        throw IOException(settings + "を" + backup +
                              "に退避できません。書き込みの権限を確認した上で、再度起動してください。",
                          "OpenMainController::keepUnreadableSettings");
    }
}
