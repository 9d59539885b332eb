#include "controls/FolderTreeView.h"

#include "controls/Shellitem.h"
#include "platform/classlib/Qtsupport.h"
#include "platform/classlib/TTreeNode.h"
#include "platform/classlib/TTreeNodes.h"
#include "platform/shell/ShellImageList.h"
#include "tests/controls/FolderFixture.h"

#include <QCursor>
#include <QWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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

TEST_F(FolderTreeViewTest, FirstExpansionShowsVisibleFoldersAndSecondReadsNothing) {
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
    visible->Collapse(false);
    std::filesystem::create_directory(home / "visible" / "later");
    visible->Expand(false);
    EXPECT_TRUE(visible->Expanded());
    EXPECT_EQ(texts(visible), std::vector<std::string>{"inner"});
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

}  // namespace
