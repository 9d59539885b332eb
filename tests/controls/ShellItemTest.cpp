#include "controls/Shellitem.h"

#include "controls/Itemidlistex.h"
#include "platform/classlib/core/Sysutils.h"
#include "platform/shell/ShellEnumerator.h"
#include "platform/shell/ShellFolder.h"
#include "tests/controls/FolderFixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using Children = std::vector<std::unique_ptr<ShellItem>>;

Children take(std::vector<ShellItem*>* raw) {
    std::unique_ptr<std::vector<ShellItem*>> owned(raw);
    Children children;
    for (ShellItem* item : *owned) {
        children.emplace_back(item);
    }
    return children;
}

std::vector<std::string> names(const Children& children) {
    std::vector<std::string> result;
    for (const auto& child : children) {
        result.push_back(child->getDisplayName());
    }
    return result;
}

std::string bytesOf(const ItemIdList* list) {
    return std::string(reinterpret_cast<const char*>(list), static_cast<std::size_t>(getItemIDListSize(list)) + 2);
}

class ShellItemTest : public FolderFixture {};

TEST_F(ShellItemTest, DesktopIsTheRootOfPlaces) {
    ShellItem desktop;
    EXPECT_EQ(getItemIDListSize(desktop.getItemIDList()), 0);
    EXPECT_STREQ(desktop.getDisplayName(), "コンピュータ");
    EXPECT_TRUE(desktop.isFolder());
    EXPECT_TRUE(desktop.hasSubFolder());
    EXPECT_FALSE(desktop.isFileSystem());
    EXPECT_TRUE(desktop.isFileSystemAncestor());
    EXPECT_EQ(desktop.getPath(), "");

    const Children places = take(desktop.getChildren(nullptr));
    EXPECT_EQ(names(places), (std::vector<std::string>{"ホーム", "ファイルシステム"}));
    EXPECT_EQ(places[0]->getPath(), home.string());
    EXPECT_EQ(places[1]->getPath(), "/");
    EXPECT_TRUE(places[0]->isFileSystem() && places[0]->isFolder());
}

TEST_F(ShellItemTest, ChildrenAreVisibleEntriesInFileManagerOrder) {
    ShellItem homeItem(home.c_str(), nullptr);
    EXPECT_STREQ(homeItem.getDisplayName(), "home");
    const Children children = take(homeItem.getChildren(nullptr));
    EXPECT_EQ(names(children), (std::vector<std::string>{"Beta", "hiddenOnly", "visible", "alpha.txt"}));
    EXPECT_EQ(children[2]->getPath(), pathOf("visible"));
    EXPECT_TRUE(children[2]->hasSubFolder());
    EXPECT_FALSE(children[1]->hasSubFolder());
    EXPECT_FALSE(children[3]->isFolder());
    EXPECT_TRUE(children[3]->isFileSystem());
    EXPECT_NE(children[2]->getIconIndex(), children[2]->getOpenIconIndex());

    ShellItem hiddenOnly(pathOf("hiddenOnly").c_str(), nullptr);
    EXPECT_TRUE(take(hiddenOnly.getChildren(nullptr)).empty());
}

TEST_F(ShellItemTest, ChildrenOfAFileAreRefused) {
    ShellItem file(pathOf("alpha.txt").c_str(), nullptr);
    try {
        take(file.getChildren(nullptr));
        FAIL() << "a file has no children";
    } catch (const EOleError& error) {
        EXPECT_EQ(error.Message, "フォルダではありません。");
    }
}

TEST_F(ShellItemTest, FolderThatCannotBeReadAnymoreRaisesASystemError) {
    ShellItem folder(pathOf("Beta").c_str(), nullptr);
    replaceFolderWithFile("Beta");
    EXPECT_TRUE(folder.isFolder());
    EXPECT_THROW(folder.getShellFolder(), EOleSysError);
    EXPECT_THROW(take(folder.getChildren(nullptr)), EOleSysError);
}

TEST_F(ShellItemTest, ItemOfAPathThatCannotBeNamedAnswersSoundly) {
    const std::string missing = pathOf("missing");
    for (const std::string& path : {missing, std::string("relative.txt"), std::string()}) {
        SCOPED_TRACE(path);
        ShellItem item(path.c_str(), nullptr);
        EXPECT_EQ(item.getItemIDList(), nullptr);
        EXPECT_EQ(item.getDisplayName(), path);
        EXPECT_FALSE(item.isFolder());
        EXPECT_FALSE(item.isFileSystem());
        EXPECT_EQ(item.getPath(), "");
        EXPECT_THROW(take(item.getChildren(nullptr)), EOleError);
        EXPECT_THROW(item.getShellFolder(), EOleSysError);
        ShellItem other(home.c_str(), nullptr);
        EXPECT_GT(item.compare(&other), 0);
        EXPECT_LT(other.compare(&item), 0);
    }
}

TEST_F(ShellItemTest, CompareIsZeroForTheSameObjectAndFollowsTheNamespaceOrder) {
    ShellItem first(pathOf("visible").c_str(), nullptr);
    ShellItem second((home.string() + "//visible/").c_str(), nullptr);
    ShellItem file(pathOf("alpha.txt").c_str(), nullptr);
    ShellItem parent(home.c_str(), nullptr);
    EXPECT_EQ(static_cast<short>(first.compare(&second) & 0xFFFF), 0);
    EXPECT_LT(static_cast<short>(first.compare(&file) & 0xFFFF), 0);
    EXPECT_GT(static_cast<short>(file.compare(&first) & 0xFFFF), 0);
    EXPECT_LT(static_cast<short>(parent.compare(&first) & 0xFFFF), 0);
}

TEST_F(ShellItemTest, ChildOfAnItemHoldsTheJoinedAbsoluteList) {
    ShellItem homeItem(home.c_str(), nullptr);
    ShellItem visible(pathOf("visible").c_str(), nullptr);
    std::unique_ptr<ShellFolder> folder = homeItem.getShellFolder();
    std::unique_ptr<ShellEnumerator> enumerator;
    ASSERT_EQ(folder->enumObjects(ShellEnumFolders, enumerator), ShellOk);
    ItemIdList* relative = nullptr;
    std::string visibleRelative;
    while (enumerator->next(&relative) == ShellOk) {
        std::unique_ptr<ShellItem> child(homeItem.createChild(relative));
        if (child->getPath() == pathOf("visible")) {
            visibleRelative = bytesOf(relative);
            EXPECT_EQ(bytesOf(child->getItemIDList()), bytesOf(visible.getItemIDList()));
            EXPECT_EQ(child->compare(&visible), 0);
        }
        freeItemIDList(relative);
    }
    ASSERT_FALSE(visibleRelative.empty());
    EXPECT_EQ(getItemIDListSize(visible.getItemIDList()),
              getItemIDListSize(homeItem.getItemIDList()) + static_cast<int>(visibleRelative.size()) - 2);
}

TEST(ItemIdListTest, ConcatenationWithAnEmptyListCopiesTheOther) {
    // Two items of 5 and 3 bytes; the counts start at odd offsets too.
    const unsigned char bytes[] = {5, 0, 4, 0, 'x', 4, 0, 4, 0, 0, 0};
    const unsigned char lone[] = {6, 0, 4, 1, 'a', 'b', 0, 0};
    const unsigned char empty[] = {0, 0};
    const auto* list = reinterpret_cast<const ItemIdList*>(bytes);
    const auto* other = reinterpret_cast<const ItemIdList*>(lone);
    const auto* none = reinterpret_cast<const ItemIdList*>(empty);
    EXPECT_EQ(getItemIDListSize(list), 9);
    EXPECT_EQ(getItemIDListSize(none), 0);
    EXPECT_EQ(getItemIDListSize(nullptr), 0);

    struct Case {
        const ItemIdList* first;
        const ItemIdList* second;
        std::string expected;
    };
    const Case cases[] = {
        {none, list, std::string(reinterpret_cast<const char*>(bytes), sizeof bytes)},
        {list, none, std::string(reinterpret_cast<const char*>(bytes), sizeof bytes)},
        {none, none, std::string(2, '\0')},
        {list, other, std::string(reinterpret_cast<const char*>(bytes), 9) + std::string(reinterpret_cast<const char*>(lone), sizeof lone)},
    };
    for (const Case& item : cases) {
        ItemIdList* joined = concatItemIDList(item.first, item.second);
        EXPECT_EQ(bytesOf(joined), item.expected);
        freeItemIDList(joined);
    }
    EXPECT_EQ(std::memcmp(bytes, "\5\0\4\0x", 5), 0) << "inputs stay unchanged";
}

}  // namespace
