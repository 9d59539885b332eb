#include "framework/Fileenumerator.h"

#include "framework/Exception.h"
#include "framework/IFileEnumerateListener.h"
#include "framework/IResource.h"
#include "tests/framework/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

class Recorder : public IFileEnumerateListener {
public:
    explicit Recorder(std::string tag = "", std::vector<std::string>* log = nullptr) : tag(std::move(tag)), log(log) {}
    void onEnumerate(IResource* entry) override {
        paths.push_back(entry->getPath());
        if (log != nullptr) log->push_back(tag + ":" + entry->getName());
        if (onEach) onEach(entry);
    }
    std::vector<std::string> paths;
    std::function<void(IResource*)> onEach;

private:
    std::string tag;
    std::vector<std::string>* log;
};

class FileEnumeratorTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = folder.folder("root");
        folder.file("root/a.txt", "a");
        folder.file("root/.hidden", "h");
        folder.file("root/S/c.txt", "c");
        folder.file("root/S/S2/d.txt", "d");
        folder.folder("root/E");
    }
    std::vector<std::string> walk(const std::string& path, bool recursive) {
        FileEnumerator enumerator;
        Recorder recorder;
        enumerator.addListener(&recorder);
        enumerator.setRecursive(recursive);
        enumerator.setPath(path);
        enumerator.enumerate();
        return recorder.paths;
    }
    static std::set<std::string> sorted(const std::vector<std::string>& paths) {
        return std::set<std::string>(paths.begin(), paths.end());
    }
    std::set<std::string> under(std::initializer_list<const char*> names) {
        std::set<std::string> paths;
        for (const char* name : names) paths.insert(root + "/" + name);
        return paths;
    }

    TemporaryFolder folder;
    std::string root;
};

}  // namespace

TEST_F(FileEnumeratorTest, FlatWalkReportsFilesFoldersAndHiddenEntriesButNothingBelow) {
    EXPECT_EQ(sorted(walk(root, false)), under({"a.txt", ".hidden", "S", "E"}));
}

TEST_F(FileEnumeratorTest, FolderWithOrWithoutTrailingSeparatorWalksAlike) {
    EXPECT_EQ(walk(root + "/", true), walk(root, true));
}

TEST_F(FileEnumeratorTest, FilePathWalksItsWholeFolder) {
    EXPECT_EQ(sorted(walk(root + "/a.txt", false)), under({"a.txt", ".hidden", "S", "E"}));
}

TEST_F(FileEnumeratorTest, EmptyFolderReportsNothing) { EXPECT_TRUE(walk(root + "/E", true).empty()); }

TEST_F(FileEnumeratorTest, RecursiveWalkIsDepthFirstAndPreOrder) {
    const std::vector<std::string> paths = walk(root, true);
    EXPECT_EQ(sorted(paths), under({"a.txt", ".hidden", "S", "E", "S/c.txt", "S/S2", "S/S2/d.txt"}));
    // Every folder is followed at once by all that lies below it, before its next sibling.
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string prefix = paths[i] + "/";
        const auto below = [&](const std::string& p) { return p.compare(0, prefix.size(), prefix) == 0; };
        const auto count = static_cast<std::size_t>(std::count_if(paths.begin(), paths.end(), below));
        for (std::size_t j = i + 1; j <= i + count; ++j) EXPECT_TRUE(below(paths[j])) << paths[j];
    }
}

TEST_F(FileEnumeratorTest, ListenersHearEachEntryInRegistrationOrder) {
    std::vector<std::string> log;
    Recorder a("A", &log), b("B", &log);
    FileEnumerator enumerator;
    enumerator.addListener(&a);
    enumerator.addListener(&b);
    enumerator.addListener(&a);
    enumerator.setRecursive(false);
    enumerator.setPath(root + "/S/S2");
    enumerator.enumerate();
    EXPECT_EQ(log, (std::vector<std::string>{"A:d.txt", "B:d.txt", "A:d.txt"}));
}

TEST_F(FileEnumeratorTest, TurningRecursionOffMidwayStopsDescentForWhatFollows) {
    FileEnumerator enumerator;
    Recorder recorder;
    recorder.onEach = [&](IResource* entry) {
        if (entry->isDirectory()) enumerator.setRecursive(false);
    };
    enumerator.addListener(&recorder);
    enumerator.setRecursive(true);
    enumerator.setPath(root);
    enumerator.enumerate();
    EXPECT_EQ(sorted(recorder.paths), under({"a.txt", ".hidden", "S", "E"}));
}

TEST_F(FileEnumeratorTest, PathNamingNothingIsAnIOExceptionBeforeAnyListener) {
    FileEnumerator enumerator;
    Recorder recorder;
    enumerator.addListener(&recorder);
    for (const std::string& path : {root + "/missing", std::string()}) {
        enumerator.setPath(path);
        try {
            enumerator.enumerate();
            ADD_FAILURE() << "no exception for " << path;
        } catch (const IOException& e) {
            EXPECT_EQ(e.getMessage(), "指定されたファイルが無効です。");
        }
    }
    EXPECT_TRUE(recorder.paths.empty());
}

TEST_F(FileEnumeratorTest, ListenerExceptionEndsTheWalk) {
    struct Stop {};
    FileEnumerator enumerator;
    Recorder recorder;
    recorder.onEach = [](IResource*) { throw Stop(); };
    enumerator.addListener(&recorder);
    enumerator.setRecursive(true);
    enumerator.setPath(root);
    EXPECT_THROW(enumerator.enumerate(), Stop);
    EXPECT_EQ(recorder.paths.size(), 1u);
}

TEST_F(FileEnumeratorTest, RootChildrenHaveSingleSeparators) {
    const std::vector<std::string> paths = walk("/", false);
    ASSERT_FALSE(paths.empty());
    for (const std::string& path : paths) {
        EXPECT_EQ(path.rfind('/'), 0u) << path;
    }
    EXPECT_NE(std::find(paths.begin(), paths.end(), "/tmp"), paths.end());
}

// The order is the byte order of the paths below the walked folder, whatever order the names were
// made in: a folder's contents right after it ("a/" sorts between "a.so" and "a0"), capitals
// before small letters, UTF-8 after ASCII.
TEST_F(FileEnumeratorTest, EntriesComeInTheByteOrderOfTheirPaths) {
    const std::vector<std::string> expected = {"B.so", "a.so", "a", "a/b.so", "a/c", "a/c/d.so",
                                               "a0.so", "z.so", "\xc3\xa9.so"};
    const std::string top = folder.folder("ordered");
    for (auto name = expected.rbegin(); name != expected.rend(); ++name) {
        if (*name == "a" || *name == "a/c") continue;
        folder.file("ordered/" + *name, "x");
    }
    std::vector<std::string> relative;
    for (const std::string& path : walk(top, true)) relative.push_back(path.substr(top.size() + 1));
    EXPECT_EQ(relative, expected);
}

// Links back to a folder the walk is inside, or has been in, are reported but not entered: the
// walk ends, and every real entry comes once.
TEST_F(FileEnumeratorTest, LinksToFoldersAlreadyEnteredAreNotFollowed) {
    std::filesystem::create_directory_symlink(".", root + "/self");
    std::filesystem::create_directory_symlink(".", root + "/self2");
    std::filesystem::create_directory_symlink("..", root + "/S/S2/up");
    std::filesystem::create_directory_symlink(root + "/E", root + "/S/S2/side");
    const std::vector<std::string> paths = walk(root, true);
    std::vector<std::string> expected = {"a.txt", ".hidden", "S", "E", "S/c.txt", "S/S2",
                                         "S/S2/d.txt", "self", "self2", "S/S2/up", "S/S2/side"};
    std::vector<std::string> expectedPaths;
    for (const std::string& name : expected) expectedPaths.push_back(root + "/" + name);
    std::sort(expectedPaths.begin(), expectedPaths.end());
    EXPECT_EQ(paths, expectedPaths);
}

// A bare file name stands for the current folder, not for the root.
TEST_F(FileEnumeratorTest, ABareNameWalksTheCurrentFolder) {
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(root);
    std::vector<std::string> paths;
    try {
        paths = walk("a.txt", false);
    } catch (...) {
        std::filesystem::current_path(previous);
        throw;
    }
    std::filesystem::current_path(previous);
    EXPECT_EQ(paths, (std::vector<std::string>{".hidden", "E", "S", "a.txt"}));
}
