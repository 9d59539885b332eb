#include "platform/os/File.h"

#include "tests/framework/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

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

namespace {

std::string patterned(std::size_t size) {
    std::string bytes(size, '\0');
    std::uint32_t state = 12345;
    for (char& c : bytes) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 24);
    }
    return bytes;
}

struct SalvageCase {
    const char* name;
    std::vector<os::File::Span> faults;
    // What the reads give as unreadable: the faults widened to whole sectors.
    std::vector<os::File::Span> unreadable;
};

constexpr std::int64_t salvageFileSize = 3 * 1024 * 1024 + 100;
constexpr std::int64_t megabyte = 1024 * 1024;

class FileSalvageTest : public ::testing::TestWithParam<SalvageCase> {
protected:
    void TearDown() override { os::ReadFaults::clear(); }
};

}  // namespace

// A read over sectors that fail with an input/output error gives every other byte as it is,
// zeros for the sectors that failed, and names them; the position moves past it all.
TEST_P(FileSalvageTest, ReadsPastUnreadableSectors) {
    const SalvageCase& c = GetParam();
    TemporaryFolder folder;
    const std::string expected = patterned(salvageFileSize);
    const std::string path = folder.file("card.img", expected);
    for (const os::File::Span& fault : c.faults) os::ReadFaults::inject(path, fault.offset, fault.length);
    os::File file = os::File::open(path, Access::read);
    ASSERT_TRUE(file.isOpen());

    std::string got;
    std::vector<os::File::Span> unreadable;
    for (;;) {
        std::string piece(megabyte, 'x');
        const std::int64_t count = file.readSalvaging(&piece[0], piece.size(), unreadable);
        ASSERT_GE(count, 0);
        if (count == 0) break;
        got.append(piece, 0, static_cast<std::size_t>(count));
        EXPECT_EQ(file.position(), static_cast<std::int64_t>(got.size()));
    }
    ASSERT_EQ(got.size(), expected.size());
    // Pieces read one after the other may name a stretch that goes on in two parts.
    std::vector<os::File::Span> merged;
    for (const os::File::Span& span : unreadable) {
        if (!merged.empty() && merged.back().offset + merged.back().length == span.offset) {
            merged.back().length += span.length;
        } else {
            merged.push_back(span);
        }
    }
    ASSERT_EQ(merged.size(), c.unreadable.size());
    for (std::size_t i = 0; i < merged.size(); ++i) {
        EXPECT_EQ(merged[i].offset, c.unreadable[i].offset) << i;
        EXPECT_EQ(merged[i].length, c.unreadable[i].length) << i;
    }
    std::string wanted = expected;
    for (const os::File::Span& span : c.unreadable) {
        wanted.replace(static_cast<std::size_t>(span.offset), static_cast<std::size_t>(span.length),
                       static_cast<std::size_t>(span.length), '\0');
    }
    EXPECT_TRUE(got == wanted);
    // However the faults lie, a failing device is asked a bounded number of times per read.
    EXPECT_LE(os::ReadFaults::failedReads(path), 4u * (64 + megabyte / 65536));
}

std::vector<os::File::Span> scatteredSectors(std::int64_t every, std::int64_t first, std::int64_t end) {
    std::vector<os::File::Span> spans;
    for (std::int64_t at = first; at + 512 <= end; at += every) spans.push_back(os::File::Span{at, 512});
    return spans;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FileSalvageTest,
    ::testing::Values(
        SalvageCase{"OneBadSector", {{1000 * 512, 512}}, {{1000 * 512, 512}}},
        SalvageCase{"PartOfASector", {{700001, 100}}, {{1367 * 512, 512}}},
        SalvageCase{"AStretchOfAMegabyteOverTwoReads",
                    {{megabyte - 8192, megabyte}},
                    {{megabyte - 8192, megabyte}}},
        SalvageCase{"TheLastBytes", {{salvageFileSize - 50, 50}},
                    {{salvageFileSize / 512 * 512, salvageFileSize % 512}}},
        SalvageCase{"TheFirstSector", {{0, 1}}, {{0, 512}}},
        SalvageCase{"ScatteredSectors", scatteredSectors(96 * 1024 + 512, 5 * 512, salvageFileSize),
                    scatteredSectors(96 * 1024 + 512, 5 * 512, salvageFileSize)}),
    [](const ::testing::TestParamInfo<SalvageCase>& info) { return std::string(info.param.name); });

// A device that is gone is no bad sector: the read fails and says so, and a plain read is told
// an input/output error apart from it.
TEST(FileTest, AGoneDeviceFailsTheReadAndSaysSo) {
    TemporaryFolder folder;
    const std::string path = folder.file("card.img", patterned(256 * 1024));
    os::ReadFaults::inject(path, 100000, 1 << 30, os::ReadFaults::Kind::gone);
    os::ReadFaults::inject(path, 4096, 512);
    os::File file = os::File::open(path, Access::read);
    std::string piece(64 * 1024, 'x');
    EXPECT_EQ(file.read(&piece[0], piece.size()), -1);
    EXPECT_EQ(file.lastReadError(), os::File::ReadError::unreadable);
    ASSERT_EQ(file.seek(0, os::File::Origin::begin), os::File::SeekResult::moved);
    std::vector<os::File::Span> unreadable;
    EXPECT_EQ(file.readSalvaging(&piece[0], piece.size(), unreadable), static_cast<std::int64_t>(piece.size()));
    ASSERT_EQ(unreadable.size(), 1u);
    EXPECT_EQ(unreadable[0].offset, 4096);
    std::string all(256 * 1024, 'x');
    ASSERT_EQ(file.seek(0, os::File::Origin::begin), os::File::SeekResult::moved);
    EXPECT_EQ(file.readSalvaging(&all[0], all.size(), unreadable), -1);
    EXPECT_EQ(file.lastReadError(), os::File::ReadError::gone);
    os::ReadFaults::clear();
    // Opened again, with nothing injected, the file reads whole.
    file = os::File::open(path, Access::read);
    EXPECT_EQ(file.read(&all[0], all.size()), static_cast<std::int64_t>(all.size()));
    EXPECT_EQ(file.lastReadError(), os::File::ReadError::none);
}
