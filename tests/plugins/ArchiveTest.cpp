// The archive plug-ins over files that the real tools make: each whole file comes back byte for
// byte at odd offsets in random data, back to back and inside another archive; files cut short
// or with a byte of their structure changed do not; the ZIP-based documents and packages come
// out under their own kinds.

#include "tests/plugins/Archivesamples.h"
#include "tests/plugins/Corpusscanner.h"
#include "tests/plugins/Fakeextractconfig.h"
#include "tests/plugins/Loadedplugin.h"
#include "tests/plugins/Samplefiles.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

// In the byte order of their file names, as the program loads them: each document and package
// kind before the generic ZIP plug-in, the Android package before the Java archive.
const char* const folders[] = {"7z", "apk", "bz2", "docx", "epub", "gz", "jar", "odp", "ods",
                               "odt", "pptx", "rar", "tar", "xlsx", "xz", "zip"};

class ArchivePlugins {
public:
    ArchivePlugins()
    {
        for (const char* folder : folders) {
            loaded.push_back(std::make_unique<LoadedPlugin>(folder));
            (*loaded.back())->setConfig(&config);
            plugins.push_back(loaded.back()->get());
        }
    }

    std::vector<CorpusScanner::Find> scan(const Bytes& corpus)
    {
        return CorpusScanner(plugins, output).scan(input.write("corpus.bin", corpus), corpus);
    }

    FakeExtractConfig config;

private:
    TemporaryFolder input;
    TemporaryFolder output;
    std::vector<std::unique_ptr<LoadedPlugin>> loaded;
    std::vector<IExtractPlugin*> plugins;
};

struct Sample {
    const char* name;
    const char* kind;
    std::function<Bytes(const ArchiveSamples&)> make;
    // A byte of the file's structure that no reader would let pass, counted from the file's end
    // (1 is the last byte); 0 for the ZIP end record's central directory offset.
    std::size_t structureFromEnd;
};

std::uint32_t read32(const Bytes& bytes, std::size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

// The high byte of the central directory's size in the end of central directory record, which
// ends a ZIP file made without a comment.
constexpr std::size_t zipCentralSize = 7;

const Sample samples[] = {
    {"zip", "zip", [](const ArchiveSamples& s) { return s.zip(); }, zipCentralSize},
    {"zipStored", "zip", [](const ArchiveSamples& s) { return s.zip("-0"); }, zipCentralSize},
    {"zipStreamed", "zip", [](const ArchiveSamples& s) { return s.streamedZip(); }, zipCentralSize},
    {"zip64", "zip", [](const ArchiveSamples& s) { return s.zip64(); }, zipCentralSize},
    {"zip64Python", "zip", [](const ArchiveSamples& s) { return s.pythonZip64(); }, zipCentralSize},
    {"zipWithComment", "zip", [](const ArchiveSamples& s) { return s.make("zip -q -X -z out.zip notes.txt < more.txt", "out.zip"); }, 0},
    {"docx", "docx", [](const ArchiveSamples& s) { return s.document("docx"); }, zipCentralSize},
    {"xlsx", "xlsx", [](const ArchiveSamples& s) { return s.document("xlsx"); }, zipCentralSize},
    {"pptx", "pptx", [](const ArchiveSamples& s) { return s.document("pptx"); }, zipCentralSize},
    {"odt", "odt", [](const ArchiveSamples& s) { return s.document("odt"); }, zipCentralSize},
    {"ods", "ods", [](const ArchiveSamples& s) { return s.document("ods"); }, zipCentralSize},
    {"odp", "odp", [](const ArchiveSamples& s) { return s.document("odp"); }, zipCentralSize},
    {"epub", "epub", [](const ArchiveSamples& s) { return s.document("epub"); }, zipCentralSize},
    {"jar", "jar", [](const ArchiveSamples& s) { return s.document("jar"); }, zipCentralSize},
    {"apk", "apk", [](const ArchiveSamples& s) { return s.document("apk"); }, zipCentralSize},
    {"apkSigned", "apk", [](const ArchiveSamples& s) { return s.signedApk(); }, zipCentralSize},
    // The first byte of the data's CRC-32.
    {"gzip", "gz", [](const ArchiveSamples& s) { return s.gzip("-n"); }, 8},
    {"gzipNamed", "gz", [](const ArchiveSamples& s) { return s.gzip("-9"); }, 8},
    // Inside the combined CRC, which follows the end-of-stream marker.
    {"bzip2", "bz2", [](const ArchiveSamples& s) { return s.bzip2(); }, 4},
    // The stream footer's magic.
    {"xz", "xz", [](const ArchiveSamples& s) { return s.xz(); }, 2},
    {"xzSha256", "xz", [](const ArchiveSamples& s) { return s.xz("--check=sha256 -9"); }, 2},
    // The next header's last byte, under its CRC.
    {"sevenZip", "7z", [](const ArchiveSamples& s) { return s.sevenZip(); }, 2},
    {"sevenZipPlainHeader", "7z", [](const ArchiveSamples& s) { return s.sevenZip("-mhc=off -mx=1"); }, 2},
    // The end-of-archive block's header CRC, its first byte.
    {"rar4", "rar", [](const ArchiveSamples& s) { return s.rar4(); }, 7},
    // The end-of-archive block's header size, after its CRC-32.
    {"rar5", "rar", [](const ArchiveSamples& s) { return s.rar5(); }, 4},
};

class ArchiveSampleTest : public ::testing::TestWithParam<Sample> {
protected:
    Bytes file()
    {
        ArchiveSamples made(7);
        return GetParam().make(made);
    }

    ArchivePlugins plugins;
};

TEST_P(ArchiveSampleTest, IsRecoveredExactlyAtAnOddOffset)
{
    Bytes sample = file();
    Bytes corpus = SampleFiles::random(1001, 1);
    corpus.insert(corpus.end(), sample.begin(), sample.end());
    Bytes tail = SampleFiles::random(777, 2);
    corpus.insert(corpus.end(), tail.begin(), tail.end());
    std::vector<CorpusScanner::Find> expected = {{1001, GetParam().kind, sample}};
    EXPECT_EQ(plugins.scan(corpus), expected);
}

TEST_P(ArchiveSampleTest, TwoMadeApartAreBothRecoveredBackToBack)
{
    Bytes first = file();
    ArchiveSamples other(8);
    other.addFile("extra.txt", Bytes(5000, 'x'));
    Bytes second = GetParam().make(other);
    Bytes corpus = SampleFiles::random(3, 3);
    corpus.insert(corpus.end(), first.begin(), first.end());
    corpus.insert(corpus.end(), second.begin(), second.end());
    std::vector<CorpusScanner::Find> found = plugins.scan(corpus);
    if (std::string(GetParam().kind) == "gz") {
        // gzip reads members back to back as one file: so does the plug-in.
        Bytes both(corpus.begin() + 3, corpus.end());
        EXPECT_EQ(found, (std::vector<CorpusScanner::Find>{{3, "gz", both}}));
    } else {
        EXPECT_EQ(found, (std::vector<CorpusScanner::Find>{{3, GetParam().kind, first},
                                                            {3 + first.size(), GetParam().kind, second}}));
    }
}

TEST_P(ArchiveSampleTest, CutShortIsNotExtracted)
{
    Bytes sample = file();
    for (std::size_t keep : {sample.size() - 1, sample.size() / 2, std::size_t{40}}) {
        Bytes corpus = SampleFiles::random(11, 4);
        corpus.insert(corpus.end(), sample.begin(), sample.begin() + static_cast<long>(keep));
        EXPECT_TRUE(plugins.scan(corpus).empty()) << keep << " of " << sample.size() << " bytes";
    }
}

TEST_P(ArchiveSampleTest, OneStructureByteChangedIsNotExtracted)
{
    Bytes sample = file();
    std::size_t at = sample.size() - GetParam().structureFromEnd;
    if (GetParam().structureFromEnd == 0) {
        // A commented ZIP: the end record lies 22 bytes before its comment.
        at = sample.size() - 1;
        while (read32(sample, at) != 0x06054b50) {
            --at;
        }
        at += 16;
    }
    sample[at] ^= 0x5A;
    Bytes corpus = SampleFiles::random(5, 5);
    corpus.insert(corpus.end(), sample.begin(), sample.end());
    EXPECT_TRUE(plugins.scan(corpus).empty()) << "byte " << at << " of " << sample.size();
}

TEST_P(ArchiveSampleTest, SizeWindowIsApplied)
{
    Bytes sample = file();
    Bytes corpus = SampleFiles::random(9, 6);
    corpus.insert(corpus.end(), sample.begin(), sample.end());
    plugins.config.maximumSize = static_cast<int>(sample.size()) - 1;
    EXPECT_TRUE(plugins.scan(corpus).empty()) << "one byte above the window";
    plugins.config.maximumSize = static_cast<int>(sample.size());
    EXPECT_EQ(plugins.scan(corpus).size(), 1u) << "exactly the window's upper bound";
    plugins.config.maximumSize = -1;
    plugins.config.minimumSize = static_cast<int>(sample.size()) + 1;
    EXPECT_TRUE(plugins.scan(corpus).empty()) << "below the window";
}

INSTANTIATE_TEST_SUITE_P(Archives, ArchiveSampleTest, ::testing::ValuesIn(samples),
                         [](const auto& info) { return std::string(info.param.name); });

class TarTest : public ::testing::TestWithParam<const char*> {
protected:
    ArchivePlugins plugins;
};

TEST_P(TarTest, IsRecoveredExactlyWithItsRecordPadding)
{
    ArchiveSamples made(3);
    Bytes sample = made.tar(GetParam());
    ASSERT_EQ(sample.size() % 10240, 0u) << "tar fills its last record";
    Bytes corpus = SampleFiles::random(333, 1);
    corpus.insert(corpus.end(), sample.begin(), sample.end());
    Bytes tail = SampleFiles::random(99, 2);
    corpus.insert(corpus.end(), tail.begin(), tail.end());
    EXPECT_EQ(plugins.scan(corpus), (std::vector<CorpusScanner::Find>{{333, "tar", sample}}));
}

TEST_P(TarTest, ArchiveCutShortEndsWithItsLastWholeEntry)
{
    ArchiveSamples made(4);
    Bytes sample = made.tar(GetParam());
    Bytes corpus = SampleFiles::random(5, 3);
    // Into the data of the last entry ("more.txt", more than 512 bytes long).
    std::size_t lastHeader = sample.size() - 1;
    for (std::size_t at = 0; at + 512 <= sample.size(); at += 512) {
        if (std::equal(sample.begin() + static_cast<long>(at), sample.begin() + static_cast<long>(at) + 8,
                       "more.txt")) {
            lastHeader = at;
        }
    }
    ASSERT_LT(lastHeader, sample.size());
    corpus.insert(corpus.end(), sample.begin(), sample.begin() + static_cast<long>(lastHeader + 700));
    Bytes wholeEntries(sample.begin(), sample.begin() + static_cast<long>(lastHeader));
    EXPECT_EQ(plugins.scan(corpus), (std::vector<CorpusScanner::Find>{{5, "tar", wholeEntries}}));
}

TEST_P(TarTest, FirstHeaderWithAChangedChecksumIsNotExtracted)
{
    ArchiveSamples made(5);
    Bytes sample = made.tar(GetParam());
    // The first header's checksum field lies at 148 (a pax archive's first header is its own).
    sample[150] ^= 0x01;
    Bytes corpus = SampleFiles::random(7, 4);
    corpus.insert(corpus.end(), sample.begin(), sample.end());
    std::vector<CorpusScanner::Find> found = plugins.scan(corpus);
    for (const CorpusScanner::Find& find : found) {
        EXPECT_NE(find.offset, 7u) << "the archive with a broken first header";
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, TarTest, ::testing::Values("gnu", "ustar", "posix"),
                         [](const auto& info) { return std::string(info.param); });

TEST(ArchiveNesting, ArchivesStoredInsideArchivesAreFoundOnTheirOwn)
{
    ArchivePlugins plugins;
    ArchiveSamples inner(11);
    Bytes innerZip = inner.zip();
    Bytes innerGz = inner.gzip();
    Bytes innerTar = inner.tar("gnu");
    ArchiveSamples outer(12);
    outer.addFile("inner.zip", innerZip);
    outer.addFile("inner.gz", innerGz);
    outer.addFile("inner.tar", innerTar);
    // Stored, so that the inner files lie in the outer ones whole.
    Bytes outerZip = outer.zip("-0");
    Bytes outerTar = outer.tar("ustar");

    Bytes corpus = SampleFiles::random(101, 1);
    std::size_t zipStart = corpus.size();
    corpus.insert(corpus.end(), outerZip.begin(), outerZip.end());
    Bytes gap = SampleFiles::random(51, 2);
    corpus.insert(corpus.end(), gap.begin(), gap.end());
    std::size_t tarStart = corpus.size();
    corpus.insert(corpus.end(), outerTar.begin(), outerTar.end());

    std::vector<CorpusScanner::Find> expected = {{zipStart, "zip", outerZip}, {tarStart, "tar", outerTar}};
    for (const auto& [start, container] : {std::pair<std::size_t, const Bytes*>{zipStart, &outerZip},
                                           std::pair<std::size_t, const Bytes*>{tarStart, &outerTar}}) {
        for (const auto& [kind, file] : {std::pair<const char*, const Bytes*>{"zip", &innerZip},
                                         std::pair<const char*, const Bytes*>{"gz", &innerGz},
                                         std::pair<const char*, const Bytes*>{"tar", &innerTar}}) {
            auto at = std::search(container->begin(), container->end(), file->begin(), file->end());
            ASSERT_NE(at, container->end());
            expected.push_back({start + static_cast<std::size_t>(at - container->begin()), kind, *file});
        }
    }
    std::sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) { return a.offset < b.offset; });
    EXPECT_EQ(plugins.scan(corpus), expected);
}

TEST(ArchiveNesting, GzipMembersBackToBackAreOneFileAndADamagedOneEndsIt)
{
    ArchivePlugins plugins;
    ArchiveSamples made(13);
    Bytes first = made.gzip();
    Bytes second = made.make("gzip -c -9 more.txt > out.gz", "out.gz");
    Bytes damaged = made.make("gzip -c data.bin > out.gz", "out.gz");
    damaged[damaged.size() - 6] ^= 0x10;

    Bytes corpus = SampleFiles::random(21, 1);
    corpus.insert(corpus.end(), first.begin(), first.end());
    corpus.insert(corpus.end(), second.begin(), second.end());
    corpus.insert(corpus.end(), damaged.begin(), damaged.end());
    Bytes both(first);
    both.insert(both.end(), second.begin(), second.end());
    EXPECT_EQ(plugins.scan(corpus), (std::vector<CorpusScanner::Find>{{21, "gz", both}}));
}

TEST(ArchiveKinds, ZipOfAnotherLayoutStaysZip)
{
    ArchivePlugins plugins;
    ArchiveSamples made(14);
    made.addFile("mimetype", Bytes{'t', 'e', 'x', 't'});
    // "mimetype" first but not an OpenDocument or EPUB type, then "META-INF/" without a manifest.
    Bytes odd = made.make("zip -q -X -0 out.zip mimetype notes.txt", "out.zip");
    Bytes corpus = SampleFiles::random(3, 1);
    corpus.insert(corpus.end(), odd.begin(), odd.end());
    EXPECT_EQ(plugins.scan(corpus), (std::vector<CorpusScanner::Find>{{3, "zip", odd}}));
}

TEST(ArchiveKinds, RandomDataAloneYieldsNothing)
{
    ArchivePlugins plugins;
    EXPECT_TRUE(plugins.scan(SampleFiles::random(2 * 1024 * 1024, 77)).empty());
}

TEST(ArchiveKinds, EveryPluginDescribesItselfWithAKindOfItsOwn)
{
    std::set<std::string> ids;
    std::set<std::string> kinds;
    for (const char* folder : folders) {
        LoadedPlugin plugin(folder);
        ids.insert(plugin->getID());
        kinds.insert(plugin->getKind());
        EXPECT_EQ(std::string(plugin->getID()), std::string("glintfetch.") + plugin->getKind());
        bool japanese = std::any_of(plugin->getName(), plugin->getName() + std::strlen(plugin->getName()),
                                    [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
        EXPECT_TRUE(japanese) << plugin->getName();
        EXPECT_GT(plugin->getWindowSize(), 0u);
        EXPECT_LE(plugin->getWindowSize(), 512u);
        EXPECT_TRUE(plugin->isEnabled());
    }
    EXPECT_EQ(ids.size(), std::size(folders));
    EXPECT_EQ(kinds.size(), std::size(folders));
}

TEST(ArchiveKinds, ArchiveOfManyEntriesIsWalkedOnceNotFromEachEntry)
{
    // A Java archive written to a pipe, as the JDK's tools write theirs: every entry's end is
    // found by inflating it. Walked again from each of its entries, it would take the square of
    // its length; the bound is far above one walk and far below that.
    ArchivePlugins plugins;
    ArchiveSamples made(15);
    std::string names = " META-INF/MANIFEST.MF";
    made.addFile("list.txt", Bytes());
    std::string script = "mkdir -p META-INF entries && printf 'Manifest-Version: 1.0\\r\\n' > META-INF/MANIFEST.MF && "
                         "for i in $(seq 1 6000); do echo \"entry $i of the archive, entry $i\" > entries/e$i.txt; done && "
                         "(echo META-INF/MANIFEST.MF; ls -1 entries/* | sort -V) | zip -q -X -@ - | cat > out.jar";
    Bytes jar = made.make(script, "out.jar");
    Bytes corpus = SampleFiles::random(13, 1);
    corpus.insert(corpus.end(), jar.begin(), jar.end());
    auto started = std::chrono::steady_clock::now();
    std::vector<CorpusScanner::Find> found = plugins.scan(corpus);
    auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_EQ(found, (std::vector<CorpusScanner::Find>{{13, "jar", jar}}));
    EXPECT_LT(seconds, 20.0);
}

struct CountingHost {
    ExtractHost host;
    int calls = 0;
    int cancelAfter;
};

int countAndCancel(void* context)
{
    auto* counting = static_cast<CountingHost*>(context);
    return ++counting->calls > counting->cancelAfter ? 1 : 0;
}

void noWindow(void*, std::uint64_t* minimum, std::uint64_t* maximum)
{
    *minimum = 0;
    *maximum = UINT64_MAX;
}

class ArchiveCancelTest : public ::testing::TestWithParam<const char*> {
};

TEST_P(ArchiveCancelTest, LongDecodeStopsOnceTheRunIsCancelled)
{
    const std::string kind = GetParam();
    ArchiveSamples made(16);
    made.addFile("big.bin", SampleFiles::random(3 * 1024 * 1024, 17));
    Bytes file = kind == "gz" ? made.make("gzip -c big.bin > out.gz", "out.gz")
               : kind == "bz2" ? made.make("bzip2 -c big.bin > out.bz2", "out.bz2")
               : kind == "xz" ? made.make("xz -c big.bin > out.xz", "out.xz")
                              : made.make("zip -q -X - big.bin | cat > out.zip", "out.zip");
    TemporaryFolder folder;
    std::string input = folder.write("input.bin", file);
    std::string output = folder.file("found." + kind);

    LoadedPlugin plugin(kind);
    FakeExtractConfig config;
    plugin->setConfig(&config);
    void* library = dlopen(LoadedPlugin::pathOf(kind).c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr);
    auto getExtension =
        reinterpret_cast<GetExtractPluginExtensionFunction>(dlsym(library, "_getExtractPluginExtension"));
    ASSERT_NE(getExtension, nullptr);
    const ExtractPluginExtension* extension = getExtension();

    for (int cancelAfter : {1000000, 5}) {
        CountingHost counting{{sizeof(ExtractHost), nullptr, &noWindow, &countAndCancel, nullptr, nullptr}, 0, cancelAfter};
        counting.host.context = &counting;
        extension->setHost(plugin.get(), &counting.host);
        unsigned result = plugin->extract(input.c_str(), 0, 0, output.c_str());
        const char* message = nullptr;
        if (cancelAfter > 1000) {
            EXPECT_EQ(result, file.size());
            EXPECT_EQ(TemporaryFolder::read(output), file);
            std::filesystem::remove(output);
        } else {
            EXPECT_EQ(result, 0u);
            EXPECT_EQ(extension->getExtractFailure(plugin.get(), &message), EXTRACT_CANCELLED);
            EXPECT_FALSE(std::filesystem::exists(output));
            EXPECT_LT(counting.calls, 100) << "the decode asked on and on after the cancel";
        }
        extension->setHost(plugin.get(), nullptr);
    }
    dlclose(library);
}

INSTANTIATE_TEST_SUITE_P(Streams, ArchiveCancelTest, ::testing::Values("gz", "bz2", "xz", "zip"),
                         [](const auto& info) { return std::string(info.param); });

}
