// glintfetch-cli: the extraction engine, the plug-ins and the settings of glintfetch, headless.

#include "app/IGlintfetchFactory.h"
#include "cli/Commandline.h"
#include "cli/Findreport.h"
#include "cli/Overridingconfig.h"
#include "cli/Runwatcher.h"
#include "engine/ExtractPlugin.h"
#include "engine/IConfigModel.h"
#include "engine/IExtractModel.h"
#include "engine/IPluginModel.h"
#include "framework/Exception.h"
#include "framework/IProcess.h"
#include "framework/IResource.h"
#include "framework/IThread.h"
#include "framework/Threadpool.h"
#include "platform/os/Console.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#ifndef GLINTFETCH_VERSION
#define GLINTFETCH_VERSION "0"
#endif

namespace {

constexpr int exitSuccess = 0;
constexpr int exitFailure = 1;
constexpr int exitUsage = 2;

const char programName[] = "glintfetch-cli";

int usageError(const std::string& message) {
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", programName, message.c_str(),
                 programName);
    return exitUsage;
}

int failure(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", programName, message.c_str());
    return exitFailure;
}

std::string text(const char* value) { return value != nullptr ? value : ""; }

struct PluginRow {
    std::string id;
    std::string kind;
    std::string name;
    std::string version;
    bool enabled;
};

std::vector<PluginRow> pluginRows(IPluginModel* plugins) {
    std::vector<PluginRow> rows;
    for (unsigned i = 0; i < plugins->getPluginCount(); ++i) {
        IExtractPlugin* plugin = plugins->getPlugin(i);
        rows.push_back({text(plugin->getID()), text(plugin->getKind()), text(plugin->getName()),
                        text(plugin->getVersion()), plugin->isEnabled()});
    }
    return rows;
}

// Columns on a terminal: a wide character (Japanese names) takes two.
std::size_t displayWidth(const std::string& value) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < value.size();) {
        const auto lead = static_cast<unsigned char>(value[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        width += length >= 3 ? 2 : 1;
        i += length;
    }
    return width;
}

void listPlugins(const std::vector<PluginRow>& rows) {
    std::size_t idWidth = 2;
    std::size_t kindWidth = 4;
    std::size_t nameWidth = 4;
    std::size_t versionWidth = 7;
    for (const PluginRow& row : rows) {
        idWidth = std::max(idWidth, displayWidth(row.id));
        kindWidth = std::max(kindWidth, displayWidth(row.kind));
        nameWidth = std::max(nameWidth, displayWidth(row.name));
        versionWidth = std::max(versionWidth, displayWidth(row.version));
    }
    const auto pad = [](const std::string& value, std::size_t width) {
        const std::size_t used = displayWidth(value);
        return value + std::string(width > used ? width - used : 0, ' ');
    };
    std::printf("%s  %s  %s  %s  %s\n", pad("ID", idWidth).c_str(), pad("KIND", kindWidth).c_str(),
                pad("NAME", nameWidth).c_str(), pad("VERSION", versionWidth).c_str(), "STATE");
    for (const PluginRow& row : rows) {
        std::printf("%s  %s  %s  %s  %s\n", pad(row.id, idWidth).c_str(), pad(row.kind, kindWidth).c_str(),
                    pad(row.name, nameWidth).c_str(), pad(row.version, versionWidth).c_str(),
                    row.enabled ? "on" : "off");
    }
}

// The worker ends by itself after its last notification; it is never joined through a pointer
// it may have freed.
void waitForWorker(IRunnable* runnable) {
    for (;;) {
        try {
            ThreadPool::getThread(runnable);
        } catch (const ThreadException&) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

int run(const CommandLine& line) {
    std::unique_ptr<IGlintfetchFactory> factory = createGlintfetchFactory();
    IConfigModel* saved = factory->createConfigModel();
    OverridingConfig config(saved);
    {
        IResource* program = factory->createResource();
        program->setPath(factory->createProcess()->getModuleFileName());
        IResource* settings = factory->createResource();
        settings->setPath(program->getParent() + "/config.xml");
        config.settingsSaved = settings->exists();
    }
    config.perInput = line.perInput;
    config.perKind = line.perKind;
    config.minimumBytes = line.minimumSize;
    config.maximumBytes = line.maximumSize;
    config.keepDamaged = line.keepDamaged;
    try {
        config.load();
    } catch (const Exception& e) {
        return failure("cannot read the settings (config.xml): " + e.getMessage());
    }

    IPluginModel* plugins = factory->createPluginModel();
    plugins->loadPlugins(&config);
    const std::vector<PluginRow> rows = pluginRows(plugins);
    if (line.listPlugins) {
        listPlugins(rows);
        return exitSuccess;
    }
    if (!line.kinds.empty()) {
        std::set<std::string> known;
        for (const PluginRow& row : rows) known.insert(row.kind);
        for (const std::string& kind : line.kinds) {
            if (known.count(kind) == 0) {
                return usageError("no plug-in finds kind '" + kind + "' (see --list-plugins)");
            }
        }
        for (const PluginRow& row : rows) {
            config.enabled[row.id] = std::find(line.kinds.begin(), line.kinds.end(), row.kind) != line.kinds.end();
        }
    }
    if (rows.empty()) return failure("no plug-ins beside the program (plugins folder)");

    std::error_code error;
    if (!std::filesystem::is_directory(line.output, error)) {
        return failure("output folder '" + line.output + "' does not exist or is no folder");
    }

    FindReport report;
    if (!line.report.empty()) {
        std::string reason;
        if (!report.open(line.report, line.reportFormat, reason)) {
            return failure("cannot write the report '" + line.report + "': " + reason);
        }
    }

    IExtractModel* model = factory->createExtractModel(&config, plugins);
    model->setOutputDirectory(line.output);
    model->clearInputFiles();
    for (const std::string& input : line.inputs) model->addInputFile(input);
    model->prepare();

    const bool terminal = os::console::standardErrorIsTerminal();
    RunWatcher watcher(model, report, !line.quiet, terminal && !line.quiet);
    model->addObserver(&watcher);
    os::console::catchInterrupts();

    IThread* worker = factory->createThread(static_cast<IRunnable*>(model));
    worker->start();
    bool cancelled = false;
    while (!watcher.waitForEnd(std::chrono::milliseconds(100))) {
        if (os::console::interrupted() && !cancelled) {
            cancelled = true;
            model->abort();
            continue;
        }
        watcher.drawProgress();
    }
    waitForWorker(static_cast<IRunnable*>(model));
    watcher.clearProgress();
    const bool reportClosed = report.close();

    // The summary.
    const std::string ending = watcher.ending();
    if (!line.quiet || ending != "COMPLETED") std::fprintf(stderr, "%s\n", watcher.endingLog().c_str());
    const std::map<std::string, unsigned> byKind = model->getExtractedCountsByKind();
    unsigned finds = 0;
    for (const auto& [kind, count] : byKind) finds += count;
    std::string kinds;
    for (const auto& [kind, count] : byKind) {
        kinds += (kinds.empty() ? "" : ", ") + kind + " " + std::to_string(count);
    }
    std::fprintf(stderr, "%u finds%s%s%s\n", finds, kinds.empty() ? "" : " (", kinds.c_str(),
                 kinds.empty() ? "" : ")");
    const unsigned unwritten = model->getUnwrittenCount();
    if (unwritten > 0) std::fprintf(stderr, "%u finds could not be written\n", unwritten);
    const std::vector<ExtractFailedInput> failed = model->getFailedInputs();
    for (const ExtractFailedInput& input : failed) {
        std::fprintf(stderr, "failed input: %s: %s\n", input.path.c_str(), input.reason.c_str());
    }

    const std::vector<RunWatcher::Unreadable> unreadable = watcher.unreadable();
    for (const RunWatcher::Unreadable& range : unreadable) {
        std::fprintf(stderr, "unreadable: %s: offset %llu, %llu bytes (read as zeros)\n", range.input.c_str(),
                     static_cast<unsigned long long>(range.offset), static_cast<unsigned long long>(range.size));
    }
    for (const std::string& output : watcher.damaged()) {
        std::fprintf(stderr, "damaged find: %s (unreadable bytes written as zeros)\n", output.c_str());
    }

    int status = exitSuccess;
    if (ending == "ABORTED") {
        status = failure(cancelled ? "interrupted; the finds written so far are whole" : "the run was cancelled");
    } else if (ending != "COMPLETED") {
        status = failure("the run failed");
    } else if (!failed.empty()) {
        status = failure(std::to_string(failed.size()) + " input(s) could not be scanned");
    } else if (unwritten > 0) {
        status = failure(std::to_string(unwritten) + " find(s) could not be written");
    } else if (!unreadable.empty()) {
        status = failure(std::to_string(unreadable.size()) +
                         " stretch(es) of the input could not be read; the finds clear of them are whole");
    }
    if (watcher.reportFailed() || !reportClosed) {
        status = failure("the report '" + line.report + "' could not be written completely");
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    CommandLine line;
    try {
        line = CommandLine::parse(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const CommandLine::UsageError& e) {
        return usageError(e.what());
    }
    if (line.help) {
        std::fputs(CommandLine::helpText().c_str(), stdout);
        return exitSuccess;
    }
    if (line.version) {
        std::printf("%s %s\n", programName, GLINTFETCH_VERSION);
        return exitSuccess;
    }
    try {
        return run(line);
    } catch (const Exception& e) {
        return failure(e.getMessage());
    } catch (const std::exception& e) {
        return failure(e.what());
    }
}
