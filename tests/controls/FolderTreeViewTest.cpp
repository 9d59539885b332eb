#include "controls/FolderTreeView.h"

#include "controls/Shellitem.h"
#include "platform/classlib/Qtsupport.h"
#include "platform/classlib/TDialogSeam.h"
#include "platform/classlib/TMenuItem.h"
#include "platform/classlib/TPopupMenu.h"
#include "platform/classlib/TTreeNode.h"
#include "platform/classlib/TTreeNodes.h"
#include "platform/shell/ShellImageList.h"
#include "tests/controls/FolderFixture.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTreeWidget>
#include <QWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// The protected hooks, as the tree's window calls them.
class ProbedTree : public TFolderTreeView {
public:
    using TFolderTreeView::CanExpand;
    using TFolderTreeView::TFolderTreeView;

    // The cursor each time a placeholder left the tree, which happens while a node is read.
    std::vector<std::pair<TCursor, Qt::CursorShape>> cursorsAtPlaceholders;

protected:
    void Delete(TTreeNode* node) override {
        if (node->Data() == nullptr) {
            cursorsAtPlaceholders.emplace_back(Cursor(), Widget()->cursor().shape());
        }
        TFolderTreeView::Delete(node);
    }
};

std::vector<std::string> texts(const TTreeNode* node) {
    std::vector<std::string> result;
    for (int index = 0; index < node->Count(); ++index) {
        result.push_back(node->Item(index)->Text());
    }
    return result;
}

TTreeNode* child(const TTreeNode* node, const std::string& text) {
    for (int index = 0; index < node->Count(); ++index) {
        if (node->Item(index)->Text() == text) {
            return node->Item(index);
        }
    }
    ADD_FAILURE() << "no child " << text << " under " << node->Text();
    return nullptr;
}

bool unread(const TTreeNode* node) {
    return node->Count() == 1 && node->Item(0)->Text().empty() && node->Item(0)->Data() == nullptr;
}

class FolderTreeViewTest : public FolderFixture {
protected:
    void SetUp() override {
        FolderFixture::SetUp();
        classlib::ensureApplication();
        tree = new ProbedTree(nullptr);
    }

    void TearDown() override {
        tree->Free();
        FolderFixture::TearDown();
    }

    // The home node below a desktop root, its children read.
    TTreeNode* expandedHome() {
        tree->AddDesktopNode();
        TTreeNode* homeNode = child(tree->Items()->Root(0), "ホーム");
        if (homeNode != nullptr) {
            homeNode->Expand(false);
        }
        return homeNode;
    }

    ProbedTree* tree = nullptr;
};

TEST_F(FolderTreeViewTest, DesktopIsReadAtOnceAndShowsItsPlacesInOrder) {
    std::filesystem::create_directory(home / "Desktop");
    tree->AddDesktopNode();
    ASSERT_EQ(tree->Items()->RootCount(), 1);
    TTreeNode* desktop = tree->Items()->Root(0);
    EXPECT_EQ(desktop->Text(), "コンピュータ");
    EXPECT_TRUE(desktop->Expanded());
    EXPECT_EQ(texts(desktop), (std::vector<std::string>{"ホーム", "デスクトップ", "ファイルシステム"}));
    for (int index = 0; index < desktop->Count(); ++index) {
        auto* item = static_cast<ShellItem*>(desktop->Item(index)->Data());
        EXPECT_EQ(desktop->Item(index)->ImageIndex(), item->getIconIndex());
        EXPECT_EQ(desktop->Item(index)->SelectedIndex(), item->getOpenIconIndex());
    }
    EXPECT_TRUE(unread(child(desktop, "ファイルシステム")));
    const std::vector<std::pair<TCursor, Qt::CursorShape>> busy{{crHourGlass, Qt::WaitCursor}};
    EXPECT_EQ(tree->cursorsAtPlaceholders, busy) << "busy while the desktop was read";
    EXPECT_EQ(tree->Cursor(), crDefault);
    EXPECT_EQ(tree->Widget()->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(FolderTreeViewTest, FirstExpansionShowsVisibleFoldersAndExpandingAgainReadsAgain) {
    std::filesystem::create_directories(home / "Beta" / "sub");
    TTreeNode* homeNode = expandedHome();
    ASSERT_NE(homeNode, nullptr);
    EXPECT_TRUE(homeNode->Expanded());
    EXPECT_EQ(texts(homeNode), (std::vector<std::string>{"Beta", "hiddenOnly", "visible"}));
    EXPECT_TRUE(unread(child(homeNode, "visible")));
    EXPECT_EQ(child(homeNode, "hiddenOnly")->Count(), 0) << "only hidden sub-folders: no button";

    // Its only sub-folder turns hidden before the node is opened: the placeholder goes.
    TTreeNode* beta = child(homeNode, "Beta");
    ASSERT_TRUE(unread(beta));
    std::filesystem::rename(home / "Beta" / "sub", home / "Beta" / ".sub");
    beta->Expand(false);
    EXPECT_EQ(beta->Count(), 0);

    TTreeNode* visible = child(homeNode, "visible");
    visible->Expand(false);
    EXPECT_EQ(texts(visible), std::vector<std::string>{"inner"});
    // Open already: asking again reads nothing.
    std::filesystem::create_directory(home / "visible" / "later");
    visible->Expand(false);
    EXPECT_EQ(texts(visible), std::vector<std::string>{"inner"});
    // Shut and opened again: read again, the node that stayed is the same node.
    TTreeNode* inner = child(visible, "inner");
    visible->Collapse(false);
    visible->Expand(false);
    EXPECT_TRUE(visible->Expanded());
    EXPECT_EQ(texts(visible), (std::vector<std::string>{"inner", "later"}));
    EXPECT_EQ(child(visible, "inner"), inner);
}

TEST_F(FolderTreeViewTest, FolderThatCannotBeReadStaysUnreadAndIsTriedAgain) {
    std::filesystem::create_directories(home / "Beta" / "sub");
    TTreeNode* beta = child(expandedHome(), "Beta");
    ASSERT_TRUE(unread(beta));

    replaceFolderWithFile("Beta");
    EXPECT_FALSE(tree->CanExpand(beta));
    beta->Expand(false);
    EXPECT_FALSE(beta->Expanded());
    EXPECT_TRUE(unread(beta));
    EXPECT_EQ(tree->Cursor(), crDefault);

    restoreFolder("Beta");
    std::filesystem::create_directory(home / "Beta" / "sub");
    beta->Expand(false);
    EXPECT_TRUE(beta->Expanded());
    EXPECT_EQ(texts(beta), std::vector<std::string>{"sub"});
}

TEST_F(FolderTreeViewTest, FolderWithoutPermissionStaysUnreadUntilItMayBeRead) {
    if (rerunWithoutRoot()) {
        return;
    }
    // Whether it holds folders shows only when it is opened: it comes with a button.
    std::filesystem::permissions(home / "visible", std::filesystem::perms::none);
    TTreeNode* visible = child(expandedHome(), "visible");
    ASSERT_TRUE(unread(visible));
    EXPECT_NO_THROW(visible->Expand(false));
    EXPECT_FALSE(visible->Expanded());
    EXPECT_TRUE(unread(visible));
    EXPECT_EQ(tree->Cursor(), crDefault);

    std::filesystem::permissions(home / "visible", std::filesystem::perms::owner_all);
    visible->Expand(false);
    EXPECT_TRUE(visible->Expanded());
    EXPECT_EQ(texts(visible), std::vector<std::string>{"inner"});
}

TEST_F(FolderTreeViewTest, FilterLetsInMatchingFilesButNotAnEmptyMatch) {
    std::ofstream(home / "Beta" / "data.txt") << "x";
    struct Case {
        std::string filter;
        std::vector<std::string> homeChildren;
        bool betaExpandable;
    };
    const Case cases[] = {
        {"", {"Beta", "hiddenOnly", "visible"}, false},
        {"\\.txt$", {"Beta", "hiddenOnly", "visible", "alpha.txt"}, true},
        // Matches every path, but with no characters at its start: counts as no match.
        {"q*", {"Beta", "hiddenOnly", "visible"}, false},
        {"(", {"Beta", "hiddenOnly", "visible"}, false},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.filter);
        tree->Items()->Clear();
        tree->SetFileNameFilter(item.filter);
        EXPECT_EQ(tree->GetFileNameFilter(), item.filter);
        TTreeNode* homeNode = expandedHome();
        ASSERT_NE(homeNode, nullptr);
        EXPECT_EQ(texts(homeNode), item.homeChildren);
        EXPECT_EQ(unread(child(homeNode, "Beta")), item.betaExpandable);
        if (item.homeChildren.back() == "alpha.txt") {
            EXPECT_EQ(homeNode->GetLastChild()->Count(), 0) << "probing a file finds no children";
        }
    }
}

TEST_F(FolderTreeViewTest, ReverseSortDataReversesTheShellOrder) {
    TTreeNode* homeNode = expandedHome();
    ASSERT_NE(homeNode, nullptr);
    homeNode->CustomSort(CompareShellNodes, 1);
    EXPECT_EQ(texts(homeNode), (std::vector<std::string>{"visible", "hiddenOnly", "Beta"}));
    homeNode->CustomSort(CompareShellNodes, 0);
    EXPECT_EQ(texts(homeNode), (std::vector<std::string>{"Beta", "hiddenOnly", "visible"}));
}

TEST_F(FolderTreeViewTest, WindowTakesTheShellIcons) {
    tree->HandleNeeded();
    EXPECT_EQ(tree->Images(), ShellImageList::get());
}

TEST_F(FolderTreeViewTest, DeletingNodesAndABareDeleteReleaseTheirItems) {
    TTreeNode* homeNode = expandedHome();
    ASSERT_NE(homeNode, nullptr);
    child(homeNode, "visible")->Expand(false);
    child(homeNode, "visible")->Delete();
    EXPECT_EQ(texts(homeNode), (std::vector<std::string>{"Beta", "hiddenOnly"}));
    // Leak checking of the sanitizer build shows whether the remaining items were released.
    delete tree;
    tree = new ProbedTree(nullptr);
}

class FolderTreeEventsTest;

// The ways a user has of making the tree read the file system again.
struct RefreshWay {
    const char* name;
    void (*refresh)(FolderTreeEventsTest& test);
};

// The tree in a window of its own, driven by keys, clicks and its pop-up menu; message boxes are
// recorded and answered OK.
class FolderTreeEventsTest : public FolderTreeViewTest {
public:
    void pressF5() {
        tree->SetFocus();
        QTest::keyClick(widget(), Qt::Key_F5);
    }
    void chooseFromMenuOnSelection(const char* itemName) { chooseFromMenu(tree->Selected()->Text(), itemName); }
    void reopenHome() {
        homeNode->Collapse(false);
        homeNode->Expand(false);
    }

protected:
    void SetUp() override {
        FolderTreeViewTest::SetUp();
        seam = std::make_unique<TDialogSeamScope>([this](const TMessageDlgRequest& request) {
            boxes.push_back(request);
            return int(mrOk);
        });
        tree->SetBounds(0, 0, 400, 400);
        tree->Widget()->show();
        tree->Widget()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(tree->Widget()));
        homeNode = expandedHome();
        ASSERT_NE(homeNode, nullptr);
    }
    void TearDown() override {
        seam.reset();
        FolderTreeViewTest::TearDown();
    }

    QTreeWidget* widget() const { return static_cast<QTreeWidget*>(tree->Widget()); }

    QTreeWidgetItem* rowOf(const std::string& text) const {
        const auto found = widget()->findItems(QString::fromStdString(text), Qt::MatchExactly | Qt::MatchRecursive);
        return found.size() == 1 ? found[0] : nullptr;
    }

    void click(const std::string& text, Qt::MouseButton button = Qt::LeftButton) {
        QTreeWidgetItem* row = rowOf(text);
        ASSERT_NE(row, nullptr) << text;
        widget()->scrollToItem(row);
        QTest::mouseClick(widget()->viewport(), button, Qt::NoModifier, widget()->visualItemRect(row).center());
    }

    // A right click on the row opens the pop-up menu, where the item is clicked.
    void chooseFromMenu(const std::string& row, const char* itemName) {
        click(row, Qt::RightButton);
        const QPoint at = widget()->visualItemRect(rowOf(row)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, widget()->viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(widget()->viewport(), &event);
        QMenu* menu = tree->FolderMenu()->Menu();
        ASSERT_TRUE(menu->isVisible());
        auto* item = static_cast<TMenuItem*>(tree->FindComponent(itemName));
        ASSERT_NE(item, nullptr) << itemName;
        ASSERT_TRUE(item->Enabled()) << itemName;
        QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(item->Action()).center());
        settle();
    }

    // The caption editor that is open.
    QLineEdit* editor() const {
        for (QLineEdit* line : widget()->viewport()->findChildren<QLineEdit*>()) {
            if (line->isVisible()) {
                return line;
            }
        }
        return nullptr;
    }

    std::string selectedPath() const {
        TTreeNode* node = tree->Selected();
        auto* item = node != nullptr ? static_cast<ShellItem*>(node->Data()) : nullptr;
        return item != nullptr ? item->getPath() : std::string("(none)");
    }

    // Lets the tree finish what waits for the next pass of the message loop.
    static void settle() {
        for (int pass = 0; pass < 3; ++pass) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        }
    }

    std::unique_ptr<TDialogSeamScope> seam;
    std::vector<TMessageDlgRequest> boxes;
    TTreeNode* homeNode = nullptr;
};

class FolderTreeRefreshTest : public FolderTreeEventsTest, public ::testing::WithParamInterface<RefreshWay> {};

TEST_P(FolderTreeRefreshTest, FoldersMadeAndRemovedMeanwhileShowAndTheSelectionFindsItsWay) {
    child(homeNode, "visible")->Expand(false);
    child(child(homeNode, "visible"), "inner")->Expand(false);
    click("deep");
    ASSERT_EQ(selectedPath(), pathOf("visible/inner/deep"));

    // Made and removed behind the tree's back: the selected folder's parent goes with it.
    std::filesystem::create_directories(home / "Gamma" / "sub");
    std::filesystem::create_directory(home / "visible" / "also");
    std::filesystem::remove_all(home / "visible" / "inner");
    std::filesystem::create_directory(home / "Beta" / "now");
    GetParam().refresh(*this);

    EXPECT_EQ(texts(homeNode), (std::vector<std::string>{"Beta", "Gamma", "hiddenOnly", "visible"}));
    EXPECT_TRUE(unread(child(homeNode, "Gamma")));
    EXPECT_TRUE(unread(child(homeNode, "Beta"))) << "a folder that gained a sub-folder gets a button";
    EXPECT_EQ(texts(child(homeNode, "visible")), std::vector<std::string>{"also"});
    EXPECT_EQ(selectedPath(), pathOf("visible")) << "the nearest folder above that is still there";

    // A selection that is still there stays.
    click("also");
    std::filesystem::create_directory(home / "visible" / "again");
    GetParam().refresh(*this);
    EXPECT_EQ(texts(child(homeNode, "visible")), (std::vector<std::string>{"again", "also"}));
    EXPECT_EQ(selectedPath(), pathOf("visible/also"));
    EXPECT_TRUE(boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    EveryWay, FolderTreeRefreshTest,
    ::testing::Values(RefreshWay{"F5", [](FolderTreeEventsTest& test) { test.pressF5(); }},
                      RefreshWay{"Menu", [](FolderTreeEventsTest& test) { test.chooseFromMenuOnSelection("Refresh"); }},
                      RefreshWay{"Reexpand", [](FolderTreeEventsTest& test) { test.reopenHome(); }}),
    [](const ::testing::TestParamInfo<RefreshWay>& info) { return std::string(info.param.name); });

TEST_F(FolderTreeEventsTest, ANewFolderIsMadeSelectedAndRenamedInPlace) {
    click("Beta");
    chooseFromMenu("Beta", "NewFolder");
    EXPECT_TRUE(std::filesystem::is_directory(home / "Beta" / "新しいフォルダー"));
    EXPECT_EQ(selectedPath(), pathOf("Beta/新しいフォルダー"));
    ASSERT_TRUE(tree->IsEditing());
    QLineEdit* line = editor();
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->text().toStdString(), "新しいフォルダー");
    line->selectAll();
    QTest::keyClicks(line, "photos 2026");
    QTest::keyClick(line, Qt::Key_Return);
    settle();
    EXPECT_FALSE(tree->IsEditing());
    EXPECT_TRUE(std::filesystem::is_directory(home / "Beta" / "photos 2026"));
    EXPECT_FALSE(std::filesystem::exists(home / "Beta" / "新しいフォルダー"));
    EXPECT_EQ(selectedPath(), pathOf("Beta/photos 2026"));
    EXPECT_EQ(tree->Selected()->Text(), "photos 2026");

    // The name is taken: the next one is numbered; Esc keeps the name it was given.
    std::filesystem::create_directory(home / "Beta" / "新しいフォルダー");
    click("Beta");
    chooseFromMenu("Beta", "NewFolder");
    EXPECT_EQ(selectedPath(), pathOf("Beta/新しいフォルダー (2)"));
    ASSERT_TRUE(tree->IsEditing());
    ASSERT_NE(editor(), nullptr);
    QTest::keyClick(editor(), Qt::Key_Escape);
    settle();
    EXPECT_FALSE(tree->IsEditing());
    EXPECT_EQ(texts(child(homeNode, "Beta")),
              (std::vector<std::string>{"photos 2026", "新しいフォルダー", "新しいフォルダー (2)"}));
    EXPECT_TRUE(boxes.empty());

    // A name that is taken is refused with the reason, and the folder keeps its name.
    click("Beta");
    chooseFromMenu("Beta", "NewFolder");
    ASSERT_TRUE(tree->IsEditing());
    line = editor();
    ASSERT_NE(line, nullptr);
    line->selectAll();
    QTest::keyClicks(line, "photos 2026");
    QTest::keyClick(line, Qt::Key_Return);
    settle();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Type, mtError);
    EXPECT_NE(boxes[0].Text.find("同じ名前"), std::string::npos) << boxes[0].Text;
    EXPECT_EQ(selectedPath(), pathOf("Beta/新しいフォルダー (3)"));
    EXPECT_TRUE(std::filesystem::is_directory(home / "Beta" / "新しいフォルダー (3)"));
    // Only the folder just made is renamed in place.
    EXPECT_FALSE(tree->Selected()->EditText());
}

TEST_F(FolderTreeEventsTest, ANewFolderInAFolderThatMayNotBeWrittenIsRefusedWithTheReason) {
    if (rerunWithoutRoot()) {
        return;
    }
    std::filesystem::permissions(home / "Beta", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    click("Beta");
    chooseFromMenu("Beta", "NewFolder");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Type, mtError);
    EXPECT_NE(boxes[0].Text.find("書き込む権限がありません"), std::string::npos) << boxes[0].Text;
    EXPECT_NE(boxes[0].Text.find(pathOf("Beta")), std::string::npos) << boxes[0].Text;
    EXPECT_FALSE(std::filesystem::exists(home / "Beta" / "新しいフォルダー"));
    EXPECT_EQ(selectedPath(), pathOf("Beta"));
    EXPECT_FALSE(tree->IsEditing());
}

TEST_F(FolderTreeEventsTest, NoNewFolderOffTheFileSystemAndTheHomeFolderIsFound) {
    click("コンピュータ");
    click("コンピュータ", Qt::RightButton);
    auto* item = static_cast<TMenuItem*>(tree->FindComponent("NewFolder"));
    const QPoint at = widget()->visualItemRect(rowOf("コンピュータ")).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, widget()->viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(widget()->viewport(), &event);
    EXPECT_FALSE(item->Enabled());
    tree->FolderMenu()->Menu()->hide();
    EXPECT_EQ(tree->NewFolder(), nullptr);
    ASSERT_EQ(boxes.size(), 1u);

    EXPECT_TRUE(tree->SelectHome());
    EXPECT_EQ(selectedPath(), home.string());
}

}  // namespace
