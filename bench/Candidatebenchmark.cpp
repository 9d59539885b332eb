// What each sample plug-in costs a run over data that holds nothing, and what they cost together.
//
// Every *extract.so of the plug-in folder (the build's, or --plugin-dir=DIR) is loaded as the run
// loads them, in the byte order of their names. Over --mib MiB (default 64) of random bytes, each
// plug-in alone: the positions at which its declared signatures match (the candidates the run
// offers it; every position for a plug-in that declares none), how many of those its detect
// passes, what it extracted (it should be nothing), and the time per rejected candidate: detect,
// and extract where detect passed, from a file as the run reads it. Then the run's own loop (the
// matcher over all signatures, detect where one matches, extract where detect passes) over
// --run-mib MiB (default 256) of random bytes, with every plug-in and with the six original ones.
//
// The program is run by hand (see bench/README.md).

#include "engine/ExtractPlugin.h"
#include "engine/Signaturematcher.h"
#include "platform/os/SharedLibrary.h"
#include "tests/plugins/Fakeextractconfig.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

struct Plugin {
    std::string folder;
    os::LibraryHandle library = nullptr;
    ReleaseExtractPluginFunction release = nullptr;
    IExtractPlugin* object = nullptr;
    const ExtractSignature* signatures = nullptr;
    int signatureCount = -1;
    const ExtractPluginExtension* table = nullptr;
};

// The program's services as a run hands them over, the input served from memory as the run's
// block serves it: what a candidate costs once the plug-in opens nothing.
struct MemoryHost {
    const std::vector<unsigned char>* bytes = nullptr;
    std::size_t size = 0;
    ExtractHost host{};

    explicit MemoryHost(const std::vector<unsigned char>& data, std::size_t length) : bytes(&data), size(length)
    {
        host.size = sizeof(ExtractHost);
        host.context = this;
        host.getExtractSizeWindow = [](void*, std::uint64_t* minimum, std::uint64_t* maximum) {
            *minimum = 0;
            *maximum = UINT64_MAX;
        };
        host.isCancelled = [](void*) { return 0; };
        host.getInputSize = [](void* context) { return static_cast<std::uint64_t>(static_cast<MemoryHost*>(context)->size); };
        host.readInput = [](void* context, std::uint64_t offset, unsigned char* target, std::uint32_t count) {
            const auto* self = static_cast<MemoryHost*>(context);
            if (offset >= self->size) {
                return std::int64_t{0};
            }
            const std::size_t copied = std::min<std::size_t>(count, self->size - offset);
            std::memcpy(target, self->bytes->data() + offset, copied);
            return static_cast<std::int64_t>(copied);
        };
    }
};

void hostAll(const std::vector<Plugin*>& plugins, const ExtractHost* host)
{
    for (Plugin* plugin : plugins) {
        if (plugin->table != nullptr && plugin->table->size >= offsetof(ExtractPluginExtension, setHost) + sizeof(void*) &&
            plugin->table->setHost != nullptr) {
            plugin->table->setHost(plugin->object, host);
        }
    }
}

std::vector<Plugin> loadPlugins(const fs::path& folder, FakeExtractConfig& config)
{
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 10 && name.compare(name.size() - 10, 10, "extract.so") == 0) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    std::vector<Plugin> plugins;
    for (const fs::path& file : files) {
        Plugin plugin;
        const std::string name = file.filename().string();
        plugin.folder = name.substr(0, name.size() - 10);
        plugin.library = os::loadLibrary(file.string());
        if (plugin.library == nullptr) {
            std::fprintf(stderr, "cannot load %s\n", file.c_str());
            continue;
        }
        auto create = reinterpret_cast<CreateExtractPluginFunction>(os::findSymbol(plugin.library, "_createExtractPlugin"));
        plugin.release =
            reinterpret_cast<ReleaseExtractPluginFunction>(os::findSymbol(plugin.library, "_releaseExtractPlugin"));
        auto extension = reinterpret_cast<GetExtractPluginExtensionFunction>(
            os::findSymbol(plugin.library, "_getExtractPluginExtension"));
        plugin.object = create != nullptr && plugin.release != nullptr ? create() : nullptr;
        if (plugin.object == nullptr) {
            std::fprintf(stderr, "%s is no plug-in\n", file.c_str());
            os::freeLibrary(plugin.library);
            continue;
        }
        plugin.object->setConfig(&config);
        const ExtractPluginExtension* table = extension != nullptr ? extension() : nullptr;
        plugin.table = table;
        if (table != nullptr && table->size > offsetof(ExtractPluginExtension, getSignatures) &&
            table->getSignatures != nullptr) {
            plugin.signatureCount = table->getSignatures(plugin.object, &plugin.signatures);
        }
        plugins.push_back(plugin);
    }
    return plugins;
}

std::vector<unsigned char> randomBytes(std::size_t size, std::uint64_t seed)
{
    std::vector<unsigned char> data(size);
    std::mt19937_64 random(seed);
    for (std::size_t i = 0; i < size; i += 8) {
        const std::uint64_t word = random();
        std::memcpy(data.data() + i, &word, std::min<std::size_t>(8, size - i));
    }
    return data;
}

unsigned largestWindow(const std::vector<Plugin*>& plugins)
{
    unsigned window = 64;
    for (const Plugin* plugin : plugins) {
        window = std::max(window, plugin->object->getWindowSize());
    }
    return window;
}

struct Tally {
    std::uint64_t candidates = 0;
    std::uint64_t detected = 0;
    std::uint64_t extracted = 0;
    double seconds = 0;
};

// The run's loop over input (already in memory, padded by the largest window), which lies in the
// file inputPath: the matcher's candidates, detect, and extract where detect passes.
Tally run(const std::vector<Plugin*>& plugins, const std::vector<unsigned char>& padded, std::size_t size,
          const std::string& inputPath, const std::string& outputPath, bool timeMatcher, bool extractWanted = true)
{
    SignatureMatcher matcher;
    std::vector<Plugin*> everywhere;
    for (std::size_t i = 0; i < plugins.size(); ++i) {
        if (plugins[i]->signatureCount >= 0) {
            matcher.add(static_cast<std::uint32_t>(i), plugins[i]->signatures,
                        static_cast<unsigned>(plugins[i]->signatureCount));
        } else {
            everywhere.push_back(plugins[i]);
        }
    }
    matcher.prepare();
    Tally tally;
    std::vector<SignatureMatcher::Candidate> candidates;
    const std::size_t part = 64 * 1024;
    double matching = 0;
    const Clock::time_point begin = Clock::now();
    auto offer = [&](IExtractPlugin* plugin, std::uint64_t position) {
        ++tally.candidates;
        if (!plugin->detect(padded.data() + position)) {
            return false;
        }
        ++tally.detected;
        if (extractWanted && plugin->extract(inputPath.c_str(), static_cast<unsigned>(position >> 32), static_cast<unsigned>(position),
                            outputPath.c_str()) > 0) {
            ++tally.extracted;
            std::fprintf(stderr, "  %s extracted at %llu\n", plugin->getKind(), static_cast<unsigned long long>(position));
            return true;
        }
        return false;
    };
    for (std::size_t at = 0; at < size; at += part) {
        const std::size_t length = std::min(part, size - at);
        candidates.clear();
        const Clock::time_point found = Clock::now();
        matcher.find(padded.data() + at, length, candidates);
        matching += std::chrono::duration<double>(Clock::now() - found).count();
        std::size_t next = 0;
        for (std::size_t p = 0; p < length; ++p) {
            bool won = false;
            // At one position, in load order: the matched ones, then those offered everywhere.
            while (next < candidates.size() && candidates[next].position == p) {
                if (!won) {
                    won = offer(plugins[candidates[next].slot]->object, at + p);
                }
                ++next;
            }
            for (Plugin* plugin : everywhere) {
                if (won) {
                    break;
                }
                won = offer(plugin->object, at + p);
            }
            if (everywhere.empty() && next == candidates.size()) {
                break;
            }
            if (everywhere.empty() && next < candidates.size()) {
                p = candidates[next].position - 1;
            }
        }
    }
    tally.seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    if (!timeMatcher) {
        tally.seconds -= matching;
    }
    std::remove(outputPath.c_str());
    return tally;
}

// The matcher alone over the signatures of plugins, without the one at leftOut (none when it is
// past the end): MB/s, best of three.
double matcherSpeed(const std::vector<Plugin*>& plugins, std::size_t leftOut, const std::vector<unsigned char>& padded,
                    std::size_t size, double* compileSeconds = nullptr)
{
    SignatureMatcher matcher;
    for (std::size_t i = 0; i < plugins.size(); ++i) {
        if (i != leftOut && plugins[i]->signatureCount > 0) {
            matcher.add(static_cast<std::uint32_t>(i), plugins[i]->signatures,
                        static_cast<unsigned>(plugins[i]->signatureCount));
        }
    }
    const Clock::time_point compileStart = Clock::now();
    matcher.prepare();
    if (compileSeconds != nullptr) {
        *compileSeconds = std::chrono::duration<double>(Clock::now() - compileStart).count();
    }
    std::vector<SignatureMatcher::Candidate> candidates;
    const std::size_t part = 64 * 1024;
    double best = 0;
    for (int round = 0; round < 3; ++round) {
        const Clock::time_point begin = Clock::now();
        for (std::size_t at = 0; at < size; at += part) {
            candidates.clear();
            matcher.find(padded.data() + at, std::min(part, size - at), candidates);
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
        best = std::max(best, static_cast<double>(size) / 1e6 / seconds);
    }
    return best;
}

std::string option(int argc, char** argv, const std::string& name, const std::string& fallback)
{
    const std::string prefix = "--" + name + "=";
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], prefix.c_str(), prefix.size()) == 0) {
            return argv[i] + prefix.size();
        }
    }
    return fallback;
}

}

int main(int argc, char** argv)
{
    const fs::path folder = option(argc, argv, "plugin-dir", GLINTFETCH_PLUGIN_DIR);
    const std::size_t mib = std::stoul(option(argc, argv, "mib", "64"));
    const std::size_t runMib = std::stoul(option(argc, argv, "run-mib", "256"));
    FakeExtractConfig config;
    std::vector<Plugin> plugins = loadPlugins(folder, config);
    std::vector<Plugin*> all;
    for (Plugin& plugin : plugins) {
        all.push_back(&plugin);
    }
    const fs::path work = fs::temp_directory_path() / ("candidate_benchmark." + std::to_string(Clock::now().time_since_epoch().count()));
    fs::create_directories(work);
    const std::string inputPath = (work / "random.bin").string();
    const std::string outputPath = (work / "out.bin").string();

    const std::size_t size = std::max(mib, runMib) << 20;
    std::vector<unsigned char> padded = randomBytes(size, 20261211);
    std::ofstream(inputPath, std::ios::binary).write(reinterpret_cast<const char*>(padded.data()),
                                                      static_cast<std::streamsize>(size));
    padded.resize(size + largestWindow(all), 0);

    std::printf("Each plug-in alone over %zu MiB of random data\n\n", mib);
    std::printf("| plug-in | signatures | candidates/MiB | detect passes/MiB | finds | ns per rejected candidate |\n");
    std::printf("|---|---:|---:|---:|---:|---:|\n");
    for (Plugin* plugin : all) {
        const Tally tally = run({plugin}, padded, mib << 20, inputPath, outputPath, false);
        const double perMib = static_cast<double>(tally.candidates) / static_cast<double>(mib);
        const double rejected = static_cast<double>(tally.candidates - tally.extracted);
        std::printf("| %s | %s | %.1f | %.2f | %llu | %.0f |\n", plugin->folder.c_str(),
                    plugin->signatureCount < 0 ? "none" : std::to_string(plugin->signatureCount).c_str(), perMib,
                    static_cast<double>(tally.detected) / static_cast<double>(mib),
                    static_cast<unsigned long long>(tally.extracted), rejected > 0 ? tally.seconds * 1e9 / rejected : 0.0);
        std::fflush(stdout);
    }

    const char* const originals[] = {"avi", "bmp", "gif", "jpeg", "png", "wav"};
    std::vector<Plugin*> six;
    for (Plugin* plugin : all) {
        if (std::find(std::begin(originals), std::end(originals), plugin->folder) != std::end(originals)) {
            six.push_back(plugin);
        }
    }
    std::printf("\nThe run's loop over %zu MiB of random data (matcher, detect, extract; best of 3)\n\n", runMib);
    std::printf("| plug-ins | candidates/MiB | finds | seconds | MB/s |\n|---|---:|---:|---:|---:|\n");
    for (const auto& set : {std::make_pair("the six original ones", &six), std::make_pair("every one", &all)}) {
        Tally best;
        for (int round = 0; round < 3; ++round) {
            const Tally tally = run(*set.second, padded, runMib << 20, inputPath, outputPath, true);
            if (round == 0 || tally.seconds < best.seconds) {
                best = tally;
            }
        }
        std::printf("| %s (%zu) | %.1f | %llu | %.2f | %.0f |\n", set.first, set.second->size(),
                    static_cast<double>(best.candidates) / static_cast<double>(runMib),
                    static_cast<unsigned long long>(best.extracted), best.seconds,
                    static_cast<double>(runMib << 20) / 1e6 / best.seconds);
    }

    {
        double best = 0;
        Tally tally;
        for (int round = 0; round < 3; ++round) {
            tally = run(all, padded, runMib << 20, inputPath, outputPath, true, false);
            best = std::max(best, static_cast<double>(runMib << 20) / 1e6 / tally.seconds);
        }
        std::printf("| every one, detect only, no extract (%zu) | %.1f | 0 | %.2f | %.0f |\n", all.size(),
                    static_cast<double>(tally.candidates) / static_cast<double>(runMib), tally.seconds, best);
    }
    {
        MemoryHost memory(padded, runMib << 20);
        hostAll(all, &memory.host);
        double best = 0;
        Tally tally;
        for (int round = 0; round < 3; ++round) {
            tally = run(all, padded, runMib << 20, inputPath, outputPath, true);
            best = std::max(best, static_cast<double>(runMib << 20) / 1e6 / tally.seconds);
        }
        hostAll(all, nullptr);
        std::printf("| every one, the input read through the host (%zu) | %.1f | %llu | %.2f | %.0f |\n", all.size(),
                    static_cast<double>(tally.candidates) / static_cast<double>(runMib),
                    static_cast<unsigned long long>(tally.extracted), tally.seconds, best);
    }
    std::printf("\nThe matcher alone over %zu MiB of random data, best of 3: every plug-in's signatures, then\n"
                "each plug-in's left out (the plug-ins whose absence speeds it up most first)\n\n", runMib);
    double compile = 0;
    const double whole = matcherSpeed(all, all.size(), padded, runMib << 20, &compile);
    std::printf("| signatures | MB/s | compiled in ms |\n|---|---:|---:|\n| every plug-in's | %.0f | %.1f |\n", whole,
                compile * 1e3);
    std::vector<std::tuple<double, std::string, double>> without;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i]->signatureCount > 0) {
            const double speed = matcherSpeed(all, i, padded, runMib << 20, &compile);
            without.emplace_back(speed, all[i]->folder, compile);
        }
    }
    std::sort(without.rbegin(), without.rend());
    for (std::size_t i = 0; i < without.size() && i < 8; ++i) {
        std::printf("| without %s | %.0f | %.1f |\n", std::get<1>(without[i]).c_str(), std::get<0>(without[i]),
                    std::get<2>(without[i]) * 1e3);
    }
    std::sort(without.begin(), without.end(),
              [](const auto& a, const auto& b) { return std::get<2>(a) < std::get<2>(b); });
    std::printf("\nThe plug-ins whose patterns take Vectorscan longest to compile\n\n| signatures | compiled in ms |\n|---|---:|\n");
    for (std::size_t i = 0; i < without.size() && i < 5; ++i) {
        std::printf("| without %s | %.1f |\n", std::get<1>(without[i]).c_str(), std::get<2>(without[i]) * 1e3);
    }

    for (Plugin& plugin : plugins) {
        plugin.release(plugin.object);
        os::freeLibrary(plugin.library);
    }
    fs::remove_all(work);
    return 0;
}
