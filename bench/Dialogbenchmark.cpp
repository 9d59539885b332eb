// The extraction dialog attached to a fast run: what it costs the run, and how often its bars move.
//
// The same headless extraction (worker thread, "START" to "COMPLETED") over one corpus of random
// data, best of five: rounds with no dialog take turns with rounds with the extraction dialog's
// view observing the model and its form shown on the offscreen platform. In both, the user-interface thread turns its
// event loop while the run goes on, as the program's modal dialog does. The bars' positions are
// sampled on that thread after every turn: the moves per second and the longest time the bars
// stood still tell whether the dialog keeps up.
//
// Run by hand (bench/README.md); it writes config.xml beside itself, in the extraction
// benchmark's folder, and uses the plug-ins there.

#include "app/Extractview.h"
#include "app/IGlintfetchFactory.h"
#include "app/Textractform.h"
#include "engine/IConfigModel.h"
#include "engine/IExtractModel.h"
#include "engine/IPluginModel.h"
#include "framework/Exception.h"
#include "framework/IObserver.h"
#include "framework/IThread.h"
#include "framework/IValueObject.h"
#include "framework/Threadpool.h"
#include "platform/classlib/TApplication.h"
#include "platform/classlib/TProgressBar.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::uint64_t MiB = 1024 * 1024;

class EndWatcher : public IObserver {
public:
    void update(IObservable*, IValueObject* values) override {
        const std::string status = values->getValue("status");
        if (status == "START") {
            started = Clock::now();
        } else if (status == "COMPLETED" || status == "ABORTED" || status == "FAILED") {
            finished = Clock::now();
            ended = true;
        }
    }
    std::atomic<bool> ended{false};
    Clock::time_point started;
    Clock::time_point finished;
};

// Hands the notifications on to the dialog's view only while on, so that the rounds with and
// without the dialog can take turns (observers are never removed from a model).
struct Switch : IObserver {
    IObserver* target = nullptr;
    std::atomic<bool> on{false};
    void update(IObservable* source, IValueObject* values) override {
        if (on.load() && target != nullptr) target->update(source, values);
    }
};

struct Result {
    double seconds = 0;
    std::size_t moves = 0;
    double longestStill = 0;
};

std::uint64_t argument(int argc, char** argv, const std::string& name, std::uint64_t fallback) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (argv[i] == name) return std::strtoull(argv[i + 1], nullptr, 10);
    }
    return fallback;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const std::uint64_t corpusMiB = std::max<std::uint64_t>(64, argument(argc, argv, "--corpus-mib", 1024));
    Application->Initialize();

    std::unique_ptr<IGlintfetchFactory> factory = createGlintfetchFactory();
    IConfigModel* config = factory->createConfigModel();
    IPluginModel* plugins = factory->createPluginModel();
    IExtractModel* model = factory->createExtractModel(config, plugins);
    config->buildDefaultDocument();
    config->setCreateDirPerFile(false);
    config->setCreateDirPerData(false);
    config->save();
    EndWatcher watcher;
    model->addObserver(&watcher);

    std::random_device seed;
    const fs::path scratch = fs::temp_directory_path() / ("glintfetch-dialog-bench-" + std::to_string(seed()));
    fs::create_directories(scratch);
    const fs::path input = scratch / "corpus";
    {
        std::vector<unsigned char> block(MiB);
        std::mt19937_64 random(12345);
        std::ofstream out(input, std::ios::binary);
        for (std::uint64_t i = 0; i < corpusMiB; ++i) {
            for (std::size_t at = 0; at < block.size(); at += 8) {
                const std::uint64_t word = random();
                std::memcpy(&block[at], &word, 8);
            }
            out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size()));
        }
    }

    TExtractForm* form = nullptr;
    const auto once = [&]() {
        const fs::path folder = scratch / "out";
        fs::remove_all(folder);
        fs::create_directories(folder);
        model->setOutputDirectory(folder.string());
        model->clearInputFiles();
        model->addInputFile(input.string());
        model->prepare();
        watcher.ended = false;
        Result result;
        int fileBar = form != nullptr ? form->FileProgress->Position() : 0;
        int totalBar = form != nullptr ? form->TotalProgress->Position() : 0;
        Clock::time_point lastMove = Clock::now();
        factory->createThread(static_cast<IRunnable*>(model))->start();
        while (!watcher.ended) {
            Application->ProcessMessages();
            if (form == nullptr) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            const int file = form->FileProgress->Position();
            const int total = form->TotalProgress->Position();
            if (file != fileBar || total != totalBar) {
                const Clock::time_point now = Clock::now();
                // Only moves while the run is on count: not the reset at its start.
                if (watcher.started.time_since_epoch().count() != 0 && now > watcher.started) {
                    ++result.moves;
                    result.longestStill = std::max(result.longestStill,
                                                   std::chrono::duration<double>(now - lastMove).count());
                }
                lastMove = now;
                fileBar = file;
                totalBar = total;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        for (;;) {
            try {
                ThreadPool::getThread(static_cast<IRunnable*>(model));
            } catch (const ThreadException&) {
                break;
            }
            Application->ProcessMessages();
        }
        Application->ProcessMessages();
        result.seconds = std::chrono::duration<double>(watcher.finished - watcher.started).count();
        return result;
    };

    form = new TExtractForm(static_cast<HWND>(nullptr));
    ExtractView* view = new ExtractView(form);
    Switch toView;
    toView.target = view;
    model->addObserver(&toView);
    // The rounds with and without the dialog take turns, so that both meet the machine in the
    // same state.
    Result bare{1e30, 0, 0};
    Result shown{1e30, 0, 0};
    for (int round = 0; round < 5; ++round) {
        toView.on = false;
        form->Hide();
        bare.seconds = std::min(bare.seconds, once().seconds);
        form->Show();
        toView.on = true;
        const Result result = once();
        if (result.seconds < shown.seconds) shown = result;
    }
    toView.on = false;

    const double megabytes = static_cast<double>(corpusMiB * MiB) / 1e6;
    std::printf("corpus of %llu MiB of random data, best of five\n", static_cast<unsigned long long>(corpusMiB));
    std::printf("%-36s %10s %12s %14s\n", "", "MB/s", "bar moves/s", "longest still");
    std::printf("%-36s %10.1f\n", "run, no dialog", megabytes / bare.seconds);
    std::printf("%-36s %10.1f %12.1f %11.0f ms\n", "run, extraction dialog shown", megabytes / shown.seconds,
                static_cast<double>(shown.moves) / shown.seconds, shown.longestStill * 1e3);
    std::printf("dialog / no dialog: %.3f (target at least 0.9); bar moves per second: %.1f (target 10)\n",
                bare.seconds / shown.seconds, static_cast<double>(shown.moves) / shown.seconds);

    delete view;
    form->Free();
    fs::remove_all(scratch);
    return 0;
}
