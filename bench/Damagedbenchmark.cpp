// What damaged and cut files cost a run, against the same files whole.
//
// For each family, files of about 4, 16 and 64 MiB are made by the real tools (zip, tar, gzip's
// library, 7z, ffmpeg, ImageMagick, sqlite3); each is run through glintfetch-cli with every
// sample plug-in whole, cut at its half, and with 4 KiB zeroed in its middle. Printed: seconds per
// MiB of input for each, as processor time of the program (best of --rounds runs, default 3, the
// cost of a run over an empty input taken off), and the worst damaged run as a ratio of the whole
// one (the target: at most 3).
// --families=zip,tar,... runs only those; --sizes=4,16 only those sizes.
//
// The program is run by hand (see bench/README.md).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/time.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

struct Family {
    const char* name;
    // Writes out (a path) at about mib MiB: "{n}" stands for a count scaled to the size.
    const char* command;
    // The count per MiB.
    double perMib;
};

// Content files d/f00000... of random bytes from Python's seeded generator.
#define CONTENT(seed)                                                                                               \
    "python3 -c \"import random, os; r = random.Random(" #seed "); os.mkdir('d'); "                                 \
    "[open('d/f%06d' % i, 'wb').write(r.randbytes(r.randrange(100, 1900))) for i in range({n})]\""

#define FFMPEG_VIDEO(codecs)                                                                                        \
    "ffmpeg -v error -f lavfi -i testsrc=size=320x240:rate=25 -f lavfi -i sine=frequency=440:sample_rate=44100 " \
    "-t {n} -map_metadata -1 -fflags +bitexact " codecs " {out}"
#define FFMPEG_SOUND(codecs)                                                                                       \
    "ffmpeg -v error -f lavfi -i anoisesrc=sample_rate=44100:amplitude=0.3:seed=5 -t {n} -map_metadata -1 "      \
    "-fflags +bitexact " codecs " {out}"

const Family families[] = {
    {"zip", CONTENT(1) " && zip -q -r -0 -X o.zip d && mv o.zip {out}", 1050},
    {"zip-streamed", CONTENT(2) " && zip -q -r -X - d > {out}", 1050},
    {"jar", CONTENT(3) " && python3 -c \"import zipfile, os, sys, io\n"
                       "class Pipe(io.RawIOBase):\n"
                       "    def __init__(self, f): self.f = f; self.n = 0\n"
                       "    def writable(self): return True\n"
                       "    def write(self, b): self.f.write(b); self.n += len(b); return len(b)\n"
                       "    def tell(self): return self.n\n"
                       "    def seekable(self): return False\n"
                       "z = zipfile.ZipFile(Pipe(open(sys.argv[1], 'wb')), 'w', zipfile.ZIP_DEFLATED)\n"
                       "z.writestr('META-INF/', ''); z.writestr('META-INF/MANIFEST.MF', 'Manifest-Version: 1.0\\r\\n')\n"
                       "for n in sorted(os.listdir('d')): z.write('d/' + n)\n"
                       "z.close()\" {out}",
     1050},
    {"tar", CONTENT(4) " && tar --format=gnu --owner=0 --group=0 --mtime=@1000000 -cf {out} d", 700},
    {"gz", "python3 -c \"import random, gzip, sys; r = random.Random(5); f = open(sys.argv[1], 'wb'); "
           "[f.write(gzip.compress(r.randbytes(r.randrange(100, 1900)), mtime=0)) for i in range({n})]\" {out}",
     1030},
    {"7z", CONTENT(6) " && 7z a -bd -y -t7z -mx=1 o.7z d && mv o.7z {out}", 1050},
    {"mp3", FFMPEG_SOUND("-c:a libmp3lame -b:a 128k -f mp3"), 65},
    {"ogg", FFMPEG_SOUND("-c:a libvorbis -q:a 2 -f ogg"), 40},
    {"flac", FFMPEG_SOUND("-c:a flac -f flac"), 12},
    {"wav", FFMPEG_SOUND("-c:a pcm_s16le -f wav"), 12},
    {"mpg", FFMPEG_VIDEO("-c:v mpeg2video -b:v 1M -c:a mp2 -f vob"), 7},
    {"mkv", FFMPEG_VIDEO("-c:v mpeg4 -b:v 1M -c:a flac -f matroska"), 5},
    {"mp4", FFMPEG_VIDEO("-c:v mpeg4 -g 5 -b:v 1M -c:a aac -movflags frag_keyframe+empty_moov -f mp4"), 7},
    {"avi", FFMPEG_VIDEO("-c:v mpeg4 -b:v 1M -c:a pcm_s16le -f avi"), 5},
    {"tif", "convert -size 64x64 xc:red +noise Random -duplicate {n} tif:{out}", 80},
    {"sqlite", "sqlite3 {out} \"create table t(a); with recursive c(x) as (select 1 union all select x + 1 from c "
               "limit {n}) insert into t select randomblob(200) from c;\"",
     4400},
};

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::vector<char> readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, const std::vector<char>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool run(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

// The processor seconds (user and system, every thread of the program) of the best of rounds
// runs of the program over input: on a machine that other work shares, these move far less than
// the wall clock does.
double timeRun(const fs::path& input, const fs::path& output, int rounds)
{
    double best = 1e30;
    for (int round = 0; round < rounds; ++round) {
        fs::remove_all(output);
        fs::create_directories(output);
        rusage before{};
        getrusage(RUSAGE_CHILDREN, &before);
        // Exit status 1 only says that something failed to be found whole; the time is what counts.
        std::system(("'" GLINTFETCH_CLI "' -q -o '" + output.string() + "' '" + input.string() + "' >/dev/null 2>&1").c_str());
        rusage after{};
        getrusage(RUSAGE_CHILDREN, &after);
        const auto seconds = [](const timeval& a, const timeval& b) {
            return static_cast<double>(b.tv_sec - a.tv_sec) + static_cast<double>(b.tv_usec - a.tv_usec) / 1e6;
        };
        best = std::min(best, seconds(before.ru_utime, after.ru_utime) + seconds(before.ru_stime, after.ru_stime));
    }
    return best;
}

std::vector<std::string> split(const std::string& list)
{
    std::vector<std::string> items;
    std::stringstream stream(list);
    std::string item;
    while (std::getline(stream, item, ',')) {
        items.push_back(item);
    }
    return items;
}

}  // namespace

int main(int argc, char** argv)
{
    int rounds = 3;
    std::vector<std::string> only;
    std::vector<int> sizes = {4, 16, 64};
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.rfind("--rounds=", 0) == 0) {
            rounds = std::max(1, std::atoi(argument.c_str() + 9));
        } else if (argument.rfind("--families=", 0) == 0) {
            only = split(argument.substr(11));
        } else if (argument.rfind("--sizes=", 0) == 0) {
            sizes.clear();
            for (const std::string& size : split(argument.substr(8))) {
                sizes.push_back(std::atoi(size.c_str()));
            }
        } else {
            std::fprintf(stderr, "usage: %s [--rounds=N] [--families=zip,tar,...] [--sizes=4,16,64]\n", argv[0]);
            return 2;
        }
    }
    const fs::path work = fs::temp_directory_path() / ("damaged-benchmark-" + std::to_string(::getpid()));
    fs::create_directories(work);
    const fs::path output = work / "finds";
    const fs::path input = work / "input";
    writeFile(input, {});
    const double empty = timeRun(input, output, rounds);
    std::printf("processor seconds; a run over an empty input: %.3f s (taken off every figure per MiB below)\n", empty);
    std::printf("%-13s %6s %8s | %20s | %23s | %s\n", "", "", "", "seconds", "seconds per MiB", "worst");
    std::printf("%-13s %6s %8s | %6s %6s %6s | %7s %7s %7s | %s\n", "family", "MiB", "count", "whole", "cut", "zeroed",
                "whole", "cut", "zeroed", "/ whole");
    int status = 0;
    for (const Family& family : families) {
        if (!only.empty() && std::find(only.begin(), only.end(), family.name) == only.end()) {
            continue;
        }
        for (int mib : sizes) {
            const fs::path folder = work / "make";
            fs::remove_all(folder);
            fs::create_directories(folder);
            const long count = std::max(1L, static_cast<long>(family.perMib * mib));
            const fs::path made = folder / "out";
            std::string command = replaced(replaced(family.command, "{n}", std::to_string(count)), "{out}", "'" + made.string() + "'");
            if (!run("cd '" + folder.string() + "' && ( " + command + " ) >/dev/null 2>&1") || !fs::exists(made)) {
                std::printf("%-13s %6d: the tool failed\n", family.name, mib);
                status = 1;
                continue;
            }
            const std::vector<char> file = readFile(made);
            fs::remove_all(folder);
            const double size = static_cast<double>(file.size()) / (1 << 20);

            writeFile(input, file);
            const double whole = timeRun(input, output, rounds);
            std::vector<char> cut(file.begin(), file.begin() + static_cast<long>(file.size() / 2));
            writeFile(input, cut);
            const double cutTime = timeRun(input, output, rounds);
            std::vector<char> zeroed(file);
            std::fill(zeroed.begin() + static_cast<long>(file.size() / 2),
                      zeroed.begin() + static_cast<long>(std::min(file.size(), file.size() / 2 + 4096)), 0);
            writeFile(input, zeroed);
            const double zeroedTime = timeRun(input, output, rounds);
            // Per MiB of each run's own input, what the empty run costs taken off (at least 1 ms).
            const auto perMib = [empty](double seconds, double mib) { return std::max(0.001, seconds - empty) / mib; };
            const double wholeRate = perMib(whole, size);
            const double cutRate = perMib(cutTime, size / 2);
            const double zeroedRate = perMib(zeroedTime, size);
            const double worst = std::max(cutRate, zeroedRate) / wholeRate;
            std::printf("%-13s %6.1f %8ld | %6.3f %6.3f %6.3f | %7.4f %7.4f %7.4f | %5.2f%s\n", family.name, size, count,
                        whole, cutTime, zeroedTime, wholeRate, cutRate, zeroedRate, worst, worst > 3 ? "  over" : "");
            std::fflush(stdout);
        }
    }
    fs::remove_all(work);
    return status;
}
