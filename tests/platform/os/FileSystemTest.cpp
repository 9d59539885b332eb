#include "platform/os/FileSystem.h"

#include "tests/framework/support/TemporaryFolder.h"
#include "tests/platform/shell/WithoutRoot.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

TEST(FileSystemTest, AttributesTellFoldersFromFilesAndFollowLinks) {
    TemporaryFolder folder;
    const std::string file = folder.file("f.bin", "12345");
    std::filesystem::create_symlink(file, folder.path("link"));
    std::filesystem::create_symlink(folder.path("nowhere"), folder.path("dangling"));

    os::FileAttributes attributes;
    ASSERT_TRUE(os::getFileAttributes(folder.path(), attributes));
    EXPECT_TRUE(attributes.directory);
    ASSERT_TRUE(os::getFileAttributes(file, attributes));
    EXPECT_FALSE(attributes.directory);
    EXPECT_EQ(attributes.size, 5u);
    ASSERT_TRUE(os::getFileAttributes(folder.path("link"), attributes));
    EXPECT_EQ(attributes.size, 5u);
    EXPECT_FALSE(os::getFileAttributes(folder.path("dangling"), attributes));
    EXPECT_FALSE(os::getFileAttributes(folder.path("missing"), attributes));
    EXPECT_FALSE(os::getFileAttributes("", attributes));
}

TEST(FileSystemTest, CreationAndRemovalRefuseWhatIsInTheWay) {
    TemporaryFolder folder;
    const std::string sub = folder.path("sub");
    EXPECT_TRUE(os::createDirectory(sub));
    EXPECT_FALSE(os::createDirectory(sub));
    EXPECT_FALSE(os::createDirectory(folder.path("a/b")));

    const std::string file = sub + "/new.txt";
    EXPECT_TRUE(os::createNewFile(file));
    EXPECT_FALSE(os::createNewFile(file));
    EXPECT_FALSE(os::createNewFile(sub));
    EXPECT_EQ(std::filesystem::file_size(file), 0u);

    EXPECT_FALSE(os::removeDirectory(sub));
    EXPECT_FALSE(os::deleteFile(sub));
    EXPECT_TRUE(os::deleteFile(file));
    EXPECT_FALSE(os::deleteFile(file));
    EXPECT_TRUE(os::removeDirectory(sub));
    EXPECT_FALSE(std::filesystem::exists(sub));
}

// Asked of the system at the call, by this process's user: a read-only folder or file of an
// ordinary user is not writable, whatever its owner could do after a chmod.
TEST(FileSystemTest, WritableIsWhatThisUserMayWriteNow) {
    TemporaryFolder folder;
    const std::string open = folder.folder("open");
    const std::string locked = folder.folder("locked");
    const std::string file = folder.file("file.txt", "x");
    const std::string lockedFile = folder.file("locked.txt", "x");
    if (withoutroot::rerunWithoutRoot(folder.path())) return;
    ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);
    ASSERT_EQ(::chmod(lockedFile.c_str(), 0444), 0);
    EXPECT_TRUE(os::isWritable(open));
    EXPECT_TRUE(os::isWritable(file));
    EXPECT_FALSE(os::isWritable(locked));
    EXPECT_FALSE(os::isWritable(lockedFile));
    EXPECT_FALSE(os::isWritable(folder.path("missing")));
    EXPECT_FALSE(os::isWritable(""));
    ASSERT_EQ(::chmod(locked.c_str(), 0755), 0);
    EXPECT_TRUE(os::isWritable(locked));
}
