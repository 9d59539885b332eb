// The document, database and executable plug-ins against files made by real tools (and, where no
// tool writes the format, by the format's description): each find comes back byte for byte, at
// odd offsets, back to back and inside another find, and a file cut short or with one of its
// structures broken is not extracted.

#include "tests/plugins/Corpusscanner.h"
#include "tests/plugins/Documentfiles.h"
#include "tests/plugins/Fakeextractconfig.h"
#include "tests/plugins/Loadedplugin.h"
#include "tests/plugins/Samplefiles.h"
#include "tests/plugins/Temporaryfolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

struct Kind {
    const char* folder;
    const char* id;
    const char* kind;
};

const Kind kinds[] = {
    {"sqlite", "glintfetch.sqlite", "sqlite"}, {"elf", "glintfetch.elf", "elf"}, {"exe", "glintfetch.exe", "exe"},
    {"pdf", "glintfetch.pdf", "pdf"},          {"ole", "glintfetch.ole", "ole"},       {"doc", "glintfetch.doc", "doc"},
    {"xls", "glintfetch.xls", "xls"},          {"ppt", "glintfetch.ppt", "ppt"},
};

const char* const compoundFolders[] = {"doc", "xls", "ppt", "ole"};

struct Sample {
    std::string name;
    Bytes bytes;
};

Bytes docStream(std::size_t size, std::uint32_t seed)
{
    return SampleFiles::random(size, seed);
}

// The samples of one plug-in, each made the way its kind is made in the wild.
std::vector<Sample> samplesOf(DocumentFiles& files, const std::string& folder)
{
    if (folder == "sqlite") {
        return {{"pages of 4096", files.sqlite(300, 4096, false)},
                {"pages of 512 with free pages", files.sqlite(200, 512, true)},
                {"pages of 65536", files.sqlite(50, 65536, false)}};
    }
    if (folder == "elf") {
        return {{"object", files.elfObject()},
                {"executable", files.elfExecutable()},
                {"32-bit executable", files.elf32Executable()},
                {"32-bit big-endian object", files.elfBigEndian(false, SampleFiles::random(999, 1))},
                {"64-bit big-endian object", files.elfBigEndian(true, SampleFiles::random(777, 2))}};
    }
    if (folder == "exe") {
        return {{"PE32+ with symbols", files.pe(true, false)},
                {"PE32+ stripped", files.pe(true, true)},
                {"PE32 with symbols", files.pe(false, false)},
                {"PE32 signed", DocumentFiles::withCertificate(files.pe(false, true), SampleFiles::random(1001, 3))}};
    }
    if (folder == "pdf") {
        const Bytes qt = DocumentFiles::qtPdf(3, 1);
        const Bytes linearized = files.qpdf(qt, "--linearize");
        const Bytes streams = files.qpdf(qt, "--object-streams=generate");
        return {{"Qt", qt},
                {"Qt with an update", DocumentFiles::withUpdate(qt, 1)},
                {"Qt with two updates", DocumentFiles::withUpdate(DocumentFiles::withUpdate(qt, 2), 3)},
                {"linearized", linearized},
                {"linearized with an update", DocumentFiles::withUpdate(linearized, 4)},
                {"cross-reference streams", streams},
                {"cross-reference streams with an update", DocumentFiles::withUpdate(streams, 5)},
                {"holding another PDF", DocumentFiles::withUpdate(qt, 6, DocumentFiles::qtPdf(1, 7))}};
    }
    if (folder == "doc") {
        return {{"version 3", DocumentFiles::compoundFile(3, {{"WordDocument", docStream(9000, 4)},
                                                              {"1Table", docStream(700, 5)},
                                                              {"\x05SummaryInformation", docStream(300, 6)}})},
                {"version 4", DocumentFiles::compoundFile(4, {{"1Table", docStream(5000, 7)},
                                                              {"WordDocument", docStream(4100, 8)}})}};
    }
    if (folder == "xls") {
        return {{"version 4", DocumentFiles::compoundFile(4, {{"Workbook", docStream(20000, 9)},
                                                              {"\x05" "DocumentSummaryInformation", docStream(200, 10)}})},
                {"Excel 5", DocumentFiles::compoundFile(3, {{"Book", docStream(3000, 11)}})}};
    }
    if (folder == "ppt") {
        return {{"without a mini stream", DocumentFiles::compoundFile(3, {{"PowerPoint Document", docStream(5000, 12)},
                                                                          {"Pictures", docStream(4500, 13)}})}};
    }
    return {{"mail message", DocumentFiles::compoundFile(3, {{"__substg1.0_0037001F", docStream(90, 14)},
                                                             {"__properties_version1.0", docStream(400, 15)}})},
            {"version 4 installer", DocumentFiles::compoundFile(4, {{"\x05SummaryInformation", docStream(500, 16)},
                                                                    {"Binary.Icon", docStream(12000, 17)}})}};
}

class DocumentPluginTest : public ::testing::TestWithParam<Kind> {
protected:
    void SetUp() override
    {
        plugin = std::make_unique<LoadedPlugin>(GetParam().folder);
        (*plugin)->setConfig(&config);
    }

    unsigned extractAt(const std::string& input, std::uint64_t offset, const std::string& output)
    {
        return (*plugin)->extract(input.c_str(), static_cast<unsigned>(offset >> 32), static_cast<unsigned>(offset),
                                  output.c_str());
    }

    // The file at an odd offset in random data, random data after it too.
    unsigned extractHidden(const Bytes& file, const std::string& output, std::size_t after = 333)
    {
        Bytes content = SampleFiles::random(7, 99);
        content.insert(content.end(), file.begin(), file.end());
        Bytes tail = SampleFiles::random(after, 98);
        content.insert(content.end(), tail.begin(), tail.end());
        return extractAt(folder.write("input.bin", content), 7, output);
    }

    TemporaryFolder folder;
    FakeExtractConfig config;
    DocumentFiles files;
    std::unique_ptr<LoadedPlugin> plugin;
};

TEST_P(DocumentPluginTest, DescribesItselfThroughTheContract)
{
    EXPECT_STREQ((*plugin)->getID(), GetParam().id);
    EXPECT_STREQ((*plugin)->getKind(), GetParam().kind);
    EXPECT_STREQ((*plugin)->getVendor(), "glintfetch");
    const std::string name = (*plugin)->getName();
    EXPECT_TRUE(std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
        << "the caption is Japanese: " << name;
    EXPECT_GT((*plugin)->getWindowSize(), 0u);
    EXPECT_LE((*plugin)->getWindowSize(), 64u);
    EXPECT_FALSE((*plugin)->hasProperty());
    EXPECT_TRUE((*plugin)->isEnabled());
}

TEST_P(DocumentPluginTest, EverySampleIsRecoveredExactly)
{
    for (const Sample& sample : samplesOf(files, GetParam().folder)) {
        SCOPED_TRACE(sample.name + ", " + std::to_string(sample.bytes.size()) + " bytes");
        EXPECT_TRUE((*plugin)->detect(sample.bytes.data()));
        const std::string output = folder.file("out.bin");
        EXPECT_EQ(extractHidden(sample.bytes, output), sample.bytes.size());
        EXPECT_EQ(TemporaryFolder::read(output), sample.bytes);
        std::filesystem::remove(output);
    }
}

TEST_P(DocumentPluginTest, ExtractsOnlyWithinTheSizeWindow)
{
    const Bytes file = samplesOf(files, GetParam().folder).back().bytes;
    const int size = static_cast<int>(file.size());
    struct Case {
        int minimum;
        int maximum;
        bool extracted;
    };
    const Case cases[] = {{0, -1, true}, {size, -1, true}, {size + 1, -1, false}, {0, size, true}, {0, size - 1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE("window " + std::to_string(c.minimum) + ".." + std::to_string(c.maximum) + " for " +
                     std::to_string(size) + " bytes");
        config.minimumSize = c.minimum;
        config.maximumSize = c.maximum;
        const std::string output = folder.file("out.bin");
        const unsigned result = extractHidden(file, output);
        EXPECT_EQ(result, c.extracted ? file.size() : 0u);
        EXPECT_EQ(std::filesystem::exists(output), c.extracted);
        std::filesystem::remove(output);
    }
}

TEST_P(DocumentPluginTest, FileCutShortIsNotExtracted)
{
    for (const Sample& sample : samplesOf(files, GetParam().folder)) {
        // A PDF may end without the end of line after its last "%%EOF": cut into the marker.
        for (std::size_t cut : {std::size_t{8}, sample.bytes.size() / 2}) {
            SCOPED_TRACE(sample.name + " without its last " + std::to_string(cut) + " bytes");
            const Bytes shorter(sample.bytes.begin(), sample.bytes.end() - static_cast<long>(cut));
            const std::string output = folder.file("out.bin");
            EXPECT_EQ(extractHidden(shorter, output, 0), 0u);
            EXPECT_FALSE(std::filesystem::exists(output));
        }
    }
}

TEST_P(DocumentPluginTest, ReadsFromAnOffsetBeyondFourGigabytes)
{
    const Bytes file = samplesOf(files, GetParam().folder).front().bytes;
    const std::uint64_t offset = (std::uint64_t{1} << 32) + 3;
    const std::string input = folder.file("sparse.bin");
    {
        std::ofstream create(input, std::ios::binary);
    }
    std::filesystem::resize_file(input, offset);
    {
        std::ofstream append(input, std::ios::binary | std::ios::app);
        append.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    }
    const std::string output = folder.file("out.bin");
    EXPECT_EQ(extractAt(input, offset, output), file.size());
    EXPECT_EQ(TemporaryFolder::read(output), file);
}

INSTANTIATE_TEST_SUITE_P(Documents, DocumentPluginTest, ::testing::ValuesIn(kinds),
                         [](const auto& info) { return std::string(info.param.folder); });

TEST(DocumentPlugins, IdentifiersAndKindsAreUnique)
{
    std::set<std::string> ids;
    std::set<std::string> names;
    for (const Kind& kind : kinds) {
        LoadedPlugin plugin(kind.folder);
        ids.insert(plugin->getID());
        names.insert(plugin->getKind());
    }
    EXPECT_EQ(ids.size(), std::size(kinds));
    EXPECT_EQ(names.size(), std::size(kinds));
}

std::runtime_error missing(const std::string& text)
{
    std::string shown;
    for (unsigned char c : text) {
        shown += c >= 0x20 && c < 0x7F ? std::string(1, static_cast<char>(c)) : "\\x" + std::to_string(c);
    }
    return std::runtime_error("no " + shown + " in the sample");
}

std::size_t find(const Bytes& bytes, const std::string& text, std::size_t from = 0)
{
    const Bytes pattern(text.begin(), text.end());
    auto at = std::search(bytes.begin() + static_cast<long>(from), bytes.end(), pattern.begin(), pattern.end());
    if (at == bytes.end()) {
        throw missing(text);
    }
    return static_cast<std::size_t>(at - bytes.begin());
}

std::size_t findLast(const Bytes& bytes, const std::string& text)
{
    const Bytes pattern(text.begin(), text.end());
    auto at = std::find_end(bytes.begin(), bytes.end(), pattern.begin(), pattern.end());
    if (at == bytes.end()) {
        throw missing(text);
    }
    return static_cast<std::size_t>(at - bytes.begin());
}

std::uint32_t read32(const Bytes& bytes, std::size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

std::size_t peHeader(const Bytes& image)
{
    return read32(image, 0x3C);
}

TEST(CorruptDocument, IsNotExtracted)
{
    struct Case {
        const char* folder;
        std::size_t sample;
        const char* fault;
        std::function<void(Bytes&)> corrupt;
    };
    const Case cases[] = {
        {"sqlite", 0, "a change counter the page count was not written for", [](Bytes& b) { b[27] ^= 0x01; }},
        {"sqlite", 0, "a page count past the file", [](Bytes& b) { b[31] += 1; }},
        {"sqlite", 0, "a page size that is no power of two", [](Bytes& b) { b[17] = 0x01; }},
        {"sqlite", 0, "a first page that is no table page", [](Bytes& b) { b[100] = 0x0A; }},
        {"elf", 0, "an ELF header of the wrong size", [](Bytes& b) { b[52] ^= 0x08; }},
        {"elf", 1, "a section table past the file", [](Bytes& b) { b[43] ^= 0x10; }},
        {"elf", 1, "a section entry size of the other class", [](Bytes& b) { b[58] = 40; }},
        {"elf", 3, "a big-endian version word read little-endian", [](Bytes& b) { b[5] = 1; }},
        {"elf", 1, "a section linked to one past the table", [](Bytes& b) { b[read32(b, 40) + 64 + 41] = 0xFF; }},
        {"exe", 0, "no PE signature", [](Bytes& b) { b[peHeader(b) + 1] = 'X'; }},
        {"exe", 0, "an optional header of no known kind", [](Bytes& b) { b[peHeader(b) + 25] = 0x03; }},
        {"exe", 1, "a section's data past the file", [](Bytes& b) { b[peHeader(b) + 24 + 240 + 40 + 23] = 0x10; }},
        {"exe", 3, "a certificate of an unknown revision", [](Bytes& b) { b[findLast(b, std::string("\0\2\2\0", 4))] ^= 0x04; }},
        {"pdf", 0, "a startxref that points beside its table", [](Bytes& b) { b[findLast(b, "startxref") + 10] ^= 0x01; }},
        {"pdf", 0, "a table without its keyword", [](Bytes& b) { b[findLast(b, "\nxref") + 1] = 'X'; }},
        {"pdf", 1, "an update whose /Prev leads elsewhere", [](Bytes& b) { b[findLast(b, "/Prev ") + 6] ^= 0x01; }},
        {"pdf", 5, "a cross-reference stream of another type", [](Bytes& b) { b[findLast(b, "/XRef") + 1] = 'Y'; }},
        {"doc", 0, "a FAT sector not marked as one", [](Bytes& b) { b[findLast(b, std::string("\xFD\xFF\xFF\xFF", 4))] = 0xFF; }},
        {"doc", 0, "a root entry by another name", [](Bytes& b) { b[find(b, std::string("R\0o\0o\0t\0", 8))] = 'B'; }},
        {"doc", 0, "a chain into sectors the FAT lacks", [](Bytes& b) { b[(read32(b, 76) + 1) * 512 + 1] = 0x70; }},
        {"xls", 0, "a sector shift of the other version", [](Bytes& b) { b[30] = 9; }},
        {"doc", 1, "a root whose children loop", [](Bytes& b) { b[find(b, std::string("1\0T\0a\0b\0", 8)) + 72] = 1; }},
    };
    TemporaryFolder folder;
    FakeExtractConfig config;
    DocumentFiles files;
    std::string loadedFolder;
    std::vector<Sample> samples;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.folder) + ": " + c.fault);
        if (loadedFolder != c.folder) {
            samples = samplesOf(files, c.folder);
            loadedFolder = c.folder;
        }
        LoadedPlugin plugin(c.folder);
        plugin->setConfig(&config);
        Bytes file = samples.at(c.sample).bytes;
        c.corrupt(file);
        ASSERT_NE(file, samples.at(c.sample).bytes);
        Bytes content = SampleFiles::random(5, 1);
        content.insert(content.end(), file.begin(), file.end());
        const std::string input = folder.write("input.bin", content);
        const std::string output = folder.file("out.bin");
        EXPECT_EQ(plugin->extract(input.c_str(), 0, 5, output.c_str()), 0u);
        EXPECT_FALSE(std::filesystem::exists(output));
    }
}

class DocumentCorpusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const Kind& kind : kinds) {
            loaded.push_back(std::make_unique<LoadedPlugin>(kind.folder));
            (*loaded.back())->setConfig(&config);
            plugins.push_back(loaded.back()->get());
        }
    }

    void place(const Bytes& file, const std::string& kind)
    {
        expected.push_back({corpus.size(), kind, file});
        corpus.insert(corpus.end(), file.begin(), file.end());
    }

    // A file whose inner find sits somewhere in its data.
    void placeWithInner(const Bytes& file, const std::string& kind, const Bytes& inner, const std::string& innerKind)
    {
        auto at = std::search(file.begin(), file.end(), inner.begin(), inner.end());
        ASSERT_NE(at, file.end()) << "the inner file lies whole in the outer one";
        expected.push_back({corpus.size() + static_cast<std::size_t>(at - file.begin()), innerKind, inner});
        place(file, kind);
    }

    void placeBroken(const Bytes& file)
    {
        corpus.insert(corpus.end(), file.begin(), file.end());
    }

    void fill(std::size_t size)
    {
        Bytes noise = SampleFiles::random(size, static_cast<std::uint32_t>(corpus.size()));
        corpus.insert(corpus.end(), noise.begin(), noise.end());
    }

    std::vector<CorpusScanner::Find> scan()
    {
        return CorpusScanner(plugins, output).scan(folder.write("corpus.bin", corpus), corpus);
    }

    TemporaryFolder folder;
    TemporaryFolder output;
    FakeExtractConfig config;
    DocumentFiles files;
    std::vector<std::unique_ptr<LoadedPlugin>> loaded;
    std::vector<IExtractPlugin*> plugins;
    Bytes corpus;
    std::vector<CorpusScanner::Find> expected;
};

TEST_F(DocumentCorpusTest, EveryWholeFileIsRecoveredExactly)
{
    const Bytes executable = files.pe(true, true);
    const Bytes pdf = DocumentFiles::withUpdate(DocumentFiles::qtPdf(2, 11), 12);
    const Bytes object = files.elfObject();

    fill(1001);
    place(files.sqlite(120, 1024, true), "sqlite");
    fill(17);
    // Back to back.
    place(object, "elf");
    place(files.elf32Executable(), "elf");
    place(files.pe(false, false), "exe");
    fill(2001);
    // A compound file whose streams hold an executable and a PDF.
    Bytes documentStream = SampleFiles::random(100, 13);
    documentStream.insert(documentStream.end(), executable.begin(), executable.end());
    Bytes tableStream = pdf;
    tableStream.resize(std::max<std::size_t>(tableStream.size() + 3, 4096), 0);
    const Bytes compound = DocumentFiles::compoundFile(3, {{"WordDocument", documentStream}, {"1Table", tableStream}});
    placeWithInner(compound, "doc", executable, "exe");
    expected.push_back({corpus.size() - compound.size() + find(compound, "%PDF-"), "pdf", pdf});
    fill(3);
    // A PDF whose update carries an ELF object in a stream.
    placeWithInner(DocumentFiles::withUpdate(DocumentFiles::qtPdf(1, 14), 15, object), "pdf", object, "elf");
    fill(555);

    // Cut short, and broken in a structure: neither is taken.
    const Bytes cutPdf = files.qpdf(DocumentFiles::qtPdf(1, 16), "--linearize");
    placeBroken(Bytes(cutPdf.begin(), cutPdf.end() - 9));
    fill(64);
    Bytes brokenCompound = DocumentFiles::compoundFile(4, {{"Book", SampleFiles::random(5000, 17)}});
    brokenCompound[44] += 1;
    placeBroken(brokenCompound);
    fill(99);
    place(files.qpdf(DocumentFiles::qtPdf(2, 18), "--object-streams=generate"), "pdf");
    // A PDF carried in a stream of another's update: both are found, each whole.
    const Bytes carried = DocumentFiles::qtPdf(1, 19);
    placeWithInner(DocumentFiles::withUpdate(DocumentFiles::qtPdf(1, 20), 21, carried), "pdf", carried, "pdf");
    fill(7);
    const Bytes cutDatabase = files.sqlite(40, 512, false);
    placeBroken(Bytes(cutDatabase.begin(), cutDatabase.end() - 512));

    std::sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) { return a.offset < b.offset; });
    const bool odd = std::any_of(expected.begin(), expected.end(), [](const auto& f) { return f.offset % 2 == 1; });
    ASSERT_TRUE(odd) << "the corpus places files at odd offsets";
    EXPECT_EQ(scan(), expected);
}

TEST_F(DocumentCorpusTest, RandomDataAloneYieldsNothing)
{
    fill(3 * 1024 * 1024);
    EXPECT_TRUE(scan().empty());
}

// The size window is applied to the whole file: a PDF whose update lies beyond the largest size
// taken is not cut to the part before the update, which would pass for a whole file.
TEST(PdfFile, LargerThanTheWindowIsNotCutBeforeItsUpdate)
{
    const Bytes first = DocumentFiles::qtPdf(2, 31);
    const Bytes file = DocumentFiles::withUpdate(first, 32);
    TemporaryFolder folder;
    Bytes content = SampleFiles::random(9, 33);
    content.insert(content.end(), file.begin(), file.end());
    Bytes after = SampleFiles::random(50, 34);
    content.insert(content.end(), after.begin(), after.end());
    const std::string input = folder.write("input.bin", content);

    FakeExtractConfig config;
    LoadedPlugin plugin("pdf");
    plugin->setConfig(&config);
    const int whole = static_cast<int>(file.size());
    const int part = static_cast<int>(first.size());
    struct Case {
        int maximum;
        bool extracted;
    };
    const Case cases[] = {{-1, true}, {whole, true}, {whole - 1, false}, {part, false}, {part + 20, false}, {part - 1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE("largest size " + std::to_string(c.maximum) + " for " + std::to_string(part) + " + " +
                     std::to_string(whole - part) + " bytes");
        config.maximumSize = c.maximum;
        const std::string output = folder.file("out.pdf");
        const unsigned result = plugin->extract(input.c_str(), 0, 9, output.c_str());
        EXPECT_EQ(result, c.extracted ? file.size() : 0u);
        if (c.extracted) {
            EXPECT_EQ(TemporaryFolder::read(output), file);
        }
        EXPECT_EQ(std::filesystem::exists(output), c.extracted);
        std::filesystem::remove(output);
    }
}

// Whichever of the compound-file plug-ins the program asks first, only the one of the file's own
// kind takes it, so that its kind is right.
TEST(CompoundFile, IsTakenByThePlugInOfItsKindAlone)
{
    TemporaryFolder folder;
    FakeExtractConfig config;
    DocumentFiles files;
    for (const char* owner : compoundFolders) {
        for (const Sample& sample : samplesOf(files, owner)) {
            const std::string input = folder.write("input.bin", sample.bytes);
            for (const char* asked : compoundFolders) {
                SCOPED_TRACE(std::string(owner) + " " + sample.name + " offered to " + asked);
                LoadedPlugin plugin(asked);
                plugin->setConfig(&config);
                ASSERT_TRUE(plugin->detect(sample.bytes.data()));
                const std::string output = folder.file("out.bin");
                const unsigned result = plugin->extract(input.c_str(), 0, 0, output.c_str());
                EXPECT_EQ(result, std::string(owner) == asked ? sample.bytes.size() : 0u);
                std::filesystem::remove(output);
            }
        }
    }
}

TEST(OleFile, WithMoreFatSectorsThanTheHeaderHoldsIsRecoveredThroughItsDifat)
{
    // 109 FAT sectors describe 13,952 sectors of 512 bytes; this one needs more.
    const Bytes file = DocumentFiles::compoundFile(3, {{"Big", SampleFiles::random(7600000, 21)}});
    ASSERT_GT(read32(file, 72), 0u) << "the file has DIFAT sectors";
    TemporaryFolder folder;
    FakeExtractConfig config;
    LoadedPlugin plugin("ole");
    plugin->setConfig(&config);
    Bytes content = SampleFiles::random(3, 22);
    content.insert(content.end(), file.begin(), file.end());
    const std::string input = folder.write("input.bin", content);
    const std::string output = folder.file("out.ole");
    EXPECT_EQ(plugin->extract(input.c_str(), 0, 3, output.c_str()), file.size());
    EXPECT_EQ(TemporaryFolder::read(output), file);
}

}
