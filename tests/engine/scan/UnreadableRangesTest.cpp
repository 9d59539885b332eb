// The stretches of an input that could not be read: kept ascending, told once however often and
// in whatever order they are found.

#include "engine/Unreadableranges.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct MergeCase {
    const char* name;
    std::vector<ByteRange> added;
    std::vector<ByteRange> kept;
};

class UnreadableRangesTest : public ::testing::TestWithParam<MergeCase> {};

bool same(const std::vector<ByteRange>& a, const std::vector<ByteRange>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].offset != b[i].offset || a[i].length != b[i].length) return false;
    }
    return true;
}

std::string text(const std::vector<ByteRange>& ranges) {
    std::string out;
    for (const ByteRange& r : ranges) out += "[" + std::to_string(r.offset) + "+" + std::to_string(r.length) + "]";
    return out;
}

}  // namespace

TEST_P(UnreadableRangesTest, MergesWhatOverlapsOrTouches) {
    UnreadableRanges ranges;
    for (const ByteRange& range : GetParam().added) ranges.add(range);
    EXPECT_TRUE(same(ranges.ranges(), GetParam().kept)) << text(ranges.ranges());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnreadableRangesTest,
    ::testing::Values(MergeCase{"Apart", {{100, 10}, {0, 10}, {50, 5}}, {{0, 10}, {50, 5}, {100, 10}}},
                      MergeCase{"Adjacent", {{0, 512}, {512, 512}}, {{0, 1024}}},
                      MergeCase{"Twice", {{4096, 512}, {4096, 512}}, {{4096, 512}}},
                      MergeCase{"Bridging", {{0, 10}, {20, 10}, {40, 10}, {5, 40}}, {{0, 50}}},
                      MergeCase{"Inside", {{0, 100}, {10, 5}}, {{0, 100}}},
                      MergeCase{"Empty", {{7, 0}}, {}}),
    [](const ::testing::TestParamInfo<MergeCase>& info) { return std::string(info.param.name); });

TEST(UnreadableRangesLookupTest, TellsWhetherAStretchTouchesOne) {
    UnreadableRanges ranges;
    ranges.add(ByteRange{1000, 512});
    ranges.add(ByteRange{5000, 10});
    EXPECT_FALSE(ranges.touches(0, 1000));
    EXPECT_TRUE(ranges.touches(0, 1001));
    EXPECT_TRUE(ranges.touches(1511, 1));
    EXPECT_FALSE(ranges.touches(1512, 3488));
    EXPECT_TRUE(ranges.touches(1512, 3489));
    EXPECT_FALSE(ranges.touches(1200, 0));
    ASSERT_NE(ranges.firstEndingAfter(1512), nullptr);
    EXPECT_EQ(ranges.firstEndingAfter(1512)->offset, 5000u);
    EXPECT_EQ(ranges.firstEndingAfter(5010), nullptr);
}
