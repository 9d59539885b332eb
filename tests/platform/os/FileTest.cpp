#include "platform/os/File.h"

#include "tests/framework/support/TemporaryFolder.h"

#include <gtest/gtest.h>

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
