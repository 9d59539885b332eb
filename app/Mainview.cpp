#include "app/Mainview.h"

#include "app/Eventcontroller.h"
#include "app/IGlintfetchFactory.h"
#include "app/Tmainform.h"
#include "controls/FolderListView.h"
#include "controls/FolderTreeView.h"
#include "controls/Shellitem.h"
#include "framework/IResource.h"
#include "framework/IValueObject.h"
#include "platform/classlib/TButton.h"
#include "platform/classlib/TListItem.h"
#include "platform/classlib/TListItems.h"
#include "platform/classlib/TMainMenu.h"
#include "platform/classlib/TMenuItem.h"
#include "platform/classlib/TPopupMenu.h"
#include "platform/classlib/TTreeNode.h"
#include "platform/classlib/TTreeNodes.h"
#include "platform/classlib/TTreeView.h"

#include <memory>
#include <typeinfo>

namespace {

// The wiring every setter follows: only an event controller has a handler to install, and a
// controller of another class wires nothing.
EventController* asEventController(IController* controller) {
    if (controller == nullptr) return nullptr;
    try {
        return &dynamic_cast<EventController&>(*controller);
    } catch (const std::bad_cast&) {
        return nullptr;
    }
}

void wire(IController* controller, std::initializer_list<TMenuItem*> items) {
    EventController* handler = asEventController(controller);
    if (handler == nullptr) return;
    for (TMenuItem* item : items) item->OnClick = TNotifyEvent(handler, &EventController::onEvent);
}

}  // namespace

MainView::MainView(TMainForm* form) : FormView(form), mainForm(form) {
    // Output goes to the user's own folders, never beside the program: the home folder is chosen
    // until the user (or the last session) chooses another.
    mainForm->outputList->SelectHome();
}

MainView::~MainView() = default;

void MainView::close() { mainForm->Close(); }

void MainView::getValues(IValueObject* values) {
    if (TTreeNode* selected = mainForm->outputList->Selected()) {
        // A node without an item is a placeholder and names no folder, as an item off the file
        // system does not.
        auto* item = static_cast<ShellItem*>(selected->Data());
        values->setValue("outputDirectory", item != nullptr ? item->getPath() : std::string());
    }
    TListItems* rows = mainForm->targetList->Items();
    for (int index = 0; index < rows->Count(); ++index) {
        auto* item = static_cast<ShellItem*>(rows->Item(index)->Data());
        if (item != nullptr) values->addValue("inputFiles", item->getPath());
    }
}

void MainView::addExtractFile(std::string path) { mainForm->targetList->AddItem(path); }

void MainView::chooseOutputFolder(std::string folder) {
    std::unique_ptr<IGlintfetchFactory> factory = createGlintfetchFactory();
    IResource* entry = factory->createResource();
    entry->setPath(folder);
    if (!entry->isDirectory()) return;
    TTreeNodes* nodes = mainForm->outputList->Items();
    for (int index = 0; index < nodes->RootCount(); ++index) {
        auto* shown = static_cast<ShellItem*>(nodes->Root(index)->Data());
        if (shown != nullptr && shown->getPath() == entry->getPath()) {
            mainForm->outputList->Select(nodes->Root(index));
            return;
        }
    }
    auto* item = new ShellItem(entry->getPath().c_str(), nullptr);
    TTreeNode* node = nodes->AddObject(nullptr, item->getDisplayName(), item);
    node->SetImageIndex(item->getIconIndex());
    node->SetSelectedIndex(item->getOpenIconIndex());
    nodes->AddChild(node, "");
    mainForm->outputList->Select(node);
}

void MainView::removeSelectedExtractFiles() { mainForm->targetList->DeleteSelected(); }

void MainView::setAddExtractFileController(IController* controller) {
    wire(controller, {menuItem(0, 0), popupItem(0)});
}

void MainView::getWindowPlacement(int* width, int* height, bool* maximized) {
    *width = mainForm->ClientWidth();
    *height = mainForm->ClientHeight();
    *maximized = mainForm->WindowState() == wsMaximized;
}

void MainView::placeWindow(int width, int height, bool maximized) {
    mainForm->SetClientSize(width, height);
    if (maximized) mainForm->SetWindowState(wsMaximized);
}

void MainView::setAddDeviceController(IController* controller) {
    wire(controller, {menuItem(0, 1)});
}

void MainView::setRemoveExtractFileController(IController* controller) {
    wire(controller, {menuItem(0, 2), popupItem(1)});
    EventController* handler = asEventController(controller);
    if (handler == nullptr) return;
    TFolderListView* list = mainForm->targetList;
    list->OnKeyDown = TKeyEvent::FromFunction(handler, [handler, list](TObject*, WORD& key, TShiftState shift) {
        if (key != VK_DELETE || !shift.Empty()) return;
        key = 0;
        handler->onEvent(list);
    });
}

void MainView::setExitController(IController* controller) { wire(controller, {menuItem(0, 4)}); }

void MainView::setFileOptionController(IController* controller) {
    wire(controller, {menuItem(1, 0)});
}

void MainView::setPluginOptionController(IController* controller) {
    wire(controller, {menuItem(1, 1)});
}

void MainView::setVersionController(IController* controller) {
    wire(controller, {menuItem(2, 0)});
}

void MainView::setExtractController(IController* controller) {
    if (EventController* handler = asEventController(controller)) {
        mainForm->extractButton->OnClick = TNotifyEvent(handler, &EventController::onEvent);
    }
}

void MainView::setCloseController(IController* controller) {
    EventController* handler = asEventController(controller);
    if (handler == nullptr) return;
    TMainForm* form = mainForm;
    form->OnClose = TCloseEvent::FromFunction(handler, [handler, form](TObject*, TCloseAction&) {
        handler->onEvent(form);
    });
}

TMenuItem* MainView::menuItem(int menu, int item) const {
    return mainForm->mainMenu->Items()->Items(menu)->Items(item);
}

TMenuItem* MainView::popupItem(int item) const {
    return mainForm->popupMenu->Items()->Items(item);
}
