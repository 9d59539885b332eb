// The extraction run against the bare cost of its plug-ins, and its memory over a large input.
//
// 1. Sparse inputs of 1 GiB and of --sparse-gib GiB (default 5) with files embedded at known
//    offsets, some beyond 4 GiB: each is extracted on a worker thread, the finds are checked byte
//    for byte, and the peak resident memory after each run is printed (it must not grow with
//    the input: the run holds one buffer whatever the size). The same input is then extracted by
//    glintfetch-cli in a child process, whose own peak is the figure of the target: this
//    process also holds Qt's image encoders and the sample files it made.
// 2. A corpus of --corpus-mib MiB (default 256) of random data with embedded files: the run's
//    throughput on a worker thread beside the bare limit, the same plug-ins' detect called at
//    every position of the same bytes already in memory. Best of three rounds each.
//
// The program is run by hand (see bench/README.md). It writes config.xml beside itself, where
// the build links the sample plug-ins' folder as "plugins".

#include "app/Glintfetchfactory.h"
#include "engine/ExtractPlugin.h"
#include "engine/IConfigModel.h"
#include "engine/IExtractModel.h"
#include "engine/IPluginModel.h"
#include "engine/Pluginextension.h"
#include "engine/Scanbuffer.h"
#include "engine/Signaturematcher.h"
#include "framework/Exception.h"
#include "framework/IObserver.h"
#include "framework/IThread.h"
#include "framework/IValueObject.h"
#include "framework/Threadpool.h"
#include "tests/plugins/Samplefiles.h"

#include <QGuiApplication>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::uint64_t MiB = 1024 * 1024;
constexpr std::uint64_t GiB = 1024 * MiB;

struct Random {
    std::uint64_t state;
    std::uint64_t next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    }
    void fill(unsigned char* bytes, std::size_t count) {
        for (std::size_t i = 0; i < count; i += 8) {
            const std::uint64_t word = next();
            std::memcpy(bytes + i, &word, std::min<std::size_t>(8, count - i));
        }
    }
};

// The n-th embedded file: the tests' sample files of every kind the sample plug-ins find, made
// by Qt's encoders and the tests' writers, in turn and of varying sizes.
Bytes embedded(std::size_t n) {
    const auto seed = static_cast<std::uint32_t>(1000 + n);
    const int width = 40 + static_cast<int>(n % 23);
    const int height = 30 + static_cast<int>(n % 17);
    std::size_t ignored = 0;
    std::vector<std::size_t> frames;
    switch (n % 6) {
    case 0: return SampleFiles::png(width, height, seed);
    case 1: return SampleFiles::jpeg(width, height, seed);
    case 2: return SampleFiles::gif(width, height, seed);
    case 3: return SampleFiles::bmp(width, height, seed);
    case 4: return SampleFiles::wav(SampleFiles::random(4000 + 4 * (n % 5), seed), ignored);
    default:
        return SampleFiles::avi({SampleFiles::random(3000 + n % 7, seed), SampleFiles::random(2000, seed + 1)},
                                frames);
    }
}

Bytes readWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeAt(const fs::path& path, std::uint64_t offset, const Bytes& bytes) {
    std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(static_cast<std::streamoff>(offset));
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// The peak resident set of this process so far, in MiB.
double peakResidentMiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
        }
    }
    return -1;
}

// glintfetch-cli over input in a child process, its finds below folder, as a user runs it: the
// child's peak resident set in MiB, or -1 when it did not run to a successful end. The child is
// started through /usr/bin/time: a process started from this one runs in (a copy of) this one's
// memory until its exec, and exec folds that memory's high-water mark into the child's
// ru_maxrss, whereas time's own child starts from a process of a few hundred KiB.
double cliPeakResidentMiB(const fs::path& input, const fs::path& folder, const fs::path& scratch) {
    const fs::path report = scratch / "cli-peak";
    const fs::path errors = scratch / "cli-errors";
    std::vector<std::string> arguments = {"/usr/bin/time", "-f", "%M", "-o", report.string(),
                                          GLINTFETCH_CLI, "-q", "--no-per-input", "--no-per-kind",
                                          "-o", folder.string(), input.string()};
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t child = -1;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    int status = 0;
    if (waitpid(child, &status, 0) != child) return -1;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        const Bytes text = readWhole(errors);
        std::fwrite(text.data(), 1, text.size(), stdout);
        return -1;
    }
    fs::remove(errors);
    std::ifstream in(report);
    double kib = -1;
    in >> kib;
    fs::remove(report);
    return kib < 0 ? -1 : kib / 1024.0;
}

// Waits for the end of a run that a worker executes.
class EndWatcher : public IObserver {
public:
    void update(IObservable*, IValueObject* values) override {
        const std::string status = values->getValue("status");
        if (status == "START") {
            std::lock_guard<std::mutex> lock(mutex);
            started = Clock::now();
        } else if (status == "COMPLETED" || status == "ABORTED" || status == "FAILED") {
            std::lock_guard<std::mutex> lock(mutex);
            ended = true;
            finished = Clock::now();
            changed.notify_all();
        } else if (status == "PROCESSING" && !values->getValue("log").empty()) {
            std::printf("  log: %s\n", values->getValue("log").c_str());
        }
    }
    void arm() {
        std::lock_guard<std::mutex> lock(mutex);
        ended = false;
    }
    // The seconds from "START" to the final notification.
    double wait() {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return ended; });
        return std::chrono::duration<double>(finished - started).count();
    }

private:
    std::mutex mutex;
    std::condition_variable changed;
    bool ended = false;
    Clock::time_point started;
    Clock::time_point finished;
};

struct Bench {
    std::unique_ptr<IGlintfetchFactory> factory = createGlintfetchFactory();
    IConfigModel* config = factory->createConfigModel();
    IPluginModel* plugins = factory->createPluginModel();
    IExtractModel* model = factory->createExtractModel(config, plugins);
    EndWatcher watcher;
    fs::path scratch;
    // Where the runs write their finds.
    fs::path outputRoot;
    int outputs = 0;

    Bench() {
        model->addObserver(&watcher);
        config->buildDefaultDocument();
        config->setCreateDirPerFile(false);
        config->setCreateDirPerData(false);
        config->save();
    }

    // One headless extraction on a worker thread, as the extraction controller starts it.
    // Returns the seconds from "START" (the settings and plug-ins loaded) to the final
    // notification, and the output folder.
    double extract(const fs::path& input, fs::path& folder) {
        folder = outputRoot / ("out" + std::to_string(outputs++));
        fs::create_directories(folder);
        model->setOutputDirectory(folder.string());
        model->clearInputFiles();
        model->addInputFile(input.string());
        model->prepare();
        watcher.arm();
        IThread* worker = factory->createThread(static_cast<IRunnable*>(model));
        worker->start();
        const double seconds = watcher.wait();
        // The worker ends by itself; it is never joined through a pointer it may have freed.
        for (;;) {
            try {
                ThreadPool::getThread(static_cast<IRunnable*>(model));
            } catch (const ThreadException&) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return seconds;
    }

    // The same scan over bytes already in memory: the matcher over the plug-ins' signatures, and
    // detect where they match (every position for a plug-in without them), nothing else. With
    // matchingThreads, that many threads match the parts ahead, as the run's readers do, while
    // this one calls detect over them in order; without, this thread does both.
    double bareDetect(const Bytes& corpus, unsigned matchingThreads = 0) {
        plugins->loadPlugins(config);
        std::vector<IExtractPlugin*> active;
        std::vector<IExtractPlugin*> everywhere;
        SignatureMatcher matcher;
        unsigned window = 0;
        for (unsigned i = 0; i < plugins->getPluginCount(); ++i) {
            IExtractPlugin* plugin = plugins->getPlugin(i);
            if (!plugin->isEnabled()) continue;
            const ExtractSignature* signatures = nullptr;
            const int count = plugins->getExtension(i).getSignatures(plugin, &signatures);
            if (count >= 0) {
                matcher.add(static_cast<std::uint32_t>(active.size()), signatures, static_cast<unsigned>(count));
            } else {
                everywhere.push_back(plugin);
            }
            active.push_back(plugin);
            window = std::max(window, plugin->getWindowSize());
        }
        // The run compiles its patterns before "START": so does this.
        matcher.prepare();
        Bytes padded(corpus);
        padded.resize(corpus.size() + window, 0);
        const unsigned char* data = padded.data();
        std::uint64_t hits = 0;
        const std::size_t part = matchingThreads == 0 ? 64 * 1024 : 1024 * 1024;
        const std::size_t parts = (corpus.size() + part - 1) / part;
        std::vector<std::vector<SignatureMatcher::Candidate>> found(matchingThreads == 0 ? 1 : parts);
        std::unique_ptr<std::atomic<bool>[]> ready(new std::atomic<bool>[parts]);
        for (std::size_t i = 0; i < parts; ++i) ready[i] = false;
        std::atomic<std::size_t> nextPart{0};
        std::vector<std::thread> matchers;
        const Clock::time_point begin = Clock::now();
        for (unsigned t = 0; t < matchingThreads; ++t) {
            matchers.emplace_back([&, scratch = matcher.makeScratch()] {
                for (std::size_t i = nextPart++; i < parts; i = nextPart++) {
                    const std::size_t at = i * part;
                    matcher.find(data + at, std::min(part, corpus.size() - at), found[i], scratch.get());
                    ready[i].store(true, std::memory_order_release);
                }
            });
        }
        for (std::size_t i = 0; i < parts; ++i) {
            const std::size_t at = i * part;
            const std::size_t length = std::min(part, corpus.size() - at);
            std::vector<SignatureMatcher::Candidate>& candidates = found[matchingThreads == 0 ? 0 : i];
            if (matchingThreads == 0) {
                candidates.clear();
                matcher.find(data + at, length, candidates);
            } else {
                while (!ready[i].load(std::memory_order_acquire)) std::this_thread::yield();
            }
            for (const SignatureMatcher::Candidate& candidate : candidates) {
                hits += active[candidate.slot]->detect(data + at + candidate.position) ? 1 : 0;
            }
            for (IExtractPlugin* plugin : everywhere) {
                for (std::size_t p = 0; p < length; ++p) hits += plugin->detect(data + at + p) ? 1 : 0;
            }
        }
        for (std::thread& thread : matchers) thread.join();
        const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
        volatile std::uint64_t sink = hits;
        (void)sink;
        return seconds;
    }
};

// How many of the files embedded in an input came out byte for byte, and how many outputs there
// were in all.
std::pair<std::size_t, std::size_t> recovered(const fs::path& folder,
                                              const std::vector<Bytes>& expected) {
    std::set<Bytes> found;
    std::size_t count = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            found.insert(readWhole(entry.path()));
            ++count;
        }
    }
    std::size_t matched = 0;
    for (const Bytes& bytes : expected) {
        matched += found.count(bytes);
    }
    return {matched, count};
}

// The machine's own limit: the file read in large blocks with a byte searched in each.
double readAndSearch(const fs::path& input) {
    std::FILE* file = std::fopen(input.c_str(), "rb");
    if (file == nullptr) return -1;
    std::vector<unsigned char> block(4 * MiB);
    std::size_t found = 0;
    const Clock::time_point begin = Clock::now();
    for (;;) {
        const std::size_t got = std::fread(block.data(), 1, block.size(), file);
        if (got == 0) break;
        found += std::memchr(block.data(), 0x89, got) != nullptr ? 1 : 0;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    std::fclose(file);
    volatile std::size_t sink = found;
    (void)sink;
    return seconds;
}

const char* const foremostKinds = "jpg,png,gif,bmp,wav,avi";

// foremost over the same file with the kinds the corpus holds; the seconds, and its output folder.
double foremost(const fs::path& input, const fs::path& folder) {
    const std::string command = "foremost -Q -t " + std::string(foremostKinds) + " -i '" + input.string() + "' -o '" + folder.string() +
                                "' >/dev/null 2>&1";
    const Clock::time_point begin = Clock::now();
    const int status = std::system(command.c_str());
    const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    return status == 0 ? seconds : -1;
}

std::uint64_t argument(int argc, char** argv, const std::string& name, std::uint64_t fallback) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (argv[i] == name) {
            return std::strtoull(argv[i + 1], nullptr, 10);
        }
    }
    return fallback;
}

bool flag(int argc, char** argv, const std::string& name) {
    for (int i = 1; i < argc; ++i) {
        if (argv[i] == name) return true;
    }
    return false;
}

} // namespace

// Links the silent plug-ins into the plug-ins' folder beside the program, or takes them out again.
bool silentPlugins(bool present) {
    const fs::path folder = fs::read_symlink("/proc/self/exe").parent_path() / "plugins";
    std::error_code error;
    std::size_t linked = 0;
    for (const auto& entry : fs::directory_iterator(GLINTFETCH_SILENT_PLUGIN_DIR)) {
        const fs::path link = folder / entry.path().filename();
        fs::remove(link, error);
        if (present) {
            fs::create_symlink(entry.path(), link, error);
            linked += error ? 0 : 1;
        }
    }
    return !present || linked == 30;
}

int main(int argc, char** argv) {
    // The sample files come from Qt's encoders.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication application(argc, argv);
    silentPlugins(false);
    const std::uint64_t corpusMiB = std::max<std::uint64_t>(256, argument(argc, argv, "--corpus-mib", 1024));
    // 0 leaves the sparse inputs out.
    std::uint64_t sparseGiB = argument(argc, argv, "--sparse-gib", 5);
    if (sparseGiB != 0) sparseGiB = std::max<std::uint64_t>(5, sparseGiB);
    Bench bench;
    std::random_device seed;
    const std::string name = "glintfetch-bench-" + std::to_string(seed());
    bench.scratch = fs::temp_directory_path() / name;
    fs::create_directories(bench.scratch);
    // The finds go to memory when the system has a file system there: on ext4, files created
    // just after the previous round removed as many cost a search for a free inode each, a cost of
    // the file system, not of the scan. --outputs-on-disk keeps them beside the input.
    bench.outputRoot = bench.scratch;
    if (!flag(argc, argv, "--outputs-on-disk") && fs::is_directory("/dev/shm")) {
        bench.outputRoot = fs::path("/dev/shm") / name;
        fs::create_directories(bench.outputRoot);
    }
    bool ok = true;
    // The largest peak of glintfetch-cli over the sparse inputs, and whether every one was measured.
    double peakOverSparse = 0;
    bool peakMeasured = true;

    std::printf("plug-ins:");
    bench.plugins->loadPlugins(bench.config);
    for (unsigned i = 0; i < bench.plugins->getPluginCount(); ++i) {
        IExtractPlugin* plugin = bench.plugins->getPlugin(i);
        std::printf(" %s(%u)", plugin->getKind(), plugin->getWindowSize());
    }
    std::printf("\n");
    if (bench.plugins->getPluginCount() == 0) {
        std::printf("no plug-ins beside the program: build the sample plug-ins first\n");
        return 1;
    }

    // What this process holds before any run: Qt, the engine and the plug-ins loaded once.
    std::printf("peak resident memory of this process before the runs: %.1f MiB\n", peakResidentMiB());
    std::printf("peak resident memory after a run over a sparse input:\n");
    for (const std::uint64_t size : {1 * GiB, sparseGiB * GiB}) {
        if (sparseGiB == 0) break;
        const fs::path input = bench.scratch / "sparse";
        std::ofstream(input, std::ios::binary).close();
        fs::resize_file(input, size);
        const std::uint64_t offsets[] = {GiB + 1, 4 * GiB + 4097, 4 * GiB + 7 * MiB + 3,
                                         size - 300 * 1024};
        std::vector<Bytes> expected;
        for (const std::uint64_t offset : offsets) {
            if (offset + 64 * 1024 < size) {
                expected.push_back(embedded(expected.size() + 100));
                writeAt(input, offset, expected.back());
            }
        }
        fs::path folder;
        const double seconds = bench.extract(input, folder);
        const auto [matched, outputs] = recovered(folder, expected);
        std::printf("  %6.2f GiB: %7.1f MiB peak, %zu of %zu embedded files recovered "
                    "(%zu outputs), %.1f s  (this process)\n",
                    static_cast<double>(size) / GiB, peakResidentMiB(), matched,
                    expected.size(), outputs, seconds);
        ok = ok && matched == expected.size() && outputs == expected.size();
        fs::remove_all(folder);

        const fs::path cliFolder = bench.outputRoot / ("cli" + std::to_string(bench.outputs++));
        fs::create_directories(cliFolder);
        const Clock::time_point begin = Clock::now();
        const double cliPeak = cliPeakResidentMiB(input, cliFolder, bench.scratch);
        const double cliSeconds = std::chrono::duration<double>(Clock::now() - begin).count();
        const auto [cliMatched, cliOutputs] = recovered(cliFolder, expected);
        if (cliPeak < 0) {
            std::printf("  %6.2f GiB: /usr/bin/time %s failed (scripts/setup.sh installs time)\n",
                        static_cast<double>(size) / GiB, GLINTFETCH_CLI);
        } else {
            std::printf("  %6.2f GiB: %7.1f MiB peak, %zu of %zu embedded files recovered "
                        "(%zu outputs), %.1f s  (glintfetch-cli)\n",
                        static_cast<double>(size) / GiB, cliPeak, cliMatched, expected.size(),
                        cliOutputs, cliSeconds);
        }
        ok = ok && cliPeak >= 0 && cliMatched == expected.size() && cliOutputs == expected.size();
        peakMeasured = peakMeasured && cliPeak >= 0;
        peakOverSparse = std::max(peakOverSparse, cliPeak);
        fs::remove_all(cliFolder);
        fs::remove(input);
    }

    // --memory-only: the memory lines alone.
    if (sparseGiB != 0 && flag(argc, argv, "--memory-only")) {
        if (peakMeasured) {
            std::printf("peak resident memory of glintfetch-cli %6.1f MiB  (under 64 MiB)\n", peakOverSparse);
        }
        fs::remove_all(bench.outputRoot);
        fs::remove_all(bench.scratch);
        return ok && peakMeasured && peakOverSparse < 64 ? 0 : 1;
    }

    // What a run costs whatever its input: settings, plug-ins, the matcher's patterns, the worker.
    {
        const fs::path empty = bench.scratch / "empty";
        std::ofstream(empty, std::ios::binary).close();
        double fixed = 1e30;
        // --empty-runs N: only these, N times, to profile what every run costs.
        const std::uint64_t emptyRuns = argument(argc, argv, "--empty-runs", 0);
        for (std::uint64_t round = 0; round < std::max<std::uint64_t>(3, emptyRuns); ++round) {
            fs::path folder;
            fixed = std::min(fixed, bench.extract(empty, folder));
            fs::remove_all(folder);
        }
        std::printf("run over an empty input: %.2f ms\n", fixed * 1e3);
        if (emptyRuns != 0) {
            fs::remove_all(bench.outputRoot);
            fs::remove_all(bench.scratch);
            return 0;
        }
    }

    // The corpus: random data with a sample file at a random offset in every 4 MiB.
    Bytes corpus(corpusMiB * MiB);
    Random random{0x9E3779B97F4A7C15ULL};
    random.fill(corpus.data(), corpus.size());
    std::vector<Bytes> expected;
    for (std::uint64_t slot = 0; slot + 4 * MiB <= corpus.size(); slot += 4 * MiB) {
        expected.push_back(embedded(expected.size()));
        const std::uint64_t offset = slot + random.next() % (4 * MiB - expected.back().size());
        std::copy(expected.back().begin(), expected.back().end(), corpus.begin() + static_cast<std::ptrdiff_t>(offset));
    }
    const fs::path input = bench.scratch / "corpus";
    {
        std::ofstream out(input, std::ios::binary);
        out.write(reinterpret_cast<const char*>(corpus.data()),
                  static_cast<std::streamsize>(corpus.size()));
    }

    double bestRun = 1e30;
    double bestBare = 1e30;
    double bestBareThreads = 1e30;
    double bestSilent = 1e30;
    // The runs with and without the silent plug-ins take turns, so that both meet the machine in
    // the same state: at these speeds a few busy seconds of the machine move a figure by tens
    // of percent.
    for (int round = 0; round < 5; ++round) {
        fs::path folder;
        bestRun = std::min(bestRun, bench.extract(input, folder));
        const auto [matched, outputs] = recovered(folder, expected);
        if (round == 0) {
            std::printf("corpus of %llu MiB: %zu of %zu embedded files recovered (%zu outputs)\n",
                        static_cast<unsigned long long>(corpusMiB), matched, expected.size(),
                        outputs);
            ok = ok && matched == expected.size();
        }
        fs::remove_all(folder);
        if (round < 3) {
            bestBare = std::min(bestBare, bench.bareDetect(corpus));
            bestBareThreads = std::min(bestBareThreads, bench.bareDetect(corpus, ScanBuffer::readerThreads()));
        }
        if (silentPlugins(true)) {
            bestSilent = std::min(bestSilent, bench.extract(input, folder));
            if (round == 0) {
                const auto [silentMatched, silentOutputs] = recovered(folder, expected);
                ok = ok && silentMatched == expected.size() && silentOutputs == expected.size();
            }
            fs::remove_all(folder);
        }
        silentPlugins(false);
    }

    double bestRead = 1e30;
    double bestForemost = 1e30;
    std::size_t foremostRecovered = 0;
    for (int round = 0; round < 3; ++round) {
        bestRead = std::min(bestRead, readAndSearch(input));
        const fs::path folder = bench.scratch / ("foremost" + std::to_string(round));
        const double seconds = foremost(input, folder);
        if (seconds < 0) break;
        bestForemost = std::min(bestForemost, seconds);
        foremostRecovered = recovered(folder, expected).first;
        fs::remove_all(folder);
    }
    const double megabytes = static_cast<double>(corpus.size()) / 1e6;
    std::printf("%-40s %10s\n", "best of three (both runs: of five)", "MB/s");
    std::printf("%-40s %10.1f\n", "run (START to COMPLETED)", megabytes / bestRun);
    std::printf("%-40s %10.1f\n", "bare limit (matcher + detect), 1 thread", megabytes / bestBare);
    std::printf("%-40s %10.1f\n",
                ("bare limit, matching on " + std::to_string(ScanBuffer::readerThreads()) + " threads").c_str(),
                megabytes / bestBareThreads);
    std::printf("%-40s %10.1f\n", "read() + memchr", megabytes / bestRead);
    if (bestForemost < 1e30) {
        std::printf("%-40s %10.1f   recall %zu of %zu (ours: all, checked above)\n",
                    (std::string("foremost -t ") + foremostKinds).c_str(), megabytes / bestForemost,
                    foremostRecovered, expected.size());
    } else {
        std::printf("foremost: not installed (scripts/setup.sh installs it)\n");
    }
    if (bestSilent < 1e30) {
        std::printf("%-40s %10.1f\n", "run with 30 more plug-ins", megabytes / bestSilent);
    } else {
        std::printf("run with 30 more plug-ins: the silent plug-ins are not built\n");
    }
    std::printf("targets, as ratios of this run:\n");
    if (bestForemost < 1e30) {
        std::printf("  run / foremost            %7.2f  (at least 8)\n", bestForemost / bestRun);
    }
    std::printf("  run / bare limit          %7.3f  (at least 0.9)\n", bestBare / bestRun);
    std::printf("  run / threaded limit      %7.3f  (the limit matching on as many threads as the run)\n",
                bestBareThreads / bestRun);
    std::printf("  run / read() + memchr     %7.3f\n", bestRead / bestRun);
    if (bestSilent < 1e30) {
        std::printf("  30 more plug-ins / run    %7.3f  (at least 0.9)\n", bestRun / bestSilent);
    }
    if (sparseGiB != 0 && peakMeasured) {
        std::printf("  peak resident memory     %6.1f MiB  (under 64 MiB, glintfetch-cli)\n", peakOverSparse);
        ok = ok && peakOverSparse < 64;
    }

    fs::remove_all(bench.outputRoot);
    fs::remove_all(bench.scratch);
    return ok ? 0 : 1;
}
