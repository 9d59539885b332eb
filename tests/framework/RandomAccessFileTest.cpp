#include "framework/Randomaccessfile.h"

#include "framework/Exception.h"
#include "framework/IMemory.h"
#include "framework/IResource.h"
#include "framework/IWritableRandomAccessFile.h"
#include "framework/Tarnwickfactory.h"
#include "framework/Writablerandomaccessfile.h"
#include "platform/os/ReadFaults.h"
#include "tests/framework/support/SpecialFiles.h"
#include "tests/framework/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <cstdint>

#include <unistd.h>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

class RandomAccessFileTest : public ::testing::Test {
protected:
    IResource* entry(const std::string& path) {
        IResource* resource = factory->createResource();
        resource->setPath(path);
        return resource;
    }
    IRandomAccessFile* reader(const std::string& path) {
        IRandomAccessFile* file = factory->createRandomAccessFile();
        file->setFile(entry(path));
        return file;
    }
    IWritableRandomAccessFile* writer(const std::string& path) {
        IWritableRandomAccessFile* file = factory->createWritableRandomAccessFile();
        file->setFile(entry(path));
        return file;
    }
    IMemory* block(const std::string& contents) {
        IMemory* memory = factory->createMemory();
        memory->setSize(static_cast<std::uint32_t>(contents.size()));
        if (!contents.empty()) std::memcpy(memory->getPointer(), contents.data(), contents.size());
        return memory;
    }
    // Reads size bytes at the file's position.
    std::string readText(IRandomAccessFile* file, std::uint32_t size) {
        IMemory* memory = block(std::string(size, '\0'));
        const std::int32_t count = file->read(memory);
        return std::string(reinterpret_cast<char*>(memory->getPointer()), static_cast<std::size_t>(count));
    }
    static std::string contentsOf(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    TemporaryFolder folder;
    std::unique_ptr<ITarnwickFactory> factory = createTarnwickFactory();
};

template <typename Kind>
std::string messageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Kind& e) {
        return e.getMessage();
    } catch (const Exception&) {
        return "another kind";
    }
    return "no exception";
}

// A target that records what it is asked to write.
class RecordingTarget : public IWritableRandomAccessFile {
public:
    void setFile(IResource*) override {}
    std::int32_t read(IMemory*) override { return 0; }
    void seek(std::int32_t) override {}
    void seek(std::int32_t, std::uint32_t) override {}
    void seekFromCurrent(std::int32_t) override {}
    void copyTo(IWritableRandomAccessFile*, std::uint32_t) override {}
    std::int32_t readSalvaging(IMemory*, std::vector<ByteRange>&) override { return 0; }
    void write(IMemory* block) override { write(block, block->getSize()); }
    void write(IMemory* block, std::uint32_t size) override {
        sizes.push_back(size);
        written.append(reinterpret_cast<char*>(block->getPointer()), size);
    }
    std::vector<std::uint32_t> sizes;
    std::string written;
};

const std::string notOpen = "ファイルが指定されていません。";
const std::string notAFile = "ファイルではないリソースが指定されました。";
const std::string cannotOpen = "ファイルがオープンできません。";

}  // namespace

TEST_F(RandomAccessFileTest, ReadFillsUpToTheBlockAndLeavesTheRestAlone) {
    IRandomAccessFile* file = reader(folder.file("five.bin", "hello"));
    IMemory* memory = block("xxxxxxxx");
    EXPECT_EQ(file->read(memory), 5);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(memory->getPointer()), 8), "helloxxx");
    EXPECT_EQ(file->read(memory), 0);
    EXPECT_EQ(memory->getSize(), 8u);
    EXPECT_EQ(file->read(factory->createMemory()), 0);
}

TEST_F(RandomAccessFileTest, SeeksReachExactPositionsPastTwoAndFourGiB) {
    const std::string path = folder.file("sparse.bin", "");
    const std::uint64_t fourGiB = std::uint64_t{1} << 32;
    std::filesystem::resize_file(path, fourGiB + 200);
    IWritableRandomAccessFile* out = writer(path);
    out->seek(1, 0);
    out->write(block("four"));
    out->seek(0, 0x80000001u);
    out->write(block("two"));
    out->seek(-1, 0xFFFFFFFFu - 99);  // -100: 100 bytes before the end
    out->write(block("tail"));
    out = nullptr;
    factory = createTarnwickFactory();  // closes the writer

    IRandomAccessFile* in = reader(path);
    in->seek(1, 0);
    EXPECT_EQ(readText(in, 4), "four");
    in->seek(0, 0x80000001u);
    EXPECT_EQ(readText(in, 3), "two");
    in->seek(-1, 0xFFFFFFFFu - 99);
    EXPECT_EQ(readText(in, 4), "tail");
    in->seek(-1, 0xFFFFFFFFu - 3);
    EXPECT_EQ(readText(in, 10), std::string(4, '\0'));
}

TEST_F(RandomAccessFileTest, SeekBeforeTheStartIsRefusedSilentlyAndPastTheEndReadsNothing) {
    IRandomAccessFile* file = reader(folder.file("digits.txt", "0123456789"));
    file->seek(3);
    file->seek(-1);
    EXPECT_EQ(readText(file, 1), "3");
    file->seekFromCurrent(-100);
    EXPECT_EQ(readText(file, 1), "4");
    file->seek(-1, 0xFFFFFFFFu - 999);  // 1000 bytes before the end of a 10-byte file
    EXPECT_EQ(readText(file, 1), "5");
    file->seekFromCurrent(2);
    EXPECT_EQ(readText(file, 1), "8");
    file->seek(1000);
    EXPECT_EQ(readText(file, 4), "");
}

TEST_F(RandomAccessFileTest, SetFileRefusesWhatIsNoFileAndKeepsTheFileOpenBefore) {
    IRandomAccessFile* file = reader(folder.file("kept.txt", "kept"));
    file->seek(2);
    for (const std::string& path : {folder.path(), folder.path("missing.txt")}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(messageOf<IOException>([&] { file->setFile(entry(path)); }), notAFile);
        IWritableRandomAccessFile* writable = factory->createWritableRandomAccessFile();
        EXPECT_EQ(messageOf<IOException>([&] { writable->setFile(entry(path)); }), notAFile);
    }
    EXPECT_EQ(readText(file, 2), "pt");
}

// A stream is refused for reading as what it is, at once: a pipe nobody writes to never makes the
// open wait.
TEST_F(RandomAccessFileTest, SetFileRefusesStreamsByTheirKind) {
    const std::string pipe = folder.path("pipe");
    ASSERT_TRUE(specialfiles::makePipe(pipe));
    const std::string socketPath = folder.path("socket");
    const int socket = specialfiles::makeSocket(socketPath);
    ASSERT_GE(socket, 0);
    const struct {
        std::string path;
        std::string message;
    } cases[] = {
        {pipe, "名前付きパイプ（FIFO）はファイルとして読めません。"},
        {socketPath, "ソケットはファイルとして読めません。"},
        {"/dev/null", "端末などの文字デバイスはファイルとして読めません。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        IRandomAccessFile* file = factory->createRandomAccessFile();
        EXPECT_EQ(messageOf<IOException>([&] { file->setFile(entry(c.path)); }), c.message);
    }
    ::close(socket);
}

// A block device reads like a file of the device's size.
TEST_F(RandomAccessFileTest, ABlockDeviceIsReadAtItsOffsets) {
    std::string content(1u << 20, '\0');
    content.replace(700000, 4, "card");
    const std::string image = folder.file("card.img", content);
    specialfiles::LoopDevice loop(image);
    if (loop.device().empty()) GTEST_SKIP() << loop.why();
    IResource* device = entry(loop.device());
    EXPECT_EQ(device->getKind(), ResourceKind::blockDevice);
    std::uint32_t high = 1;
    std::uint32_t low = 0;
    device->getSize(&high, &low);
    EXPECT_EQ(high, 0u);
    EXPECT_EQ(low, content.size());
    IRandomAccessFile* file = factory->createRandomAccessFile();
    file->setFile(device);
    file->seek(0, 700000);
    EXPECT_EQ(readText(file, 4), "card");
}

TEST_F(RandomAccessFileTest, SharingFollowsReadersAndWriters) {
    const std::string shared = folder.file("shared.txt", "shared");
    IRandomAccessFile* first = reader(shared);
    // Readers share; a writer needs the file to itself.
    EXPECT_EQ(readText(reader(shared), 6), "shared");
    EXPECT_EQ(messageOf<IOException>([&] { writer(shared); }), cannotOpen);
    EXPECT_EQ(readText(first, 6), "shared");

    const std::string held = folder.file("held.txt", "held");
    IWritableRandomAccessFile* holder = writer(held);
    IRandomAccessFile* other = reader(folder.file("other.txt", "other"));
    other->seek(1);
    EXPECT_EQ(messageOf<IOException>([&] { other->setFile(entry(held)); }), cannotOpen);
    EXPECT_EQ(readText(other, 4), "ther");
    EXPECT_EQ(messageOf<IOException>([&] { writer(held); }), cannotOpen);
    EXPECT_EQ(readText(holder, 4), "held");
}

TEST_F(RandomAccessFileTest, ReopeningTheOpenFile) {
    const std::string path = folder.file("again.txt", "abcdef");
    IRandomAccessFile* in = reader(path);
    in->seek(4);
    in->setFile(entry(path));
    EXPECT_EQ(readText(in, 2), "ab");

    const std::string other = folder.file("again-w.txt", "uvwxyz");
    IWritableRandomAccessFile* out = writer(other);
    out->seek(3);
    EXPECT_EQ(messageOf<IOException>([&] { out->setFile(entry(other)); }), cannotOpen);
    EXPECT_EQ(readText(out, 2), "xy");
}

TEST_F(RandomAccessFileTest, WriteClipsToTheBlockAndWritesAtThePosition) {
    const std::string path = folder.file("w.txt", "");
    IWritableRandomAccessFile* out = writer(path);
    out->write(block("abcd"), 10);
    out->seek(1);
    out->write(block("XY"));
    out->write(block("123"), 1);
    out->write(block("zz"), 0);
    EXPECT_EQ(contentsOf(path), "aXY1");
}

TEST_F(RandomAccessFileTest, WriteTheSystemRefusesIsReported) {
    IResource* full = entry("/dev/full");
    if (!full->isFile()) GTEST_SKIP() << "no /dev/full here";
    IWritableRandomAccessFile* out = factory->createWritableRandomAccessFile();
    out->setFile(full);
    EXPECT_EQ(messageOf<IOException>([&] { out->write(block("lost")); }), "書き込みできません。");
}

TEST_F(RandomAccessFileTest, ClosedFileRefusesEveryOperation) {
    IWritableRandomAccessFile* file = factory->createWritableRandomAccessFile();
    IMemory* memory = block("data");
    RecordingTarget target;
    const std::vector<std::function<void()>> operations = {
        [&] { file->read(memory); },
        [&] { file->seek(1); },
        [&] { file->seek(0, 1); },
        [&] { file->seekFromCurrent(1); },
        [&] { file->write(memory); },
        [&] { file->write(memory, 1); },
        [&] { file->copyTo(&target, 0); },
        [&] { factory->createRandomAccessFile()->read(memory); },
    };
    for (std::size_t i = 0; i < operations.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(messageOf<IOException>(operations[i]), notOpen);
    }
    EXPECT_TRUE(target.sizes.empty());
}

TEST_F(RandomAccessFileTest, CopyMovesFullBlocksThenTheRest) {
    std::string source(10000, '\0');
    for (std::size_t i = 0; i < source.size(); ++i) source[i] = static_cast<char>('a' + i % 26);
    const std::string path = folder.file("source.bin", source);
    struct Case {
        std::uint32_t count;
        std::vector<std::uint32_t> writes;
    };
    const Case cases[] = {
        {0, {0}},
        {1, {1}},
        {4096, {4096}},
        {4097, {4096, 1}},
        {8192, {4096, 4096}},
        {9000, {4096, 4096, 808}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        IRandomAccessFile* in = reader(path);
        in->seek(7);
        RecordingTarget target;
        in->copyTo(&target, c.count);
        EXPECT_EQ(target.sizes, c.writes);
        EXPECT_EQ(target.written, source.substr(7, c.count));
    }
}

TEST_F(RandomAccessFileTest, CopyNeverWritesBytesItDidNotRead) {
    const std::string path = folder.file("short.bin", std::string(5000, 'S'));
    struct Case {
        std::uint32_t from;
        std::uint32_t count;
        std::vector<std::uint32_t> writes;
    };
    const Case cases[] = {
        {4990, 100, {10}},
        {1000, 8000, {4000}},     // ends inside the first full block
        {0, 9000, {4096, 904}},   // ends inside the second
        {5000, 4097, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        IRandomAccessFile* in = reader(path);
        in->seek(static_cast<std::int32_t>(c.from));
        RecordingTarget target;
        in->copyTo(&target, c.count);
        EXPECT_EQ(target.sizes, c.writes);
        EXPECT_EQ(target.written, std::string(5000 - c.from, 'S'));
    }
}

TEST_F(RandomAccessFileTest, CopyWritesAtTheTargetsPosition) {
    const std::string from = folder.file("from.bin", "0123456789");
    const std::string to = folder.file("to.bin", "__________");
    IRandomAccessFile* in = reader(from);
    in->seek(2);
    IWritableRandomAccessFile* out = writer(to);
    out->seek(5);
    in->copyTo(out, 4);
    EXPECT_EQ(readText(in, 1), "6");
    out->write(block("!"));
    EXPECT_EQ(contentsOf(to), "_____2345!");
}

// Sectors a device cannot read come back as zeros with their stretch named, where a plain read
// fails; a device that went away fails both, and says so.
TEST_F(RandomAccessFileTest, SalvagingReadsGiveZerosForUnreadableSectorsAndTellAGoneDevice) {
    const std::string contents(8192, 'a');
    const std::string path = folder.file("card.img", contents);
    os::ReadFaults::inject(path, 1024, 10);
    IRandomAccessFile* file = reader(path);
    IMemory* memory = block(std::string(8192, 'x'));
    EXPECT_EQ(messageOf<IOException>([&] { file->read(memory); }), "読み込みできません。");
    file->seek(0);
    std::vector<ByteRange> unreadable{ByteRange{0, 100}};
    EXPECT_EQ(file->readSalvaging(memory, unreadable), 8192);
    ASSERT_EQ(unreadable.size(), 2u);
    EXPECT_EQ(unreadable[1].offset, 1024u);
    EXPECT_EQ(unreadable[1].length, 512u);
    const std::string got(reinterpret_cast<char*>(memory->getPointer()), 8192);
    EXPECT_EQ(got, std::string(1024, 'a') + std::string(512, '\0') + std::string(8192 - 1536, 'a'));

    os::ReadFaults::inject(path, 4096, 1 << 20, os::ReadFaults::Kind::gone);
    IRandomAccessFile* pulled = reader(path);
    const std::string gone = "デバイスが見つからないため読み込めません（取り外されたか、接続が切れました）。";
    EXPECT_EQ(messageOf<IOException>([&] { pulled->read(memory); }), gone);
    pulled->seek(0);
    EXPECT_EQ(messageOf<IOException>([&] { pulled->readSalvaging(memory, unreadable); }), gone);
    os::ReadFaults::clear();
}
