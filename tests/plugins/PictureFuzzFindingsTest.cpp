// Faults the picture parsers' fuzzers found, each kept here through the plug-in as the program
// loads it.

#include "tests/plugins/Carvingfixture.h"
#include "tests/plugins/Samplefiles.h"
#include "tests/plugins/Tiffbuilder.h"

#include <gtest/gtest.h>

namespace {

class PictureFuzzFindingsTest : public CarvingFixture {
};

// A pointer tag (SubIFDs) with no values made the walker copy from no storage (UndefinedBehavior-
// Sanitizer's report). No sub-IFDs is simply none: the picture is taken.
TEST_F(PictureFuzzFindingsTest, TiffPointerTagWithoutValues)
{
    load({"tif"});
    TiffBuilder builder(false);
    const std::size_t first = builder.directory();
    builder.add(first, 0x0100, TiffBuilder::shortType, {4});
    builder.add(first, 0x0101, TiffBuilder::shortType, {4});
    builder.addStrips(first, {SampleFiles::random(16, 1)});
    builder.addPointers(first, 0x014A, {});
    const Bytes file = builder.build();
    std::vector<CorpusScanner::Find> finds = scanAlone(file, 3);
    ASSERT_EQ(finds.size(), 1u);
    EXPECT_TRUE(finds[0].bytes == file);
}

// A layer section too short to hold its own layer-info length read that length from the bytes
// after the section, so that a document was measured by what followed it: cut out of its input
// it measured differently. Such a section is broken and the document is not taken.
TEST_F(PictureFuzzFindingsTest, PsdLayerSectionShorterThanItsLengthField)
{
    load({"psd"});
    Bytes file = {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0, 0, 1,  // one channel
                  0, 0, 0, 1, 0, 0, 0, 9, 0, 1, 0, 0,                 // 1 x 9 pixels, 1 bit, bitmap mode
                  0, 0, 0, 0, 0, 0, 0, 0,                             // no colour mode data, no resources
                  0, 0, 0, 1, 0,                                      // a layer section of one byte
                  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_TRUE(scanAlone(file, 1).empty());
}

}
