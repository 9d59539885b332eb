// What a damaged or cut file costs the plug-ins: files made by the real tools, with thousands of
// entries, chunks, pages or frames each, are cut at several points and have a stretch zeroed in
// their middle, and every plug-in of the file's family is offered every position at which its
// detect passes, as a run offers them. The bytes they read through the program's services, per
// byte of input, stay below a fixed bound: a walk that failed is not walked again from each later
// member of the same file (which costs the square of the file's length).

#include "tests/plugins/Archivesamples.h"
#include "tests/plugins/Countinghost.h"
#include "tests/plugins/Documentfiles.h"
#include "tests/plugins/Samplefiles.h"
#include "tests/plugins/Toolfiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

// Content files d/f00000... of random bytes (incompressible, so that zip stores them), sizes
// between 100 and 1000 bytes: Python's seeded generator makes the same files every time.
std::string contentFiles(int count, int seed)
{
    return "python3 -c \"import random, os; r = random.Random(" + std::to_string(seed) +
           "); os.mkdir('d'); [open('d/f%05d' % i, 'wb').write(r.randbytes(r.randrange(100, 1000))) for i in range(" +
           std::to_string(count) + ")]\"";
}

// A ZIP-based document or package of the kind's layout, its first entries as its writers place
// them, followed by count content entries, deflated with their sizes in data descriptors where
// streamed (as a writer to a pipe does).
std::string zipLayout(const std::string& kind, int count, bool streamed)
{
    std::string first;
    if (kind == "docx" || kind == "xlsx" || kind == "pptx") {
        const std::string part = kind == "docx" ? "word/document.xml" : kind == "xlsx" ? "xl/workbook.xml" : "ppt/presentation.xml";
        first = "z.writestr('[Content_Types].xml', '<Types/>'); z.writestr('_rels/.rels', '<Relationships/>'); "
                "z.writestr('" + part + "', '<root/>'); ";
    } else if (kind == "odt" || kind == "ods" || kind == "odp" || kind == "epub") {
        const std::string type = kind == "epub" ? "application/epub+zip"
                                                : "application/vnd.oasis.opendocument." +
                                                      std::string(kind == "odt" ? "text" : kind == "ods" ? "spreadsheet" : "presentation");
        first = "z.writestr(zipfile.ZipInfo('mimetype'), '" + type + "'); ";
        first += kind == "epub" ? "z.writestr('META-INF/container.xml', '<container/>'); "
                                : "z.writestr('content.xml', '<content/>'); ";
    } else if (kind == "jar") {
        first = "z.writestr('META-INF/', ''); z.writestr('META-INF/MANIFEST.MF', 'Manifest-Version: 1.0\\r\\n'); ";
    } else if (kind == "apk") {
        first = "z.writestr('AndroidManifest.xml', b'\\x03\\x00\\x08\\x00' * 30); z.writestr('classes.dex', b'dex\\n035\\x00'); ";
    }
    // Written to a pipe, zipfile cannot seek back, so every entry's sizes follow its data.
    const std::string open = streamed ? "z = zipfile.ZipFile(Pipe(open(sys.argv[1], 'wb')), 'w', zipfile.ZIP_DEFLATED)"
                                      : "z = zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED)";
    return contentFiles(count, 3) + " && python3 -c \"import zipfile, sys, os, io\n"
           "class Pipe(io.RawIOBase):\n"
           "    def __init__(self, f): self.f = f; self.n = 0\n"
           "    def writable(self): return True\n"
           "    def write(self, b): self.f.write(b); self.n += len(b); return len(b)\n"
           "    def tell(self): return self.n\n"
           "    def seekable(self): return False\n"
           "    def flush(self): self.f.flush()\n" +
           open + "\n" + first + "\n"
           "for n in sorted(os.listdir('d')): z.write('d/' + n)\n"
           "z.close()\" {out}";
}

struct Family {
    const char* name;
    // The plug-ins offered each position, in the program's order.
    std::vector<std::string> folders;
    std::function<Bytes()> make;
};

Bytes tool(const std::string& command)
{
    return ToolFiles::make(command);
}

// Sounds and videos that ffmpeg writes from its own test sources, of length seconds.
std::string ffmpeg(const std::string& codecs, int seconds)
{
    return "ffmpeg -v error -f lavfi -i testsrc=size=160x120:rate=25 -f lavfi -i sine=frequency=440:sample_rate=44100 -t " +
           std::to_string(seconds) + " -map_metadata -1 -fflags +bitexact " + codecs + " {out}";
}

std::string ffmpegSound(const std::string& codecs, int seconds)
{
    return "ffmpeg -v error -f lavfi -i anoisesrc=sample_rate=44100:amplitude=0.3:seed=5 -t " + std::to_string(seconds) +
           " -map_metadata -1 -fflags +bitexact " + codecs + " {out}";
}

// A RAR archive of count stored entries, built block by block.
Bytes rar(int version, int count)
{
    ArchiveSamples samples(9);
    for (int i = 0; i < count; ++i) {
        samples.addFile("f" + std::to_string(i), SampleFiles::random(100 + static_cast<std::size_t>(i * 37 % 900), static_cast<std::uint32_t>(i)));
    }
    return version == 4 ? samples.rar4() : samples.rar5();
}

// A compound file of count streams, each past the mini stream's cut-off.
Bytes compound(const std::string& first, int count)
{
    std::vector<std::pair<std::string, Bytes>> streams;
    streams.emplace_back(first, SampleFiles::random(9000, 1));
    for (int i = 0; i < count; ++i) {
        streams.emplace_back("S" + std::to_string(i), SampleFiles::random(4200 + static_cast<std::size_t>(i % 7) * 100, static_cast<std::uint32_t>(i + 2)));
    }
    return DocumentFiles::compoundFile(3, streams);
}

// A PDF of many pages with count incremental updates after it, each with a cross-reference
// section of its own.
Bytes updatedPdf(int count)
{
    Bytes pdf = DocumentFiles::qtPdf(200, 3);
    for (int i = 0; i < count; ++i) {
        pdf = DocumentFiles::withUpdate(pdf, static_cast<std::uint32_t>(i));
    }
    return pdf;
}

const Family families[] = {
    {"ZipStored", {"zip"}, [] { return tool(contentFiles(3000, 1) + " && zip -q -r -0 -X {out}.zip d && mv {out}.zip {out}"); }},
    {"ZipDeflated", {"zip"}, [] { return tool(contentFiles(3000, 2) + " && zip -q -r -X {out}.zip d && mv {out}.zip {out}"); }},
    {"ZipStreamed", {"zip"}, [] { return tool(contentFiles(3000, 2) + " && zip -q -r -X - d > {out}"); }},
    {"Docx", {"docx", "zip"}, [] { return tool(zipLayout("docx", 3000, false)); }},
    {"Xlsx", {"xlsx", "zip"}, [] { return tool(zipLayout("xlsx", 3000, true)); }},
    {"Pptx", {"pptx", "zip"}, [] { return tool(zipLayout("pptx", 3000, false)); }},
    {"Odt", {"odt", "zip"}, [] { return tool(zipLayout("odt", 3000, false)); }},
    {"Ods", {"ods", "zip"}, [] { return tool(zipLayout("ods", 3000, false)); }},
    {"Odp", {"odp", "zip"}, [] { return tool(zipLayout("odp", 3000, false)); }},
    {"Epub", {"epub", "zip"}, [] { return tool(zipLayout("epub", 3000, false)); }},
    {"Jar", {"jar", "zip"}, [] { return tool(zipLayout("jar", 3000, true)); }},
    {"Apk", {"apk", "jar", "zip"}, [] { return tool(zipLayout("apk", 3000, false)); }},
    {"Tar", {"tar"}, [] { return tool(contentFiles(3000, 5) + " && tar --format=gnu --owner=0 --group=0 --mtime=@1000000 -cf {out} d"); }},
    {"TarPosix", {"tar"}, [] { return tool(contentFiles(3000, 5) + " && tar --format=posix --owner=0 --group=0 --mtime=@1000000 -cf {out} d"); }},
    {"SevenZip", {"7z"}, [] { return tool(contentFiles(3000, 6) + " && 7z a -bd -y -t7z -mx=1 o.7z d && mv o.7z {out}"); }},
    {"Rar4", {"rar"}, [] { return rar(4, 3000); }},
    {"Rar5", {"rar"}, [] { return rar(5, 3000); }},
    {"Gz", {"gz"}, [] { return tool(contentFiles(3000, 7) + " && for f in d/*; do gzip -c -n $f; done > {out}"); }},
    {"Pdf", {"pdf"}, [] { return updatedPdf(300); }},
    {"CompoundFile", {"doc", "xls", "ppt", "ole"}, [] { return compound("WordDocument", 400); }},
    {"Sqlite", {"sqlite"}, [] { return DocumentFiles().sqlite(20000, 1024, false); }},
    {"Ogg", {"ogg"}, [] { return tool(ffmpegSound("-c:a libvorbis -q:a 2 -f ogg", 120)); }},
    {"Flac", {"flac"}, [] { return tool(ffmpegSound("-c:a flac -frame_size 1152 -f flac", 20)); }},
    {"Mp3", {"mp3"}, [] { return tool(ffmpegSound("-c:a libmp3lame -b:a 128k -f mp3", 120)); }},
    {"Mpg", {"mpg"}, [] { return tool(ffmpeg("-c:v mpeg2video -b:v 200k -c:a mp2 -f mpeg", 60)); }},
    // A DVD's program stream repeats its system header twice a second: each of those packs begins
    // a walk of its own.
    {"Vob", {"mpg"}, [] { return tool(ffmpeg("-c:v mpeg2video -b:v 1M -c:a mp2 -f vob", 60)); }},
    {"Mkv", {"matroska"}, [] { return tool(ffmpeg("-c:v mpeg4 -b:v 200k -c:a flac -f matroska", 60)); }},
    {"Webm", {"matroska"}, [] { return tool(ffmpeg("-c:v libvpx -deadline realtime -b:v 200k -c:a libopus -f webm", 60)); }},
    {"Mp4", {"isomedia"}, [] { return tool(ffmpeg("-c:v mpeg4 -b:v 200k -c:a aac -f mp4", 60)); }},
    {"Mp4Fragmented", {"isomedia"}, [] { return tool(ffmpeg("-c:v mpeg4 -g 5 -b:v 200k -c:a aac -movflags frag_keyframe+empty_moov -f mp4", 60)); }},
    {"Mov", {"isomedia"}, [] { return tool(ffmpeg("-c:v mpeg4 -b:v 200k -c:a pcm_s16le -f mov", 30)); }},
    {"Avi", {"avi"}, [] { return tool(ffmpeg("-c:v mpeg4 -b:v 200k -c:a pcm_s16le -f avi", 60)); }},
    {"Wav", {"wav"}, [] { return tool(ffmpegSound("-c:a pcm_s16le -f wav", 20)); }},
    {"Tif", {"tif"}, [] { return tool("convert -size 24x24 xc:red +noise Random -duplicate 999 tif:{out}"); }},
};

// Bytes read through the host per byte of input, at most: a walk of the whole file, the copy of
// a find, and what the candidates inside its members cost (a deflate stream is read in chunks
// that grow from 512 bytes, so small deflated entries cost a few times their size).
constexpr double boundPerByte = 8.0;
// A damaged file costs at most this many times what the whole file costs.
constexpr double boundAgainstWhole = 3.0;
constexpr double readsPerCandidate = 4.0;
constexpr double readBytesPerRead = 128.0;

struct Damage {
    const char* name;
    std::function<Bytes(const Bytes&)> apply;
};

const Damage damages[] = {
    {"whole", [](const Bytes& file) { return file; }},
    {"cut at a quarter", [](const Bytes& file) { return Bytes(file.begin(), file.begin() + static_cast<long>(file.size() / 4 + 7)); }},
    {"cut at the half", [](const Bytes& file) { return Bytes(file.begin(), file.begin() + static_cast<long>(file.size() / 2 + 3)); }},
    {"cut near the end", [](const Bytes& file) { return Bytes(file.begin(), file.end() - 5); }},
    {"4 KiB zeroed in the middle", [](const Bytes& file) {
         Bytes damaged(file);
         std::fill(damaged.begin() + static_cast<long>(file.size() / 2), damaged.begin() + static_cast<long>(file.size() / 2 + 4096), 0);
         return damaged;
     }},
    {"64 KiB zeroed at a third", [](const Bytes& file) {
         Bytes damaged(file);
         const std::size_t from = file.size() / 3;
         std::fill(damaged.begin() + static_cast<long>(from), damaged.begin() + static_cast<long>(std::min(file.size(), from + 65536)), 0);
         return damaged;
     }},
};

void PrintTo(const Family& family, std::ostream* out)
{
    *out << family.name;
}

class DamagedFilesTest : public ::testing::TestWithParam<Family> {
};

TEST_P(DamagedFilesTest, EachDamagedRunReadsABoundedAmountPerByte)
{
    const Bytes file = GetParam().make();
    std::uint64_t whole = 0;
    std::uint64_t wholeReads = 0;
    for (const Damage& damage : damages) {
        const Bytes input = damage.apply(file);
        CountingHost host(input);
        const auto finds = host.scan(GetParam().folders);
        const double perByte = static_cast<double>(host.bytesRead()) / static_cast<double>(input.size());
        std::printf("%s %s: %zu bytes, %llu candidates, %.2f bytes read per byte, %llu reads, %zu finds\n",
                    GetParam().name, damage.name, input.size(), static_cast<unsigned long long>(host.extractCalls()),
                    perByte, static_cast<unsigned long long>(host.reads()), finds.size());
        EXPECT_LE(perByte, boundPerByte) << damage.name;
        // A walk that peeks at each header reads few bytes for its work, so the reads are bounded
        // too: a few per candidate, and one per readBytesPerRead bytes of input.
        EXPECT_LE(static_cast<double>(host.reads()), readsPerCandidate * static_cast<double>(host.extractCalls()) +
                                                         static_cast<double>(input.size()) / readBytesPerRead)
            << damage.name;
        if (damage.name == damages[0].name) {
            whole = host.bytesRead();
            wholeReads = host.reads();
        } else {
            EXPECT_LE(static_cast<double>(host.bytesRead()), boundAgainstWhole * static_cast<double>(whole)) << damage.name;
            EXPECT_LE(static_cast<double>(host.reads()),
                      boundAgainstWhole * static_cast<double>(wholeReads) + readsPerCandidate * static_cast<double>(host.extractCalls()))
                << damage.name;
        }
    }
}

// A ZIP file stored in a ZIP file that is cut after it: the outer archive's walk fails, and what
// is remembered of it leaves the inner one's local headers alone.
TEST(DamagedFiles, AZipStoredInACutZipIsFound)
{
    const Bytes outer = ToolFiles::make(contentFiles(3000, 4) +
                                        " && zip -q -X -0 i.zip d/f0000* && zip -q -X -0 {out}.zip d/f00* i.zip d/f01* d/f02* && mv {out}.zip {out}");
    const Bytes input(outer.begin(), outer.begin() + static_cast<long>(outer.size() * 3 / 4));
    CountingHost host(input);
    const auto finds = host.scan({"zip"});
    ASSERT_EQ(finds.size(), 1u);
    EXPECT_EQ(finds[0].kind, "zip");
    const Bytes endRecord = {'P', 'K', 5, 6};
    ASSERT_GE(finds[0].size, 22u);
    EXPECT_TRUE(std::equal(endRecord.begin(), endRecord.end(), input.begin() + static_cast<long>(finds[0].offset + finds[0].size - 22)));
    EXPECT_LE(static_cast<double>(host.bytesRead()), boundPerByte * static_cast<double>(input.size()));
}

INSTANTIATE_TEST_SUITE_P(Families, DamagedFilesTest, ::testing::ValuesIn(families),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
