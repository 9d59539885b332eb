#include "platform/os/FileSystem.h"

#include "tests/framework/support/SpecialFiles.h"
#include "tests/framework/support/TemporaryFolder.h"
#include "tests/platform/shell/WithoutRoot.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

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

// A file made is told by its own number: a look-up of its path finds it, and a file that took the
// path after it was removed is told apart, whatever its size.
TEST(FileSystemTest, AFileMadeIsKnownByItsNumberNotByItsName) {
    TemporaryFolder folder;
    const std::string file = folder.path("claimed");
    os::FileAttributes made;
    ASSERT_TRUE(os::createNewFile(file, made));
    EXPECT_FALSE(made.directory);
    EXPECT_EQ(made.kind, os::EntryKind::regular);
    EXPECT_EQ(made.size, 0u);
    EXPECT_NE(made.node, 0u);

    os::FileAttributes found;
    ASSERT_TRUE(os::getFileAttributes(file, found));
    EXPECT_EQ(found.device, made.device);
    EXPECT_EQ(found.node, made.node);

    // Kept open, the first file keeps its number while another one takes the name.
    std::ofstream held(file);
    ASSERT_TRUE(os::deleteFile(file));
    os::FileAttributes other;
    ASSERT_TRUE(os::createNewFile(file, other));
    ASSERT_TRUE(os::getFileAttributes(file, found));
    EXPECT_EQ(found.node, other.node);
    EXPECT_FALSE(found.device == made.device && found.node == made.node);

    os::FileAttributes refused;
    EXPECT_FALSE(os::createNewFile(file, refused));
    EXPECT_FALSE(os::createNewFile(folder.path("no/such/folder/file"), refused));
}

// A move gives the same file a new name, and never replaces a file at that name.
TEST(FileSystemTest, AMoveNeverReplacesWhatIsAtItsNewName) {
    TemporaryFolder folder;
    const std::string from = folder.path("a");
    os::FileAttributes made;
    ASSERT_TRUE(os::createNewFile(from, made));
    const std::string taken = folder.file("taken", "someone else's");
    EXPECT_FALSE(os::moveNoReplace(from, taken));
    EXPECT_TRUE(std::filesystem::exists(from));
    EXPECT_EQ(std::filesystem::file_size(taken), 14u);

    const std::string to = folder.path("b");
    ASSERT_TRUE(os::moveNoReplace(from, to));
    EXPECT_FALSE(std::filesystem::exists(from));
    os::FileAttributes moved;
    ASSERT_TRUE(os::getFileAttributes(to, moved));
    EXPECT_EQ(moved.node, made.node);
    EXPECT_FALSE(os::moveNoReplace(from, folder.path("c")));
}

// Threads that make the same names at once: each name is made by exactly one of them, so a name
// that a creation gave is nobody else's.
TEST(FileSystemTest, OfManyMakingOneNameAtOnceExactlyOneSucceeds) {
    TemporaryFolder folder;
    constexpr int names = 200;
    constexpr int threads = 4;
    std::vector<std::atomic<int>> winners(names);
    std::atomic<bool> go{false};
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&] {
            while (!go.load()) std::this_thread::yield();
            for (int i = 0; i < names; ++i) {
                if (os::createNewFile(folder.path("n" + std::to_string(i)))) ++winners[i];
            }
        });
    }
    go.store(true);
    for (std::thread& worker : workers) worker.join();
    for (int i = 0; i < names; ++i) EXPECT_EQ(winners[i].load(), 1) << i;
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

// What each kind of entry is, without opening a stream: a pipe with no writer is told at once.
TEST(FileSystemTest, AttributesNameTheKindOfEveryEntry) {
    TemporaryFolder folder;
    const std::string file = folder.file("f.bin", "12345");
    const std::string pipe = folder.path("pipe");
    ASSERT_TRUE(specialfiles::makePipe(pipe));
    const std::string socketPath = folder.path("socket");
    const int socket = specialfiles::makeSocket(socketPath);
    ASSERT_GE(socket, 0);
    const struct {
        std::string path;
        os::EntryKind kind;
    } cases[] = {
        {file, os::EntryKind::regular},
        {folder.path(), os::EntryKind::directory},
        {pipe, os::EntryKind::pipe},
        {socketPath, os::EntryKind::socket},
        {"/dev/null", os::EntryKind::characterDevice},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        os::FileAttributes attributes;
        ASSERT_TRUE(os::getFileAttributes(c.path, attributes));
        EXPECT_EQ(attributes.kind, c.kind);
        EXPECT_EQ(attributes.directory, c.kind == os::EntryKind::directory);
    }
    ::close(socket);
}

// The size that reading from the start can give, asked of what is opened: a regular file's end,
// also far past 4 GiB, and nothing for what has no end to seek to.
TEST(FileSystemTest, ContentIsMeasuredByItsEndAndStreamsHaveNone) {
    TemporaryFolder folder;
    const std::string file = folder.file("f.bin", "12345");
    const std::string sparse = folder.file("sparse.bin", "");
    const std::uint64_t large = (std::uint64_t{5} << 32) + 3;
    std::filesystem::resize_file(sparse, large);
    const std::string pipe = folder.path("pipe");
    ASSERT_TRUE(specialfiles::makePipe(pipe));

    std::uint64_t size = 7;
    ASSERT_TRUE(os::measureContent(file, size));
    EXPECT_EQ(size, 5u);
    ASSERT_TRUE(os::measureContent(sparse, size));
    EXPECT_EQ(size, large);
    size = 7;
    EXPECT_FALSE(os::measureContent(pipe, size));
    EXPECT_FALSE(os::measureContent("/dev/null", size));
    EXPECT_FALSE(os::measureContent(folder.path(), size));
    EXPECT_FALSE(os::measureContent(folder.path("missing"), size));
    EXPECT_FALSE(os::measureContent("", size));
    EXPECT_EQ(size, 7u);
}

// A block device's entry says 0 bytes; its attributes carry the device's own size.
TEST(FileSystemTest, ABlockDeviceHasTheSizeOfTheDevice) {
    TemporaryFolder folder;
    const std::string image = folder.file("card.img", "");
    const std::uint64_t size = 3u << 20;
    std::filesystem::resize_file(image, size);
    specialfiles::LoopDevice loop(image);
    if (loop.device().empty()) GTEST_SKIP() << loop.why();
    os::FileAttributes attributes;
    ASSERT_TRUE(os::getFileAttributes(loop.device(), attributes));
    EXPECT_EQ(attributes.kind, os::EntryKind::blockDevice);
    EXPECT_FALSE(attributes.directory);
    EXPECT_EQ(attributes.size, size);
    std::uint64_t measured = 0;
    ASSERT_TRUE(os::measureContent(loop.device(), measured));
    EXPECT_EQ(measured, size);
}
