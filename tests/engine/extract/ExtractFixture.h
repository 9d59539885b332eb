#pragma once

#include "app/Glintfetchfactory.h"
#include "engine/IConfigModel.h"
#include "engine/IExtractModel.h"
#include "engine/IPluginModel.h"
#include "framework/IObserver.h"
#include "framework/IValueObject.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace extracttest {

namespace fs = std::filesystem;

inline std::uint64_t joined(IExtractModel* model,
                            void (IExtractModel::*getter)(unsigned*, unsigned*)) {
    unsigned high = 0;
    unsigned low = 0;
    (model->*getter)(&high, &low);
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

// Waits, with a generous bound, until done() holds.
template <class Condition>
bool eventually(Condition done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// One notification, with the model's values as they stood when it was sent.
struct Event {
    std::string status;
    std::string log;
    unsigned index = 0;
    unsigned extracted = 0;
    std::uint64_t fileSize = 0;
    std::uint64_t position = 0;
    std::uint64_t processed = 0;
    std::thread::id thread;
};

// Records every notification of the extraction model. onEvent, when set, runs inside the
// notification, on the notifying thread.
class Recorder : public IObserver {
public:
    explicit Recorder(IExtractModel* model) : model(model) {}

    void update(IObservable* source, IValueObject* values) override {
        Event event;
        event.status = values->getValue("status");
        event.log = values->getValue("log");
        event.index = model->getCurrentFileIndex();
        event.extracted = model->getExtractedCount();
        event.fileSize = joined(model, &IExtractModel::getCurrentFileSize);
        event.position = joined(model, &IExtractModel::getCurrentPosition);
        event.processed = joined(model, &IExtractModel::getProcessedSize);
        event.thread = std::this_thread::get_id();
        {
            std::lock_guard<std::mutex> lock(mutex);
            sources.push_back(source);
            recorded.push_back(event);
        }
        changed.notify_all();
        if (onEvent) {
            onEvent(event);
        }
    }

    std::vector<Event> events() {
        std::lock_guard<std::mutex> lock(mutex);
        return recorded;
    }

    std::vector<std::string> statuses() {
        std::vector<std::string> result;
        for (const Event& event : events()) {
            result.push_back(event.status);
        }
        return result;
    }

    void clear() {
        std::lock_guard<std::mutex> lock(mutex);
        recorded.clear();
        sources.clear();
    }

    // Waits, with a generous bound, until some notification has the status.
    bool waitFor(const std::string& status) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(60), [&] {
            for (const Event& event : recorded) {
                if (event.status == status) {
                    return true;
                }
            }
            return false;
        });
    }

    std::function<void(const Event&)> onEvent;
    std::vector<IObservable*> sources;

private:
    IExtractModel* model;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Event> recorded;
};

// An extraction model on a fresh application factory, a scratch folder with an output folder in
// it, and the two probe plug-ins (probe_a enabled, probe_b disabled) logging to one file. The
// folder options start off, so that outputs lie directly in the output folder.
class ExtractFixture : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        scratch = fs::temp_directory_path() /
                  ("glintfetch-extract-" + std::to_string(random()) + std::to_string(random()));
        fs::create_directories(scratch / "out");
        output = (scratch / "out").string();
        logPath = (scratch / "probe.log").string();

        factory = createGlintfetchFactory();
        config = factory->createConfigModel();
        plugins = factory->createPluginModel();
        model = factory->createExtractModel(config, plugins);
        recorder = std::make_unique<Recorder>(model);
        model->addObserver(recorder.get());

        config->buildDefaultDocument();
        config->setCreateDirPerFile(false);
        config->setCreateDirPerData(false);
        probe("probe_a", "log", logPath);
        probe("probe_b", "log", logPath);
        probe("probe_b", "enabled", "false");
    }

    // A fresh, empty output folder.
    void useOutput(const std::string& name) {
        output = (scratch / name).string();
        fs::create_directories(output);
    }

    // The names of the files below the output folder, relative to it, sorted.
    std::vector<std::string> outputFiles() {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(output)) {
            if (entry.is_regular_file()) {
                names.push_back(fs::relative(entry.path(), output).string());
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    void TearDown() override {
        factory.reset();
        std::error_code ignored;
        fs::remove_all(scratch, ignored);
    }

    void probe(const std::string& id, const std::string& key, const std::string& value) {
        config->setProperty(key.c_str(), value.c_str(), id.c_str());
    }

    std::string writeFile(const std::string& name, const std::string& content) {
        const fs::path path = scratch / name;
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }

    // A file that holds no blocks on disk, however large.
    std::string sparseFile(const std::string& name, std::uint64_t size) {
        const std::string path = writeFile(name, "");
        fs::resize_file(path, size);
        return path;
    }

    void fillModel(const std::vector<std::string>& inputs) {
        config->save();
        model->setOutputDirectory(output);
        model->clearInputFiles();
        for (const std::string& input : inputs) {
            model->addInputFile(input);
        }
        model->prepare();
    }

    // A whole run on this thread, as the worker would make it.
    void runExtraction(const std::vector<std::string>& inputs) {
        fillModel(inputs);
        model->run();
    }

    std::vector<std::string> logLines() {
        std::ifstream in(logPath);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    // The output paths handed to extract, in call order, each with the offset and the size of
    // what lay at the path then (-1: nothing; 0: the run's own empty claim).
    struct ExtractCall {
        std::string id;
        std::uint64_t offset;
        std::string output;
        long long sizeBefore;
    };
    std::vector<ExtractCall> extractCalls() {
        std::vector<ExtractCall> calls;
        for (const std::string& line : logLines()) {
            std::istringstream fields(line);
            std::string id;
            std::string what;
            fields >> id >> what;
            if (what == "extract") {
                ExtractCall call;
                fields >> call.offset >> call.output >> call.sizeBefore;
                call.id = id;
                calls.push_back(call);
            }
        }
        return calls;
    }

    // Releases the plug-ins of the last run, which makes each log its detect count, and returns
    // the count that the plug-in logged last.
    unsigned long long detectCount(const std::string& id) {
        plugins->loadPlugins(config);
        unsigned long long count = 0;
        for (const std::string& line : logLines()) {
            std::istringstream fields(line);
            std::string lineId;
            std::string what;
            fields >> lineId >> what;
            if (lineId == id && what == "detects") {
                fields >> count;
            }
        }
        return count;
    }

    static std::string readFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    fs::path scratch;
    std::string output;
    std::string logPath;
    std::unique_ptr<IGlintfetchFactory> factory;
    IConfigModel* config = nullptr;
    IPluginModel* plugins = nullptr;
    IExtractModel* model = nullptr;
    std::unique_ptr<Recorder> recorder;
};

} // namespace extracttest
