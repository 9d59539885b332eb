// The cost of each sample plug-in's detect per byte of input, over random data: the run calls
// detect at every byte position, so this is the per-byte price of having the plug-in enabled.
//
// Every *.so in the plug-in folder (the build's, or --plugin-dir=DIR) is loaded through its two
// exports, as the program loads it. One benchmark per plug-in calls its detect at every position of
// the same random bytes; "detect/all" asks every plug-in at every position, as a run does. After
// the usual Google Benchmark table a summary gives ns/byte and MB/s per plug-in.
//
// The program is run by hand (see bench/README.md).

#include "engine/ExtractPlugin.h"
#include "platform/os/SharedLibrary.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Large enough that the per-iteration overhead vanishes, small enough to stay in the caches, as a
// run's input buffer does between refills.
constexpr std::size_t dataSize = 1 << 20;

struct Plugin {
    std::string kind;
    os::LibraryHandle library = nullptr;
    ReleaseExtractPluginFunction release = nullptr;
    IExtractPlugin* object = nullptr;
    unsigned windowSize = 0;
};

std::vector<Plugin> loadPlugins(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        if (entry.path().extension() == ".so") {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    std::vector<Plugin> plugins;
    for (const fs::path& file : files) {
        Plugin plugin;
        plugin.library = os::loadLibrary(file.string());
        if (plugin.library == nullptr) {
            std::fprintf(stderr, "cannot load %s\n", file.c_str());
            continue;
        }
        auto create = reinterpret_cast<CreateExtractPluginFunction>(
            os::findSymbol(plugin.library, "_createExtractPlugin"));
        plugin.release = reinterpret_cast<ReleaseExtractPluginFunction>(
            os::findSymbol(plugin.library, "_releaseExtractPlugin"));
        plugin.object = create != nullptr && plugin.release != nullptr ? create() : nullptr;
        if (plugin.object == nullptr) {
            std::fprintf(stderr, "%s is no plug-in\n", file.c_str());
            os::freeLibrary(plugin.library);
            continue;
        }
        plugin.kind = plugin.object->getKind();
        plugin.windowSize = plugin.object->getWindowSize();
        plugins.push_back(plugin);
    }
    return plugins;
}

void unloadPlugins(std::vector<Plugin>& plugins) {
    for (Plugin& plugin : plugins) {
        plugin.release(plugin.object);
        os::freeLibrary(plugin.library);
    }
    plugins.clear();
}

// Random bytes followed by the largest window, so that detect at the last position reads only
// bytes that exist, as the run's buffer guarantees.
std::vector<unsigned char> randomData(unsigned largestWindow) {
    std::vector<unsigned char> data(dataSize + largestWindow);
    std::mt19937_64 random(20240611);
    for (std::size_t i = 0; i < data.size(); i += 8) {
        std::uint64_t word = random();
        std::memcpy(data.data() + i, &word, std::min<std::size_t>(8, data.size() - i));
    }
    return data;
}

void setCounters(benchmark::State& state, std::int64_t candidates) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * dataSize);
    // Candidates that extract would have to check, per MiB of random input.
    state.counters["candidates/MiB"] =
        static_cast<double>(candidates) / static_cast<double>(state.iterations());
}

void detectOne(benchmark::State& state, IExtractPlugin* plugin, const unsigned char* data) {
    std::int64_t candidates = 0;
    for (auto _ : state) {
        for (std::size_t position = 0; position < dataSize; ++position) {
            candidates += plugin->detect(data + position) ? 1 : 0;
        }
        benchmark::DoNotOptimize(candidates);
    }
    setCounters(state, candidates);
}

void detectAll(benchmark::State& state, const std::vector<Plugin>* plugins, const unsigned char* data) {
    std::int64_t candidates = 0;
    for (auto _ : state) {
        for (std::size_t position = 0; position < dataSize; ++position) {
            for (const Plugin& plugin : *plugins) {
                candidates += plugin.object->detect(data + position) ? 1 : 0;
            }
        }
        benchmark::DoNotOptimize(candidates);
    }
    setCounters(state, candidates);
}

// The console table, then ns/byte and MB/s per benchmark, which the table shows only as a rate.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    SummaryReporter() : ConsoleReporter(OO_Tabular) {
    }

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            // Repeated runs are summed up by their median.
            bool summary = run.run_type == Run::RT_Iteration ? run.repetitions <= 1
                                                              : run.aggregate_name == "median";
            if (run.error_occurred || !summary) {
                continue;
            }
            double seconds = run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            rows.push_back({run.run_name.function_name, seconds * 1e9 / dataSize});
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-14s %10s %12s\n", "benchmark", "ns/byte", "MB/s");
        for (const Row& row : rows) {
            std::printf("%-14s %10.3f %12.1f\n", row.name.c_str(), row.nanosecondsPerByte,
                        1e3 / row.nanosecondsPerByte);
        }
    }

private:
    struct Row {
        std::string name;
        double nanosecondsPerByte;
    };
    std::vector<Row> rows;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    fs::path folder = GLINTFETCH_PLUGIN_DIR;
    const std::string option = "--plugin-dir=";
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], option.c_str(), option.size()) == 0) {
            folder = argv[i] + option.size();
        } else {
            std::fprintf(stderr, "unknown argument %s\n", argv[i]);
            return 1;
        }
    }

    std::vector<Plugin> plugins = loadPlugins(folder);
    if (plugins.empty()) {
        std::fprintf(stderr, "no plug-ins in %s\n", folder.c_str());
        return 1;
    }
    unsigned largestWindow = 0;
    for (const Plugin& plugin : plugins) {
        largestWindow = std::max(largestWindow, plugin.windowSize);
    }
    const std::vector<unsigned char> data = randomData(largestWindow);

    for (const Plugin& plugin : plugins) {
        benchmark::RegisterBenchmark(("detect/" + plugin.kind).c_str(), detectOne, plugin.object, data.data());
    }
    benchmark::RegisterBenchmark("detect/all", detectAll, &plugins, data.data());

    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    unloadPlugins(plugins);
    return 0;
}
