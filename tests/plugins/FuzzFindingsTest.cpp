// Faults the parsers' fuzzers (tests/plugins/fuzz) found, each kept here through the plug-in as the
// program loads it.

#include "tests/plugins/Fakeextractconfig.h"
#include "tests/plugins/Loadedplugin.h"
#include "tests/plugins/Samplefiles.h"
#include "tests/plugins/Temporaryfolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

namespace {

void append32(Bytes& bytes, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
    }
}

void appendText(Bytes& bytes, const char* text)
{
    bytes.insert(bytes.end(), text, text + 4);
}

// An OpenDML extension form: "AVIX" holding a movie list with one frame.
Bytes extensionForm(const Bytes& frame)
{
    Bytes movie;
    appendText(movie, "movi");
    appendText(movie, "00db");
    append32(movie, static_cast<std::uint32_t>(frame.size()));
    movie.insert(movie.end(), frame.begin(), frame.end());
    if (frame.size() % 2 != 0) {
        movie.push_back(0);
    }
    Bytes form;
    appendText(form, "RIFF");
    append32(form, static_cast<std::uint32_t>(4 + 8 + movie.size()));
    appendText(form, "AVIX");
    appendText(form, "LIST");
    append32(form, static_cast<std::uint32_t>(movie.size()));
    form.insert(form.end(), movie.begin(), movie.end());
    return form;
}

// An AVI whose second part lies beyond the largest size taken was cut to its first part, which
// the size window then let through: a cut file written as a find. Under any limit the file is
// taken whole or not at all, also when the limit ends inside the next part's header.
TEST(FuzzFindings, AviLargerThanTheLimitIsNotCutToItsFirstPart)
{
    std::vector<std::size_t> frameOffsets;
    Bytes file = SampleFiles::avi({SampleFiles::random(64, 11)}, frameOffsets);
    const int first = static_cast<int>(file.size());
    Bytes extension = extensionForm(SampleFiles::random(33, 12));
    file.insert(file.end(), extension.begin(), extension.end());
    const int whole = static_cast<int>(file.size());

    TemporaryFolder folder;
    Bytes input = SampleFiles::random(5, 13);
    input.insert(input.end(), file.begin(), file.end());
    Bytes after = SampleFiles::random(40, 14);
    input.insert(input.end(), after.begin(), after.end());
    const std::string inputPath = folder.write("input.bin", input);

    FakeExtractConfig config;
    LoadedPlugin plugin("avi");
    plugin->setConfig(&config);
    struct Case {
        int maximum;
        bool extracted;
    };
    const Case cases[] = {
        {-1, true}, {whole, true}, {whole - 1, false}, {first, false}, {first + 5, false}, {first + 12, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("largest size " + std::to_string(c.maximum) + " for " + std::to_string(first) + " + " +
                     std::to_string(whole - first) + " bytes");
        config.maximumSize = c.maximum;
        const std::string output = folder.file("out.avi");
        const unsigned result = plugin->extract(inputPath.c_str(), 0, 5, output.c_str());
        if (c.extracted) {
            EXPECT_EQ(result, file.size());
            EXPECT_EQ(TemporaryFolder::read(output), file);
        } else {
            EXPECT_EQ(result, 0u);
            EXPECT_FALSE(std::filesystem::exists(output));
        }
        std::filesystem::remove(output);
    }
}

// An extension form of unwritten size after a whole AVI was walked to the input's end, and so
// taken where a size window ended it and refused where the input went on: it is not part of the
// file, which ends before it under every window.
TEST(FuzzFindings, AviExtensionFormOfUnwrittenSizeIsNotTaken)
{
    std::vector<std::size_t> frameOffsets;
    Bytes file = SampleFiles::avi({SampleFiles::random(64, 21)}, frameOffsets);
    Bytes extension = extensionForm(SampleFiles::random(33, 22));
    std::fill(extension.begin() + 4, extension.begin() + 8, 0);

    TemporaryFolder folder;
    Bytes input = SampleFiles::random(5, 23);
    input.insert(input.end(), file.begin(), file.end());
    input.insert(input.end(), extension.begin(), extension.end());
    input.insert(input.end(), file.begin(), file.end());
    const std::string inputPath = folder.write("input.bin", input);

    FakeExtractConfig config;
    LoadedPlugin plugin("avi");
    plugin->setConfig(&config);
    for (int maximum : {-1, static_cast<int>(file.size() + extension.size()), static_cast<int>(file.size() + 20)}) {
        SCOPED_TRACE("largest size " + std::to_string(maximum));
        config.maximumSize = maximum;
        const std::string output = folder.file("out.avi");
        EXPECT_EQ(plugin->extract(inputPath.c_str(), 0, 5, output.c_str()), file.size());
        EXPECT_EQ(TemporaryFolder::read(output), file);
        std::filesystem::remove(output);
    }
}

}  // namespace
