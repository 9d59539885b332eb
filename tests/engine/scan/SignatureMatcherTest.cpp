#include "engine/Signaturematcher.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

struct Declared {
    std::uint32_t slot;
    ExtractSignature signature;
};

bool matches(const ExtractSignature& s, const unsigned char* window) {
    for (unsigned i = 0; i < s.length; ++i) {
        const unsigned char mask = s.mask != nullptr ? s.mask[i] : 0xFF;
        if ((window[s.offset + i] & mask) != (s.bytes[i] & mask)) return false;
    }
    return true;
}

} // namespace

// Both ways of matching find exactly the positions a check of every pattern at every position
// finds: patterns at an offset in the window, partly masked, with free bytes before, between or
// after their whole ones, of one byte, without a whole byte, several per plug-in, over data that
// reaches into the next block.
TEST(SignatureMatcherTest, BothMatchersFindWhatACheckAtEveryPositionFinds) {
    const unsigned char png[] = {0x89, 'P', 'N', 'G'};
    const unsigned char riff[] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    const unsigned char riffMask[] = {255, 255, 255, 255, 0, 0, 0, 0, 255, 255, 255, 255};
    const unsigned char jpeg[] = {0xFF, 0xD8, 0xFF};
    const unsigned char deep[] = {'u', 's', 't', 'a', 'r'};
    const unsigned char one[] = {0x1F};
    const unsigned char nibble[] = {0x40, 0x04};
    const unsigned char nibbleMask[] = {0xF0, 0x0F};
    // Its whole bytes come last, behind a partly masked one and a free one.
    const unsigned char box[] = {0x12, 0x00, 'f', 't', 'y', 'p'};
    const unsigned char boxMask[] = {0xF0, 0x00, 255, 255, 255, 255};
    const std::vector<Declared> declared = {
        {0, {0, 4, png, nullptr}},      {1, {0, 12, riff, riffMask}}, {1, {2, 3, jpeg, nullptr}},
        {2, {257, 5, deep, nullptr}},   {3, {1, 1, one, nullptr}},    {4, {0, 2, nibble, nibbleMask}},
        {5, {0, 3, jpeg, nullptr}},     {6, {4, 6, box, boxMask}},
    };
    const unsigned reach = 262;

    std::mt19937 random(7);
    std::vector<unsigned char> data(200000 + reach);
    for (unsigned char& byte : data) byte = static_cast<unsigned char>(random() % 6 == 0 ? 0x1F : random());
    for (std::size_t at = 100; at + 300 < data.size(); at += 997) {
        const Declared& d = declared[(at / 997) % declared.size()];
        for (unsigned i = 0; i < d.signature.length; ++i) {
            data[at + d.signature.offset + i] = d.signature.bytes[i];
        }
    }

    std::vector<SignatureMatcher::Candidate> expected;
    const std::size_t count = data.size() - reach;
    for (std::size_t position = 0; position < count; ++position) {
        for (std::uint32_t slot = 0; slot < 7; ++slot) {
            bool any = false;
            for (const Declared& d : declared) any = any || (d.slot == slot && matches(d.signature, &data[position]));
            if (any) expected.push_back({static_cast<std::uint32_t>(position), slot});
        }
    }
    ASSERT_GT(expected.size(), 1000u);

    for (const bool compiled : {true, false}) {
        SCOPED_TRACE(compiled ? "Vectorscan" : "byte pairs");
        SignatureMatcher matcher(compiled);
        for (const Declared& d : declared) matcher.add(d.slot, &d.signature, 1);
        EXPECT_EQ(matcher.reach(), reach);
        std::vector<SignatureMatcher::Candidate> found;
        // In parts, as the run hands blocks over: each part holds its count plus the reach.
        for (std::size_t at = 0; at < count; at += 4096) {
            std::vector<SignatureMatcher::Candidate> part;
            const std::size_t length = std::min<std::size_t>(4096, count - at);
            matcher.find(&data[at], length, part);
            for (auto c : part) found.push_back({static_cast<std::uint32_t>(c.position + at), c.slot});
        }
        ASSERT_EQ(found.size(), expected.size());
        for (std::size_t i = 0; i < found.size(); ++i) {
            ASSERT_EQ(found[i].position, expected[i].position) << i;
            ASSERT_EQ(found[i].slot, expected[i].slot) << i;
        }
    }
}
