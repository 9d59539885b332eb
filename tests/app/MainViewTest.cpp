#include "app/Closeviewcontroller.h"
#include "app/IGlintfetchFactory.h"
#include "app/IMainView.h"
#include "app/Tmainform.h"
#include "controls/FolderListView.h"
#include "controls/FolderTreeView.h"
#include "controls/Shellitem.h"
#include "framework/IValueObject.h"
#include "platform/classlib/TApplication.h"
#include "platform/classlib/TButton.h"
#include "platform/classlib/TLabel.h"
#include "platform/classlib/TListColumn.h"
#include "platform/classlib/TListColumns.h"
#include "platform/classlib/TListItem.h"
#include "platform/classlib/TListItems.h"
#include "platform/classlib/TMainMenu.h"
#include "platform/classlib/TMenuItem.h"
#include "platform/classlib/TPopupMenu.h"
#include "platform/classlib/TTreeNode.h"
#include "platform/classlib/TTreeNodes.h"
#include "tests/app/MainWindowFixture.h"

#include <QCoreApplication>
#include <QTest>
#include <QDropEvent>
#include <QMetaObject>
#include <QMimeData>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>
#include <QWidget>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

class MainViewTest : public MainWindowFixture {};

TEST_F(MainViewTest, TheFormIsTheApplicationsMainFormWithItsControlsAndMenus) {
    EXPECT_EQ(Application->MainForm(), form);
    EXPECT_EQ(form->Name(), "MainForm");
    EXPECT_EQ(form->Caption(), "Quellmark Glintfetch");
    EXPECT_EQ(form->ClientWidth(), 665);
    EXPECT_EQ(form->ClientHeight(), 329);
    EXPECT_EQ(form->BorderStyle(), bsSizeable);
    EXPECT_EQ(form->BorderIcons(), (TBorderIcons{biSystemMenu, biMinimize, biMaximize}));
    EXPECT_EQ(form->Position(), poDefault);
    EXPECT_EQ(form->Menu(), form->mainMenu);
    EXPECT_EQ(form->targetLabel->Caption(), "対象ファイル（ドラッグ＆ドロップで追加できます）");
    EXPECT_EQ(form->outputLabel->Caption(), "出力先ディレクトリ");
    EXPECT_EQ(form->extractButton->Caption(), "抽出→");
    EXPECT_EQ(form->targetList->TabOrder(), 0);
    EXPECT_EQ(form->extractButton->TabOrder(), 1);
    EXPECT_EQ(form->outputList->TabOrder(), 2);
    EXPECT_EQ(form->outputList->GetFileNameFilter(), "");

    TFolderListView* list = form->targetList;
    EXPECT_EQ(list->ViewStyle(), vsReport);
    // The name, then the whole path.
    ASSERT_EQ(list->Columns()->Count(), 2);
    EXPECT_EQ(list->Columns()->Items(0)->Caption(), "name");
    EXPECT_EQ(list->Columns()->Items(1)->Caption(), "path");
    EXPECT_FALSE(list->ShowColumnHeaders());
    EXPECT_TRUE(list->MultiSelect());
    EXPECT_TRUE(list->ReadOnly());
    EXPECT_EQ(list->SortType(), stBoth);
    EXPECT_EQ(list->PopupMenu(), form->popupMenu);

    // The list left, the button between, the tree right, all inside the client area.
    EXPECT_LT(list->Left() + list->Width(), form->extractButton->Left());
    EXPECT_LT(form->extractButton->Left() + form->extractButton->Width(), form->outputList->Left());
    EXPECT_LE(form->outputList->Left() + form->outputList->Width(), 665);
    EXPECT_LT(form->targetLabel->Top(), list->Top());

    struct Entry {
        int menu;
        int index;
        const char* name;
        const char* caption;
    };
    const Entry entries[] = {
        {0, -1, "File", "ファイル(&F)"},          {0, 0, "Insert", "追加(&I)..."},
        {0, 1, "AddDevice", "デバイスを追加(&V)..."},
        {0, 2, "Delete", "削除(&D)"},             {0, 3, "N8", "-"},
        {0, 4, "Exit", "終了(&X)"},               {1, -1, "Option", "設定(&O)"},
        {1, 0, "FileSpec", "ファイル設定(&F)..."}, {1, 1, "DataSpec", "プラグイン設定(&P)..."},
        {2, -1, "Help", "ヘルプ(&H)"},            {2, 0, "Version", "バージョン情報(&A)"},
    };
    TMenuItem* bar = form->mainMenu->Items();
    ASSERT_EQ(bar->Count(), 3);
    for (const Entry& entry : entries) {
        TMenuItem* menuItem = bar->Items(entry.menu);
        if (entry.index >= 0) menuItem = menuItem->Items(entry.index);
        EXPECT_EQ(menuItem->Name(), entry.name);
        EXPECT_EQ(menuItem->Caption(), entry.caption) << entry.name;
        EXPECT_EQ(menuItem->Owner(), form) << entry.name;
    }
    EXPECT_EQ(bar->Items(1), form->Option);
    EXPECT_EQ(bar->Items(1)->Items(1), form->DataSpec);
    EXPECT_EQ(bar->Items(2), form->Help);
    EXPECT_EQ(bar->Items(2)->Items(0), form->Version);
    TMenuItem* popup = form->popupMenu->Items();
    ASSERT_EQ(popup->Count(), 2);
    EXPECT_EQ(popup->Items(0)->Name(), "PopInsert");
    EXPECT_EQ(popup->Items(0)->Caption(), "追加(&I)...");
    EXPECT_EQ(popup->Items(1)->Name(), "PopDelete");
    EXPECT_EQ(popup->Items(1)->Caption(), "削除(&D)");
    EXPECT_EQ(popup->Items(1)->Owner(), form);
}

TEST_F(MainViewTest, TheOutputTreeOffersTheDesktopAndPreselectsTheHomeFolder) {
    TTreeNodes* nodes = form->outputList->Items();
    // The desktop alone: the program's own folder is no place for output.
    ASSERT_EQ(nodes->RootCount(), 1);
    auto* desktop = static_cast<ShellItem*>(nodes->Root(0)->Data());
    ASSERT_NE(desktop, nullptr);
    EXPECT_EQ(desktop->getPath(), "");

    TTreeNode* folder = form->outputList->Selected();
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->Parent(), nodes->Root(0));
    auto* item = static_cast<ShellItem*>(folder->Data());
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->getPath(), homeDir());
    EXPECT_EQ(folder->Text(), "ホーム");
    EXPECT_EQ(form->outputPathLabel->Caption(), homeDir());

    IValueObject* values = factory->createValueObject();
    view->getValues(values);
    EXPECT_EQ(values->getValue("outputDirectory"), homeDir());
    EXPECT_EQ(values->getValueCount("inputFiles"), 0u);
}

TEST_F(MainViewTest, ThePathUnderTheTreeFollowsEveryClickInIt) {
    std::filesystem::create_directories(homeDir() + "/photos");
    form->Show();
    auto* tree = qobject_cast<QTreeWidget*>(form->outputList->Widget());
    ASSERT_NE(tree, nullptr);
    // Made after the tree was read: F5 shows it.
    QTest::keyClick(tree, Qt::Key_F5);
    form->outputList->Selected()->Expand(false);
    const auto clickRow = [tree](const char* text) {
        const auto found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(found.size(), 1) << text;
        tree->scrollToItem(found[0]);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier,
                          tree->visualItemRect(found[0]).center());
    };
    EXPECT_EQ(form->outputPathLabel->Top(), form->outputList->Top() + form->outputList->Height() + 2);
    EXPECT_EQ(form->outputPathLabel->Width(), form->outputList->Width());
    clickRow("photos");
    EXPECT_EQ(form->outputPathLabel->Caption(), homeDir() + "/photos");
    clickRow("ファイルシステム");
    EXPECT_EQ(form->outputPathLabel->Caption(), "/");
    // Off the file system: no path.
    clickRow("コンピュータ");
    EXPECT_EQ(form->outputPathLabel->Caption(), "");
    form->outputList->Select(nullptr);
    EXPECT_EQ(form->outputPathLabel->Caption(), "");
}

TEST_F(MainViewTest, TheOutputFolderKeyFollowsTheTreesSelection) {
    struct Case {
        const char* what;
        int root;  // -1: nothing selected
        std::uint32_t count;
        const char* value;
    };
    const Case cases[] = {
        {"nothing selected writes no key", -1, 0, ""},
        {"the desktop is off the file system", 0, 1, ""},
    };
    for (const Case& c : cases) {
        form->outputList->Select(c.root < 0 ? nullptr : form->outputList->Items()->Root(c.root));
        IValueObject* values = factory->createValueObject();
        view->getValues(values);
        EXPECT_EQ(values->getValueCount("outputDirectory"), c.count) << c.what;
        EXPECT_EQ(values->getValue("outputDirectory"), c.value) << c.what;
    }
}

TEST_F(MainViewTest, InputFilesAreListedOnceInSortedOrderAndRemovedBySelection) {
    const std::string charlie = writeFile("charlie.bin", "c");
    const std::string alpha = writeFile("alpha.bin", "a");
    const std::string bravo = writeFile("bravo.bin", "b");
    view->addExtractFile(charlie);
    view->addExtractFile(alpha);
    view->addExtractFile(bravo);
    view->addExtractFile(alpha);
    EXPECT_EQ(captions(), (std::vector<std::string>{"alpha.bin", "bravo.bin", "charlie.bin"}));

    IValueObject* values = factory->createValueObject();
    view->getValues(values);
    ASSERT_EQ(values->getValueCount("inputFiles"), 3u);
    EXPECT_EQ(values->getValue("inputFiles", 0), alpha);
    EXPECT_EQ(values->getValue("inputFiles", 1), bravo);
    EXPECT_EQ(values->getValue("inputFiles", 2), charlie);

    form->targetList->ClearSelection();
    view->removeSelectedExtractFiles();
    EXPECT_EQ(captions().size(), 3u);

    form->targetList->Items()->Item(0)->SetSelected(true);
    form->targetList->Items()->Item(2)->SetSelected(true);
    view->removeSelectedExtractFiles();
    EXPECT_EQ(captions(), std::vector<std::string>{"bravo.bin"});
}

TEST_F(MainViewTest, TheListAndTheTreeGrowWithTheWindow) {
    form->Show();
    QCoreApplication::processEvents();
    const int listWidth = form->targetList->Width();
    const int listHeight = form->targetList->Height();
    const int treeWidth = form->outputList->Width();
    const int treeHeight = form->outputList->Height();
    // The user drags the window's corner 200 pixels right and 150 down.
    const QSize before = form->Widget()->size();
    form->Widget()->resize(before.width() + 200, before.height() + 150);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->targetList->Width(), listWidth + 100);
    EXPECT_EQ(form->outputList->Width(), treeWidth + 100);
    EXPECT_EQ(form->targetList->Height(), listHeight + 150);
    EXPECT_EQ(form->outputList->Height(), treeHeight + 150);
    // The tree stays right of the button, the button right of the list, inside the window.
    EXPECT_GT(form->extractButton->Left(), form->targetList->Left() + form->targetList->Width());
    EXPECT_GT(form->outputList->Left(), form->extractButton->Left() + form->extractButton->Width());
    EXPECT_LE(form->outputList->Left() + form->outputList->Width(), form->ClientWidth());
    EXPECT_LE(form->outputList->Top() + form->outputList->Height(), form->ClientHeight());

    form->SetWindowState(wsMaximized);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->WindowState(), wsMaximized);
    // Maximised to the screen, which may be smaller than the window was dragged.
    EXPECT_GT(form->targetList->Width(), listWidth);
    form->Hide();
}

TEST_F(MainViewTest, TheDeleteKeyRemovesTheSelectedInputsThroughTheRemoveController) {
    view->setRemoveExtractFileController(factory->createRemoveExtractFileController(view));
    view->addExtractFile(writeFile("alpha.bin", "a"));
    view->addExtractFile(writeFile("bravo.bin", "b"));
    view->addExtractFile(writeFile("charlie.bin", "c"));
    form->Show();
    form->targetList->SetFocus();
    QWidget* list = form->targetList->Widget();
    // Nothing selected: nothing goes.
    form->targetList->ClearSelection();
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(captions().size(), 3u);
    form->targetList->Items()->Item(0)->SetSelected(true);
    form->targetList->Items()->Item(2)->SetSelected(true);
    // Shift+Delete is not the Delete key.
    QTest::keyClick(list, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(captions().size(), 3u);
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(captions(), std::vector<std::string>{"bravo.bin"});
    form->Hide();
}

TEST_F(MainViewTest, EachSetterWiresItsControlsToAnEventControllerOnly) {
    struct Case {
        void (IMainView::*setter)(IController*);
        std::vector<const char*> items;  // menu items; "" names the Extract button
    };
    const Case cases[] = {
        {&IMainView::setAddExtractFileController, {"Insert", "PopInsert"}},
        {&IMainView::setAddDeviceController, {"AddDevice"}},
        {&IMainView::setRemoveExtractFileController, {"Delete", "PopDelete"}},
        {&IMainView::setExitController, {"Exit"}},
        {&IMainView::setFileOptionController, {"FileSpec"}},
        {&IMainView::setPluginOptionController, {"DataSpec"}},
        {&IMainView::setVersionController, {"Version"}},
        {&IMainView::setExtractController, {""}},
    };
    // A controller of another class than EventController.
    class PlainController : public Controller {
        std::string doExecute(IValueObject*) override { return "Success"; }
    };
    for (const Case& c : cases) {
        RecordingController first;
        RecordingController second;
        PlainController plain;
        auto wiredTo = [&](const char* name) {
            return std::string(name).empty() ? form->extractButton->OnClick.Data()
                                             : item(name)->OnClick.Data();
        };
        (view->*c.setter)(&plain);
        (view->*c.setter)(nullptr);
        for (const char* name : c.items) EXPECT_EQ(wiredTo(name), nullptr) << name;
        (view->*c.setter)(&first);
        (view->*c.setter)(&second);
        (view->*c.setter)(&plain);
        for (const char* name : c.items) {
            EXPECT_EQ(wiredTo(name), static_cast<const void*>(&second)) << name;
            if (std::string(name).empty()) {
                click(form->extractButton);
            } else {
                choose(item(name));
            }
        }
        EXPECT_TRUE(first.runs.empty());
        ASSERT_EQ(second.runs.size(), c.items.size());
        // The values are the main window's, whatever view the controller was made for.
        EXPECT_EQ(second.runs[0].outputDirectory, homeDir());
        // Unwire before the controllers go.
        for (const char* name : c.items) {
            if (std::string(name).empty()) {
                form->extractButton->OnClick = nullptr;
            } else {
                item(name)->OnClick = nullptr;
            }
        }
    }
}

TEST_F(MainViewTest, TheMenuAndPopUpTwinsShareOneBusyController) {
    RecordingController controller;
    view->setAddExtractFileController(&controller);
    int nested = 0;
    controller.during = [&] {
        if (nested++ == 0) {
            // While the first run lasts, its twin and itself are ignored.
            choose(item("PopInsert"));
            choose(item("Insert"));
            EXPECT_TRUE(controller.isBusy());
        }
    };
    view->addExtractFile(writeFile("one.bin", "1"));
    choose(item("PopInsert"));
    EXPECT_EQ(controller.runs.size(), 1u);
    EXPECT_FALSE(controller.isBusy());
    ASSERT_EQ(controller.runs[0].inputFiles.size(), 1u);
    choose(item("Insert"));
    EXPECT_EQ(controller.runs.size(), 2u);
    item("Insert")->OnClick = nullptr;
    item("PopInsert")->OnClick = nullptr;
}

TEST_F(MainViewTest, ExitClosesTheMainWindowAndEndsTheRun) {
    IController* exit = factory->createCloseViewController(view);
    view->setExitController(exit);
    form->Show();
    ASSERT_TRUE(form->Visible());
    bool ran = false;
    // Run returns once the main form has closed; Exit is chosen from inside the loop.
    QMetaObject::invokeMethod(
        form->Widget(), [&] { ran = true; choose(item("Exit")); }, Qt::QueuedConnection);
    Application->Run();
    EXPECT_TRUE(ran);
    EXPECT_FALSE(Application->Running());
}

// A folder dropped on the input list from a file manager adds the files it holds, and the caption
// above the list says how many came in.
TEST_F(MainViewTest, AFolderDroppedOnTheListAddsItsFilesAndSaysHowMany) {
    writeFile("dropped/a.bin", "a");
    writeFile("dropped/sub/b.bin", "b");
    writeFile("dropped/.hidden", "h");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(scratch() + "/dropped"))});
    QWidget* target = form->targetList->DropTarget();
    const QPoint at(5, 5);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent event(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
    ASSERT_TRUE(event.isAccepted());

    IValueObject* values = factory->createValueObject();
    view->getValues(values);
    ASSERT_EQ(values->getValueCount("inputFiles"), 2u);
    EXPECT_EQ(values->getValue("inputFiles", 0), scratch() + "/dropped/a.bin");
    EXPECT_EQ(values->getValue("inputFiles", 1), scratch() + "/dropped/sub/b.bin");
    EXPECT_EQ(form->targetLabel->Caption(), "対象ファイル（2 件追加しました。ドラッグ＆ドロップで追加できます）");
}

}  // namespace
