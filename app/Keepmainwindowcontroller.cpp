#include "app/Keepmainwindowcontroller.h"

#include "app/IMainView.h"
#include "engine/IConfigModel.h"
#include "framework/Exception.h"

KeepMainWindowController::KeepMainWindowController(IMainView* mainView, IConfigModel* configModel)
    : mainView(mainView), configModel(configModel) {}

KeepMainWindowController::~KeepMainWindowController() = default;

std::string KeepMainWindowController::doExecute(IValueObject*) {
    int width = 0;
    int height = 0;
    bool maximized = false;
    mainView->getWindowPlacement(&width, &height, &maximized);
    int keptWidth = 0;
    int keptHeight = 0;
    bool keptMaximized = false;
    const bool kept = configModel->getMainWindow(&keptWidth, &keptHeight, &keptMaximized);
    if (maximized && kept) {
        // The screen's size is no size to open with; the one kept before is.
        width = keptWidth;
        height = keptHeight;
    }
    // The settings file is left alone when nothing changed: it may be read-only.
    if (kept && width == keptWidth && height == keptHeight && maximized == keptMaximized) {
        return "Success";
    }
    configModel->setMainWindow(width, height, maximized);
    try {
        configModel->save();
    } catch (const Exception&) {
        // The program is ending: only the next session's window size is lost.
        return "Failure";
    }
    return "Success";
}
