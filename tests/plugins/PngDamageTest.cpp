// A PNG whose one ancillary chunk has a bad CRC is still a whole picture and comes back as it
// lies; a bad CRC in a critical chunk, a second damaged ancillary chunk or a broken chunk length
// means the file is not taken.

#include "tests/plugins/Carvingfixture.h"
#include "tests/plugins/Toolfiles.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Chunk {
    std::string type;
    std::size_t at;
    std::size_t length;
};

std::vector<Chunk> chunks(const Bytes& png)
{
    std::vector<Chunk> found;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::size_t length = std::size_t{png[at]} << 24 | std::size_t{png[at + 1]} << 16 |
                                   std::size_t{png[at + 2]} << 8 | png[at + 3];
        found.push_back({std::string(png.begin() + static_cast<long>(at + 4), png.begin() + static_cast<long>(at + 8)),
                         at, length});
        at += 12 + length;
    }
    return found;
}

// Flips a bit in the data of the count-th chunk of that type, which leaves its CRC wrong.
void damage(Bytes& png, const std::string& type, int count = 0)
{
    for (const Chunk& chunk : chunks(png)) {
        if (chunk.type == type && count-- == 0) {
            png.at(chunk.at + 8 + chunk.length / 2) ^= 0x10;
            return;
        }
    }
    throw std::runtime_error("no " + type + " chunk");
}

class PngDamageTest : public CarvingFixture {
protected:
    void SetUp() override
    {
        load({"png"});
        picture = ToolFiles::make("convert " + ToolFiles::picture(30, 20, 4) + " -set comment glintfetch out.png",
                                  "out.png");
    }

    Bytes picture;
};

TEST_F(PngDamageTest, OneDamagedAncillaryChunkIsLetThrough)
{
    for (const char* type : {"tEXt", "gAMA", "tIME"}) {
        Bytes file = picture;
        damage(file, type);
        std::vector<CorpusScanner::Find> finds = scanAlone(file, 33);
        ASSERT_EQ(finds.size(), 1u) << type;
        EXPECT_TRUE(finds[0].bytes == file) << type;
    }
}

TEST_F(PngDamageTest, WhatIsNotLetThrough)
{
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, int>> damaged;
    };
    const Case cases[] = {
        {"image data", {{"IDAT", 0}}},
        {"header", {{"IHDR", 0}}},
        {"two ancillary chunks", {{"tEXt", 0}, {"gAMA", 0}}},
        {"the same kind twice", {{"tEXt", 0}, {"tEXt", 1}}},
    };
    for (const Case& c : cases) {
        Bytes file = picture;
        for (const auto& [type, count] : c.damaged) {
            damage(file, type, count);
        }
        EXPECT_TRUE(scanAlone(file, 33).empty()) << c.what;
    }
    // An ancillary chunk's length broken: the chain no longer holds, whatever the CRCs.
    Bytes file = picture;
    for (const Chunk& chunk : chunks(file)) {
        if (chunk.type == "tEXt") {
            file[chunk.at + 3] ^= 0x01;
            break;
        }
    }
    EXPECT_TRUE(scanAlone(file, 33).empty()) << "chunk length";
}

}
