#include "platform/shell/ShellNamespace.h"

#include "platform/shell/ShellAllocator.h"
#include "platform/shell/ShellEnumerator.h"
#include "platform/shell/ShellFolder.h"
#include "platform/shell/ShellPlaces.h"
#include "tests/platform/shell/WithoutRoot.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A list from the namespace, given back to its allocator at the end of the scope.
class List {
public:
    List() = default;
    List(const List&) = delete;
    List& operator=(const List&) = delete;
    ~List() { ShellNamespace::getAllocator().free(list); }
    ItemIdList** out() { return &list; }
    const ItemIdList* get() const { return list; }

private:
    ItemIdList* list = nullptr;
};

class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value) : name(name) {
        if (const char* old = std::getenv(name)) {
            previous = old;
        }
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment() {
        if (previous) {
            setenv(name, previous->c_str(), 1);
        } else {
            unsetenv(name);
        }
    }

private:
    const char* name;
    std::optional<std::string> previous;
};

std::string displayName(const ItemIdList* list) {
    ShellFileInfo info;
    EXPECT_TRUE(ShellNamespace::getFileInfo(list, ShellInfoDisplayName, info));
    return info.displayName;
}

unsigned attributes(const ItemIdList* list) {
    ShellFileInfo info;
    EXPECT_TRUE(ShellNamespace::getFileInfo(list, ShellInfoAttributes, info));
    return info.attributes;
}

std::string path(const ItemIdList* list) {
    std::string result;
    ShellNamespace::getPathFromIdList(list, result);
    return result;
}

// A home folder of its own with visible and hidden entries, as HOME for the test's duration.
class ShellNamespaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/shellns-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        home = root / "home";
        fs::create_directories(home / "visible" / "inner");
        fs::create_directories(home / "onlyHidden" / ".secret");
        fs::create_directories(home / ".hiddenFolder");
        fs::create_directories(home / "alpha");
        fs::create_directories(home / "Zeta");
        std::ofstream(home / "b.txt") << "b";
        std::ofstream(home / "A.txt") << "a";
        std::ofstream(home / "a.txt") << "a";
        std::ofstream(home / ".dotfile") << "hidden";
        fs::create_directory_symlink(home / "visible", home / "linkToFolder");
        fs::create_symlink(home / "missing", home / "dangling");
        homeVariable.emplace("HOME", home.string());
        configVariable.emplace("XDG_CONFIG_HOME", (root / "config").string());
    }

    void TearDown() override {
        std::error_code ignored;
        fs::permissions(home / "locked", fs::perms::owner_all, ignored);
        fs::remove_all(root, ignored);
    }

    // The display names of a folder's children, in the enumerator's order.
    std::vector<std::string> children(const std::string& folderPath, unsigned flags) {
        std::unique_ptr<ShellFolder> desktop;
        EXPECT_EQ(ShellNamespace::getDesktopFolder(desktop), ShellOk);
        List absolute;
        std::unique_ptr<ShellFolder> folder;
        if (folderPath.empty()) {
            folder = std::move(desktop);
        } else {
            EXPECT_EQ(desktop->parseDisplayName(folderPath, absolute.out()), ShellOk);
            EXPECT_EQ(desktop->bindToObject(absolute.get(), folder), ShellOk);
        }
        std::vector<std::string> names;
        std::unique_ptr<ShellEnumerator> enumerator;
        if (folder == nullptr || folder->enumObjects(flags, enumerator) != ShellOk) {
            return names;
        }
        for (;;) {
            List child;
            if (enumerator->next(child.out()) != ShellOk) {
                break;
            }
            // A child's list is relative to its folder: joined to the folder's, it names it.
            names.push_back(childName(absolute.get(), child.get()));
        }
        return names;
    }

    static std::string childName(const ItemIdList* parent, const ItemIdList* child) {
        auto size = [](const ItemIdList* list) {
            std::size_t total = 0;
            if (list == nullptr) {
                return total;
            }
            const auto* at = reinterpret_cast<const unsigned char*>(list);
            for (std::size_t count = at[0] | (at[1] << 8); count != 0; count = at[total] | (at[total + 1] << 8)) {
                total += count;
            }
            return total;
        };
        std::string bytes(reinterpret_cast<const char*>(parent), parent != nullptr ? size(parent) : 0);
        bytes.append(reinterpret_cast<const char*>(child), size(child) + 2);
        return displayName(reinterpret_cast<const ItemIdList*>(bytes.data()));
    }

    std::unique_ptr<ShellFolder> desktop() {
        std::unique_ptr<ShellFolder> folder;
        EXPECT_EQ(ShellNamespace::getDesktopFolder(folder), ShellOk);
        return folder;
    }

    fs::path root;
    fs::path home;
    std::optional<ScopedEnvironment> homeVariable;
    std::optional<ScopedEnvironment> configVariable;
};

TEST_F(ShellNamespaceTest, DesktopIsAnEmptyVirtualFolder) {
    List desktopList;
    ASSERT_EQ(ShellNamespace::getDesktopLocation(desktopList.out()), ShellOk);
    const auto* bytes = reinterpret_cast<const unsigned char*>(desktopList.get());
    EXPECT_EQ(bytes[0], 0);
    EXPECT_EQ(bytes[1], 0);
    EXPECT_EQ(displayName(desktopList.get()), "コンピュータ");
    EXPECT_EQ(attributes(desktopList.get()),
              ShellAttributeFolder | ShellAttributeHasSubFolder | ShellAttributeFileSystemAncestor);
    std::string desktopPath = "unchanged";
    EXPECT_FALSE(ShellNamespace::getPathFromIdList(desktopList.get(), desktopPath));
    EXPECT_EQ(desktopPath, "");
}

TEST_F(ShellNamespaceTest, DesktopChildrenAreHomeDesktopWhenPresentAndRoot) {
    const unsigned all = ShellEnumFolders | ShellEnumNonFolders;
    EXPECT_EQ(children("", all), (std::vector<std::string>{"ホーム", "ファイルシステム"}));

    fs::create_directory(home / "Desktop");
    EXPECT_EQ(children("", all), (std::vector<std::string>{"ホーム", "デスクトップ", "ファイルシステム"}));

    // xdg-user-dirs points the desktop at the home folder when the user has none of its own.
    fs::create_directories(root / "config");
    std::ofstream(root / "config" / "user-dirs.dirs") << "# comment\nXDG_DESKTOP_DIR=\"$HOME/\"\n";
    EXPECT_EQ(children("", all), (std::vector<std::string>{"ホーム", "ファイルシステム"}));

    fs::create_directory(home / "机");
    std::ofstream(root / "config" / "user-dirs.dirs") << "XDG_DESKTOP_DIR=\"$HOME/机\"\n";
    EXPECT_EQ(children("", all), (std::vector<std::string>{"ホーム", "デスクトップ", "ファイルシステム"}));
    EXPECT_EQ(children("", ShellEnumNonFolders), std::vector<std::string>{});
}

TEST_F(ShellNamespaceTest, BlockDevicesAreTheKernelsDisksInTheDeviceFolderWithoutVirtualOnes) {
    for (const char* name : {"sdb", "sda1", "mmcblk0", "loop7", "ram0", "zram0", "cciss!c0d0"}) {
        fs::create_directories(root / "block" / name);
    }
    ShellPlaces::setDeviceFolders((root / "block").string(), (root / "dev").string());
    const std::string dev = (root / "dev").string();
    EXPECT_EQ(ShellPlaces::deviceFolder(), dev);
    EXPECT_EQ(ShellPlaces::blockDevices(),
              (std::vector<std::string>{dev + "/cciss/c0d0", dev + "/mmcblk0", dev + "/sda1", dev + "/sdb"}));
    // A machine without the kernel's list has none to offer.
    ShellPlaces::setDeviceFolders((root / "nothing").string(), dev);
    EXPECT_TRUE(ShellPlaces::blockDevices().empty());
    ShellPlaces::setDeviceFolders("", "");
    EXPECT_EQ(ShellPlaces::deviceFolder(), "/dev");
}

TEST_F(ShellNamespaceTest, PlacesResolveToTheirFolders) {
    fs::create_directory(home / "Desktop");
    std::unique_ptr<ShellFolder> folder = desktop();
    std::unique_ptr<ShellEnumerator> enumerator;
    ASSERT_EQ(folder->enumObjects(ShellEnumFolders, enumerator), ShellOk);
    std::vector<std::string> paths;
    for (;;) {
        List child;
        if (enumerator->next(child.out()) != ShellOk) {
            break;
        }
        paths.push_back(path(child.get()));
        EXPECT_TRUE(attributes(child.get()) & ShellAttributeFileSystem);
    }
    EXPECT_EQ(paths, (std::vector<std::string>{home.string(), (home / "Desktop").string(), "/"}));
}

TEST_F(ShellNamespaceTest, FolderListsVisibleEntriesFoldersFirstThenNamesIgnoringCase) {
    const std::vector<std::string> folders{"alpha", "linkToFolder", "onlyHidden", "visible", "Zeta"};
    // "A.txt" and "a.txt" differ in case only: both are listed, in a fixed order.
    const std::vector<std::string> files{"A.txt", "a.txt", "b.txt", "dangling"};
    std::vector<std::string> all = folders;
    all.insert(all.end(), files.begin(), files.end());

    EXPECT_EQ(children(home.string(), ShellEnumFolders | ShellEnumNonFolders), all);
    EXPECT_EQ(children(home.string(), ShellEnumFolders), folders);
    EXPECT_EQ(children(home.string(), ShellEnumNonFolders), files);
    const std::vector<std::string> withHidden = children(home.string(), ShellEnumFolders | ShellEnumIncludeHidden);
    EXPECT_EQ(withHidden.front(), ".hiddenFolder");
    EXPECT_EQ(children((home / "onlyHidden").string(), ShellEnumFolders | ShellEnumNonFolders),
              std::vector<std::string>{});
}

TEST_F(ShellNamespaceTest, AttributesFollowTheFileSystem) {
    struct Case {
        std::string relative;
        unsigned expected;
    };
    const unsigned folder = ShellAttributeFolder | ShellAttributeFileSystem | ShellAttributeFileSystemAncestor;
    const Case cases[] = {
        {"visible", folder | ShellAttributeHasSubFolder},
        {"linkToFolder", folder | ShellAttributeHasSubFolder},
        {"onlyHidden", folder},
        {"visible/inner", folder},
        {"b.txt", ShellAttributeFileSystem},
        {"dangling", ShellAttributeFileSystem},
    };
    std::unique_ptr<ShellFolder> folderOfDesktop = desktop();
    for (const Case& item : cases) {
        SCOPED_TRACE(item.relative);
        List list;
        ASSERT_EQ(folderOfDesktop->parseDisplayName((home / item.relative).string(), list.out()), ShellOk);
        EXPECT_EQ(attributes(list.get()), item.expected);
        EXPECT_EQ(path(list.get()), (home / item.relative).string());
        EXPECT_EQ(displayName(list.get()), fs::path(item.relative).filename().string());
    }
}

TEST_F(ShellNamespaceTest, ParseNormalisesSeparatorsAndRefusesWhatItCannotName) {
    std::unique_ptr<ShellFolder> folder = desktop();
    {
        List list;
        ASSERT_EQ(folder->parseDisplayName("/", list.out()), ShellOk);
        EXPECT_EQ(path(list.get()), "/");
        EXPECT_EQ(displayName(list.get()), "ファイルシステム");
    }
    {
        List list;
        ASSERT_EQ(folder->parseDisplayName("/" + home.string() + "/./visible//inner/", list.out()), ShellOk);
        EXPECT_EQ(path(list.get()), (home / "visible" / "inner").string());
    }
    struct Case {
        std::string name;
        ShellResult expected;
    };
    const Case failures[] = {
        {"", -EINVAL},
        {"relative/path", -EINVAL},
        {(home / "visible" / ".." / "alpha").string(), -EINVAL},
        {(home / "missing").string(), -ENOENT},
        {(home / "b.txt" / "below").string(), -ENOTDIR},
    };
    for (const Case& failure : failures) {
        SCOPED_TRACE(failure.name);
        List list;
        EXPECT_EQ(folder->parseDisplayName(failure.name, list.out()), failure.expected);
        EXPECT_EQ(list.get(), nullptr);
    }
}

TEST_F(ShellNamespaceTest, BindingNeedsAFolderThatStillIsOne) {
    std::unique_ptr<ShellFolder> folder = desktop();
    List file;
    ASSERT_EQ(folder->parseDisplayName((home / "b.txt").string(), file.out()), ShellOk);
    std::unique_ptr<ShellFolder> bound;
    EXPECT_EQ(folder->bindToObject(file.get(), bound), -ENOTDIR);
    EXPECT_EQ(bound, nullptr);

    // A folder replaced by a file after its list was made can no longer be bound or read.
    List replaced;
    ASSERT_EQ(folder->parseDisplayName((home / "alpha").string(), replaced.out()), ShellOk);
    ASSERT_EQ(folder->bindToObject(replaced.get(), bound), ShellOk);
    fs::remove(home / "alpha");
    std::ofstream(home / "alpha") << "now a file";
    std::unique_ptr<ShellEnumerator> enumerator;
    EXPECT_EQ(bound->enumObjects(ShellEnumFolders, enumerator), -ENOTDIR);
    EXPECT_EQ(enumerator, nullptr);
    EXPECT_EQ(folder->bindToObject(replaced.get(), bound), -ENOTDIR);
}

TEST_F(ShellNamespaceTest, UnreadableFolderOffersSubFoldersButFailsToEnumerate) {
    if (withoutroot::rerunWithoutRoot(root)) {
        return;
    }
    fs::create_directories(home / "locked" / "sub");
    fs::permissions(home / "locked", fs::perms::none);
    std::unique_ptr<ShellFolder> folder = desktop();
    List locked;
    ASSERT_EQ(folder->parseDisplayName((home / "locked").string(), locked.out()), ShellOk);
    EXPECT_TRUE(attributes(locked.get()) & ShellAttributeHasSubFolder);
    std::unique_ptr<ShellFolder> bound;
    ASSERT_EQ(folder->bindToObject(locked.get(), bound), ShellOk);
    std::unique_ptr<ShellEnumerator> enumerator;
    EXPECT_EQ(bound->enumObjects(ShellEnumFolders | ShellEnumNonFolders, enumerator), -EACCES);
    List below;
    EXPECT_EQ(folder->parseDisplayName((home / "locked" / "sub").string(), below.out()), -EACCES);
}

TEST_F(ShellNamespaceTest, CompareOrdersParentsFirstAndIsZeroOnlyForTheSameItem) {
    std::unique_ptr<ShellFolder> folder = desktop();
    auto parse = [&](const std::string& name) {
        auto list = std::make_unique<List>();
        EXPECT_EQ(folder->parseDisplayName(name, list->out()), ShellOk) << name;
        return list;
    };
    List desktopList;
    ASSERT_EQ(ShellNamespace::getDesktopLocation(desktopList.out()), ShellOk);
    const auto homeFolder = parse(home.string());
    const auto homeAgain = parse(home.string() + "/");
    const auto visible = parse((home / "visible").string());
    const auto zeta = parse((home / "Zeta").string());
    const auto upper = parse((home / "A.txt").string());
    const auto lower = parse((home / "a.txt").string());

    EXPECT_EQ(folder->compareIds(homeFolder->get(), homeAgain->get()), 0);
    EXPECT_LT(folder->compareIds(desktopList.get(), homeFolder->get()), 0);
    EXPECT_LT(folder->compareIds(homeFolder->get(), visible->get()), 0);
    EXPECT_GT(folder->compareIds(visible->get(), homeFolder->get()), 0);
    EXPECT_LT(folder->compareIds(visible->get(), zeta->get()), 0);
    EXPECT_LT(folder->compareIds(zeta->get(), upper->get()), 0);
    EXPECT_NE(folder->compareIds(upper->get(), lower->get()), 0);
    EXPECT_EQ(folder->compareIds(upper->get(), lower->get()), -folder->compareIds(lower->get(), upper->get()));
    EXPECT_GT(folder->compareIds(nullptr, upper->get()), 0);
}

TEST_F(ShellNamespaceTest, IconsDistinguishPlacesFoldersAndFiles) {
    std::unique_ptr<ShellFolder> folder = desktop();
    struct Case {
        std::string name;
        int icon;
        int openIcon;
    };
    const Case cases[] = {
        {"/", ShellIconDrive, ShellIconDrive},
        {(home / "visible").string(), ShellIconFolder, ShellIconOpenFolder},
        {(home / "b.txt").string(), ShellIconFile, ShellIconFile},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
        List list;
        ASSERT_EQ(folder->parseDisplayName(item.name, list.out()), ShellOk);
        ShellFileInfo info;
        ASSERT_TRUE(ShellNamespace::getFileInfo(list.get(), ShellInfoIconIndex, info));
        EXPECT_EQ(info.iconIndex, item.icon);
        ASSERT_TRUE(ShellNamespace::getFileInfo(list.get(), ShellInfoIconIndex | ShellInfoOpenIcon, info));
        EXPECT_EQ(info.iconIndex, item.openIcon);
    }
}

}  // namespace
