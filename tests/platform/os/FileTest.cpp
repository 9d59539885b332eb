#include "platform/os/File.h"

#include "tests/framework/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

using Access = os::File::Access;

TEST(FileTest, LocksLetReadersShareAndKeepWritersAlone) {
    TemporaryFolder folder;
    const std::string path = folder.file("shared.bin", "data");
    struct Case {
        Access first;
        Access second;
        bool opens;
    };
    const Case cases[] = {
        {Access::read, Access::read, true},
        {Access::read, Access::readWrite, false},
        {Access::readWrite, Access::read, false},
        {Access::readWrite, Access::readWrite, false},
    };
    for (const Case& c : cases) {
        os::File first = os::File::open(path, c.first);
        ASSERT_TRUE(first.isOpen());
        EXPECT_EQ(os::File::open(path, c.second).isOpen(), c.opens);
        first.close();
        EXPECT_TRUE(os::File::open(path, c.second).isOpen());
    }
}

TEST(FileTest, OpenNeverCreates) {
    TemporaryFolder folder;
    EXPECT_FALSE(os::File::open(folder.path("missing"), Access::readWrite).isOpen());
    EXPECT_FALSE(os::File::open("", Access::read).isOpen());
}

TEST(FileTest, SeekRefusesPositionsBeforeTheStartAndKeepsThePosition) {
    TemporaryFolder folder;
    os::File file = os::File::open(folder.file("f.bin", "0123456789"), Access::read);
    EXPECT_EQ(file.seek(4, os::File::Origin::begin), os::File::SeekResult::moved);
    EXPECT_EQ(file.seek(-5, os::File::Origin::current), os::File::SeekResult::refused);
    EXPECT_EQ(file.position(), 4);
    EXPECT_EQ(file.seek(-11, os::File::Origin::end), os::File::SeekResult::refused);
    EXPECT_EQ(file.seek(std::int64_t{5} << 32, os::File::Origin::begin), os::File::SeekResult::moved);
    EXPECT_EQ(file.position(), std::int64_t{5} << 32);
    char byte = 0;
    EXPECT_EQ(file.read(&byte, 1), 0);
}

TEST(FileTest, ReadAndWriteReportCounts) {
    TemporaryFolder folder;
    os::File file = os::File::open(folder.file("f.bin", "abc"), Access::readWrite);
    char buffer[8] = {};
    EXPECT_EQ(file.read(buffer, sizeof buffer), 3);
    EXPECT_EQ(file.write("de", 2), 2);
    EXPECT_EQ(file.seek(0, os::File::Origin::begin), os::File::SeekResult::moved);
    EXPECT_EQ(file.read(buffer, sizeof buffer), 5);
    EXPECT_EQ(std::string(buffer, 5), "abcde");

    os::File closed;
    EXPECT_EQ(closed.read(buffer, 1), -1);
    EXPECT_EQ(closed.write(buffer, 1), -1);
    EXPECT_EQ(closed.seek(0, os::File::Origin::begin), os::File::SeekResult::failed);
}

// Large reads clear the holes of a sparse file instead of reading them; the caller sees the same
// bytes and the same position as with a plain read, from any start, across holes and data alike.
TEST(FileTest, LargeReadsOverASparseFileGiveItsBytesAndPosition) {
    TemporaryFolder folder;
    const std::string path = folder.path("sparse.bin");
    const std::uint64_t size = 3 * 1024 * 1024 + 123;
    std::string expected(size, '\0');
    {
        os::File made = os::File::open(folder.file("sparse.bin", ""), Access::readWrite);
        ASSERT_TRUE(made.isOpen());
        const std::uint64_t pieces[] = {5, 1024 * 1024 + 7, 2 * 1024 * 1024 + 4096, size - 9};
        for (const std::uint64_t at : pieces) {
            const std::string bytes = "data@" + std::to_string(at);
            const std::string piece = bytes.substr(0, std::min<std::uint64_t>(bytes.size(), size - at));
            ASSERT_EQ(made.seek(static_cast<std::int64_t>(at), os::File::Origin::begin),
                      os::File::SeekResult::moved);
            ASSERT_EQ(made.write(piece.data(), piece.size()), static_cast<std::int64_t>(piece.size()));
            expected.replace(at, piece.size(), piece);
        }
    }
    os::File file = os::File::open(path, Access::read);
    ASSERT_TRUE(file.isOpen());
    struct Case {
        std::uint64_t start;
        std::size_t count;
    };
    const Case cases[] = {{0, 700 * 1024}, {1024 * 1024, 300 * 1024}, {1024 * 1024 + 8, 2 * 1024 * 1024},
                          {size - 300 * 1024, 1024 * 1024}, {size, 512 * 1024}, {0, 4 * 1024 * 1024}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        std::string buffer(c.count, 'x');
        ASSERT_EQ(file.seek(static_cast<std::int64_t>(c.start), os::File::Origin::begin),
                  os::File::SeekResult::moved);
        const std::uint64_t wanted = std::min<std::uint64_t>(c.count, size - c.start);
        ASSERT_EQ(file.read(&buffer[0], c.count), static_cast<std::int64_t>(wanted));
        EXPECT_TRUE(buffer.compare(0, wanted, expected, c.start, wanted) == 0);
        EXPECT_EQ(file.position(), static_cast<std::int64_t>(c.start + wanted));
    }
}
