// The extraction run over the real-data corpus (scripts/realdata-corpus.py), against foremost
// with every kind it knows and against the floor, the same bytes moved without any looking:
// reading the input (cat into /dev/null) plus writing the run's finds anew (cp of its output
// folder). The run is timed on one thread (every candidate checked where it is found) and with
// its checking threads; both runs must write the same files. Every input is read once first, so
// that every figure is one of the file cache, as foremost's is.
//
// Usage: realdata_benchmark SCRATCH INPUT...   (SCRATCH: a folder on the disk to write into)

#include "app/Glintfetchfactory.h"
#include "engine/Extractmodel.h"
#include "engine/IConfigModel.h"
#include "engine/IExtractModel.h"
#include "engine/IPluginModel.h"

#include <QGuiApplication>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

double timed(const std::string& command) {
    const auto started = Clock::now();
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
    return seconds(started);
}

std::string quoted(const fs::path& path) { return "'" + path.string() + "'"; }

struct Tally {
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
    std::map<std::string, std::uint64_t> sizes;
};

Tally tally(const fs::path& root) {
    Tally result;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        ++result.files;
        result.bytes += entry.file_size();
        result.sizes[fs::relative(entry.path(), root).string()] = entry.file_size();
    }
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SCRATCH INPUT...\n", argv[0]);
        return 2;
    }
    const fs::path scratch = argv[1];
    std::unique_ptr<IGlintfetchFactory> factory = createGlintfetchFactory();
    IConfigModel* config = factory->createConfigModel();
    IPluginModel* plugins = factory->createPluginModel();
    IExtractModel* model = factory->createExtractModel(config, plugins);
    config->buildDefaultDocument();
    config->setCreateDirPerFile(false);
    config->setCreateDirPerData(true);
    config->save();
    auto& run = dynamic_cast<ExtractModel&>(*model);
    const unsigned threads = run.checkThreadCount();

    std::printf("| input | foremost -t all | glintfetch, 1 thread | glintfetch, 1 + %u threads | floor: cat + cp | "
                "finds (GB) | vs foremost | vs floor |\n",
                threads);
    std::printf("|---|---|---|---|---|---|---|---|\n");
    for (int i = 2; i < argc; ++i) {
        const fs::path input = argv[i];
        const double gib = static_cast<double>(fs::file_size(input)) / (1u << 30);
        timed("cat " + quoted(input) + " > /dev/null");
        const double read = timed("cat " + quoted(input) + " > /dev/null");

        auto extract = [&](unsigned count, const fs::path& out) {
            fs::remove_all(out);
            fs::create_directories(out);
            model->setOutputDirectory(out.string());
            model->clearInputFiles();
            model->addInputFile(input.string());
            model->prepare();
            run.setCheckThreads(count);
            const auto started = Clock::now();
            model->run();
            return seconds(started);
        };
        const fs::path alone = scratch / "glintfetch-alone";
        const fs::path beside = scratch / "glintfetch-threads";
        const double one = extract(0, alone);
        const Tally aloneTally = tally(alone);
        fs::remove_all(alone);
        const double many = extract(ExtractModel::automaticThreads, beside);
        const Tally besideTally = tally(beside);
        if (besideTally.sizes != aloneTally.sizes) std::fprintf(stderr, "the two runs wrote different files\n");
        const fs::path copy = scratch / "copy";
        fs::remove_all(copy);
        timed("sync");
        const double write = timed("cp -r " + quoted(beside) + " " + quoted(copy) + " && sync");
        fs::remove_all(copy);
        fs::remove_all(beside);

        const fs::path carved = scratch / "foremost";
        fs::remove_all(carved);
        timed("sync");
        const double foremost = timed("foremost -Q -t all -i " + quoted(input) + " -o " + quoted(carved) + " > /dev/null");
        fs::remove_all(carved);

        const double floor = read + write;
        std::printf("| %.1f GiB | %.1f s | %.1f s | %.1f s | %.2f + %.2f s | %llu (%.2f) | %.1fx | %.2fx |\n", gib,
                    foremost, one, many, read, write, static_cast<unsigned long long>(besideTally.files),
                    static_cast<double>(besideTally.bytes) / 1e9, foremost / many, many / floor);
        std::fflush(stdout);
    }
    return 0;
}
