#include "framework/Resource.h"

#include "tests/framework/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include <sys/stat.h>

namespace {

class ResourceTest : public ::testing::Test {
protected:
    TemporaryFolder folder;
    Resource entry;
};

struct PathCase {
    const char* given;   // below the temporary folder T
    const char* stored;  // likewise
    const char* name;
    const char* parent;  // likewise; "-" for empty
    bool directory;
    bool file;
};

}  // namespace

TEST_F(ResourceTest, TrailingSeparatorAndSplitRules) {
    folder.file("data/f.txt", "hello");
    const PathCase cases[] = {
        {"/data/", "/data", "data", "", true, false},
        {"/data", "/data", "data", "", true, false},
        // Only one separator goes: the name after the remaining one is empty.
        {"/data//", "/data/", "", "/data", true, false},
        {"/data/f.txt", "/data/f.txt", "f.txt", "/data", false, true},
        {"/data/missing", "/data/missing", "", "-", false, false},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.given);
        entry.setPath(folder.path() + c.given);
        EXPECT_EQ(entry.getPath(), folder.path() + c.stored);
        EXPECT_EQ(entry.getName(), c.name);
        EXPECT_EQ(entry.getParent(), std::string(c.parent) == "-" ? "" : folder.path() + c.parent);
        EXPECT_EQ(entry.isDirectory(), c.directory);
        EXPECT_EQ(entry.isFile(), c.file);
        EXPECT_EQ(entry.exists(), c.directory || c.file);
    }
}

TEST_F(ResourceTest, RootStillNamesTheRoot) {
    for (const char* root : {"/", "//"}) {
        SCOPED_TRACE(root);
        entry.setPath(root);
        EXPECT_EQ(entry.getPath(), "/");
        EXPECT_TRUE(entry.isDirectory());
        EXPECT_EQ(entry.getName(), "");
        EXPECT_EQ(entry.getParent(), "");
    }
    entry.setPath("/tmp");
    EXPECT_EQ(entry.getName(), "tmp");
    EXPECT_EQ(entry.getParent(), "");
}

TEST_F(ResourceTest, BareNameIsLookedUpInTheCurrentFolder) {
    folder.file("bare.txt", "abc");
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    entry.setPath("bare.txt");
    std::filesystem::current_path(previous);
    EXPECT_TRUE(entry.isFile());
    EXPECT_EQ(entry.getName(), "bare.txt");
    EXPECT_EQ(entry.getParent(), "");
    EXPECT_EQ(entry.getSizeLow(), 3u);
}

TEST_F(ResourceTest, NothingFoundClearsNameAndParentButKeepsPathAndSize) {
    const std::string path = folder.file("five.bin", "12345");
    entry.setPath("");
    EXPECT_FALSE(entry.exists());
    entry.setPath(path);
    EXPECT_EQ(entry.getSizeLow(), 5u);
    entry.setPath(folder.path("gone"));
    EXPECT_FALSE(entry.exists());
    EXPECT_EQ(entry.getPath(), folder.path("gone"));
    EXPECT_EQ(entry.getName(), "");
    EXPECT_EQ(entry.getParent(), "");
    EXPECT_EQ(entry.getSizeLow(), 5u);
    entry.setPath(path);
    EXPECT_TRUE(entry.isFile());
    EXPECT_EQ(entry.getName(), "five.bin");
}

TEST_F(ResourceTest, SizeIsSixtyFourBitsInTwoHalves) {
    const std::string path = folder.file("sparse.bin", "");
    std::filesystem::resize_file(path, (std::uint64_t{1} << 32) + 1);
    entry.setPath(path);
    std::uint32_t high = 0, low = 0;
    entry.getSize(&high, &low);
    EXPECT_EQ(high, 1u);
    EXPECT_EQ(low, 1u);
    EXPECT_EQ(entry.getSizeLow(), 1u);
}

TEST_F(ResourceTest, CreateFileMakesOnlyNewFiles) {
    const std::string existing = folder.file("existing.txt", "x");
    entry.setPath(existing);
    EXPECT_FALSE(entry.createFile());
    EXPECT_EQ(entry.getSizeLow(), 1u);

    entry.setPath(folder.path());
    EXPECT_FALSE(entry.createFile());
    EXPECT_TRUE(entry.isDirectory());

    entry.setPath(folder.path("no/such/folder/new.txt"));
    EXPECT_FALSE(entry.createFile());

    // Someone else made the file after the look-up: the file system still refuses.
    entry.setPath(folder.path("late.txt"));
    folder.file("late.txt", "abc");
    EXPECT_FALSE(entry.createFile());
    EXPECT_EQ(std::filesystem::file_size(folder.path("late.txt")), 3u);

    entry.setPath(folder.path("new.txt"));
    EXPECT_TRUE(entry.createFile());
    EXPECT_TRUE(entry.isFile());
    EXPECT_EQ(entry.getSizeLow(), 0u);
    EXPECT_EQ(entry.getName(), "new.txt");
    EXPECT_TRUE(std::filesystem::is_regular_file(folder.path("new.txt")));
}

TEST_F(ResourceTest, CreateDirectoryDoesNotReadTheEntryAgain) {
    entry.setPath(folder.path("made"));
    EXPECT_TRUE(entry.createDirectory());
    EXPECT_FALSE(entry.isDirectory());
    EXPECT_FALSE(entry.exists());
    EXPECT_TRUE(std::filesystem::is_directory(folder.path("made")));
    EXPECT_FALSE(entry.createDirectory());
    entry.setPath(folder.path("made"));
    EXPECT_TRUE(entry.isDirectory());

    entry.setPath(folder.path("missing/parent"));
    EXPECT_FALSE(entry.createDirectory());
}

TEST_F(ResourceTest, RemoveDeletesFilesAndEmptyFoldersAsLastRead) {
    folder.file("full/inside.txt", "x");
    entry.setPath(folder.path("full"));
    EXPECT_FALSE(entry.remove());
    EXPECT_TRUE(std::filesystem::exists(folder.path("full/inside.txt")));

    entry.setPath(folder.path("full/inside.txt"));
    EXPECT_TRUE(entry.remove());
    EXPECT_TRUE(entry.exists());
    EXPECT_FALSE(std::filesystem::exists(folder.path("full/inside.txt")));
    EXPECT_FALSE(entry.remove());

    entry.setPath(folder.path("full"));
    EXPECT_TRUE(entry.remove());
    EXPECT_FALSE(std::filesystem::exists(folder.path("full")));

    Resource never;
    EXPECT_FALSE(never.remove());
    entry.setPath(folder.path("nothing"));
    EXPECT_FALSE(entry.remove());
}

// A file made through the entry is known by its own number from then on: a later look-up of the
// same path tells it from a file that took the name meanwhile, and the entry's name and parent are
// those of the path.
TEST_F(ResourceTest, AFileMadeIsToldFromAnotherThatTookItsName) {
    const std::string path = folder.path("claimed.bin");
    entry.setPath(path);
    ASSERT_TRUE(entry.createFile());
    EXPECT_TRUE(entry.isFile());
    EXPECT_EQ(entry.getName(), "claimed.bin");
    EXPECT_EQ(entry.getParent(), folder.path());
    const std::uint64_t device = entry.getDeviceId();
    const std::uint64_t made = entry.getFileId();
    EXPECT_NE(made, 0u);

    Resource look;
    look.setPath(path);
    EXPECT_EQ(look.getDeviceId(), device);
    EXPECT_EQ(look.getFileId(), made);

    // The first file stays alive through a second name, so its number cannot come back.
    std::filesystem::create_hard_link(path, folder.path("kept.bin"));
    std::filesystem::remove(path);
    folder.file("claimed.bin", "someone else's");
    look.setPath(path);
    EXPECT_TRUE(look.isFile());
    EXPECT_NE(look.getFileId(), made);

    look.setPath(folder.path("nothing here"));
    EXPECT_EQ(look.getDeviceId(), 0u);
    EXPECT_EQ(look.getFileId(), 0u);
}

// A move keeps the entry on the same file, under its new path, and refuses a path that is taken.
TEST_F(ResourceTest, AMoveKeepsTheFileAndRefusesATakenName) {
    entry.setPath(folder.path("first.bin"));
    ASSERT_TRUE(entry.createFile());
    const std::uint64_t made = entry.getFileId();
    const std::string taken = folder.file("taken.bin", "x");
    EXPECT_FALSE(entry.moveTo(taken));
    EXPECT_EQ(entry.getPath(), folder.path("first.bin"));
    EXPECT_EQ(std::filesystem::file_size(taken), 1u);

    ASSERT_TRUE(entry.moveTo(folder.path("second.bin")));
    EXPECT_EQ(entry.getName(), "second.bin");
    EXPECT_EQ(entry.getFileId(), made);
    EXPECT_FALSE(std::filesystem::exists(folder.path("first.bin")));
    Resource look;
    look.setPath(folder.path("second.bin"));
    EXPECT_EQ(look.getFileId(), made);
}

TEST_F(ResourceTest, ModificationTimeIsSetOnFilesOnly) {
    entry.setPath(folder.file("a.bin", "abc"));
    ASSERT_TRUE(entry.setModificationTime(1600000000));
    struct stat info {};
    ASSERT_EQ(::stat(entry.getPath().c_str(), &info), 0);
    EXPECT_EQ(info.st_mtime, 1600000000);
    entry.setPath(folder.path("missing.bin"));
    EXPECT_FALSE(entry.setModificationTime(1600000000));
}
