// glintfetch-cli: the extraction engine, the plug-ins and the settings of glintfetch, headless.

#include "app/IGlintfetchFactory.h"
#include "cli/Commandline.h"
#include "cli/Findreport.h"
#include "cli/Overridingconfig.h"
#include "cli/Runwatcher.h"
#include "cli/Systemreason.h"
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
    std::fprintf(stderr, "%s: %s\n詳しくは '%s --help' を見て下さい。\n", programName, message.c_str(), programName);
    return exitUsage;
}

int failure(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", programName, message.c_str());
    return exitFailure;
}

std::string text(const char* value) { return value != nullptr ? value : ""; }

struct PluginRow {
    std::string id;
    // Every kind its finds may have.
    std::vector<std::string> kinds;
    std::string name;
    std::string version;
    bool enabled;
};

std::string joinedKinds(const std::vector<std::string>& kinds) {
    std::string joined;
    for (const std::string& kind : kinds) joined += (joined.empty() ? "" : ",") + kind;
    return joined;
}

// The plug-ins as they answer for themselves. One whose answer throws is left out of the run, as
// the run leaves out a plug-in whose call throws, and named in excluded.
std::vector<PluginRow> pluginRows(IPluginModel* plugins, std::vector<std::string>& excluded) {
    std::vector<PluginRow> rows;
    for (unsigned i = 0; i < plugins->getPluginCount(); ++i) {
        IExtractPlugin* plugin = plugins->getPlugin(i);
        PluginRow row{std::string(), {}, std::string(), std::string(), false};
        const char* operation = "getID";
        try {
            row.id = text(plugin->getID());
            operation = "getName";
            row.name = text(plugin->getName());
            operation = "getKind";
            row.kinds = plugins->getExtension(i).getKinds(plugin);
            if (row.kinds.empty()) row.kinds.push_back(text(plugin->getKind()));
            operation = "getVersion";
            row.version = text(plugin->getVersion());
            operation = "isEnabled";
            row.enabled = plugin->isEnabled();
            rows.push_back(row);
            continue;
        } catch (const std::exception& e) {
            row.version = std::string("（") + e.what() + "）";
        } catch (...) {
            row.version.clear();
        }
        const std::string name = row.name.empty() ? row.id : row.name;
        std::fprintf(stderr, "%s: プラグイン「%s」の %s で例外が発生しました%s。このプラグインは使用しません。\n",
                     programName, name.c_str(), operation, row.version.c_str());
        excluded.push_back(row.id);
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
    const std::string idTitle = "ID";
    const std::string kindTitle = "種類";
    const std::string nameTitle = "名前";
    const std::string versionTitle = "バージョン";
    std::size_t idWidth = displayWidth(idTitle);
    std::size_t kindWidth = displayWidth(kindTitle);
    std::size_t nameWidth = displayWidth(nameTitle);
    std::size_t versionWidth = displayWidth(versionTitle);
    for (const PluginRow& row : rows) {
        idWidth = std::max(idWidth, displayWidth(row.id));
        kindWidth = std::max(kindWidth, displayWidth(joinedKinds(row.kinds)));
        nameWidth = std::max(nameWidth, displayWidth(row.name));
        versionWidth = std::max(versionWidth, displayWidth(row.version));
    }
    const auto pad = [](const std::string& value, std::size_t width) {
        const std::size_t used = displayWidth(value);
        return value + std::string(width > used ? width - used : 0, ' ');
    };
    std::printf("%s  %s  %s  %s  %s\n", pad(idTitle, idWidth).c_str(), pad(kindTitle, kindWidth).c_str(),
                pad(nameTitle, nameWidth).c_str(), pad(versionTitle, versionWidth).c_str(), "状態");
    for (const PluginRow& row : rows) {
        std::printf("%s  %s  %s  %s  %s\n", pad(row.id, idWidth).c_str(), pad(joinedKinds(row.kinds), kindWidth).c_str(),
                    pad(row.name, nameWidth).c_str(), pad(row.version, versionWidth).c_str(),
                    row.enabled ? "有効" : "無効");
    }
}

// Makes the output folder and its parents when they are missing; false, with the reason, when
// it cannot be made or is no folder.
bool makeOutputFolder(const std::string& folder, std::string& reason) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::is_directory(folder, error)) return true;
    if (fs::exists(fs::symlink_status(folder, error))) {
        reason = "同じ名前のファイルがあります";
        return false;
    }
    fs::create_directories(folder, error);
    if (fs::is_directory(folder)) return true;
    if (!error) error = std::make_error_code(std::errc::not_a_directory);
    reason = SystemReason::of(error);
    return false;
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
    config.readFileSystems = line.readFileSystems;
    config.carveWholeVolumes = line.carveWholeVolumes;
    config.volumeChoice = line.volumes;
    try {
        config.load();
    } catch (const Exception& e) {
        return failure("設定（config.xml）を読めません：" + e.getMessage());
    }

    IPluginModel* plugins = factory->createPluginModel();
    plugins->loadPlugins(&config);
    std::vector<std::string> excluded;
    const std::vector<PluginRow> rows = pluginRows(plugins, excluded);
    if (line.listPlugins) {
        listPlugins(rows);
        return exitSuccess;
    }
    if (!line.kinds.empty()) {
        std::set<std::string> known;
        for (const PluginRow& row : rows) known.insert(row.kinds.begin(), row.kinds.end());
        for (const std::string& kind : line.kinds) {
            if (known.count(kind) == 0) {
                return usageError("種類「" + kind + "」を見つけるプラグインはありません（--list-plugins で分かります）");
            }
        }
        // The plug-ins of a kind asked for are on, the others off; of what a plug-in of several
        // kinds finds, the run keeps only the kinds asked for.
        for (const PluginRow& row : rows) {
            config.enabled[row.id] = std::any_of(row.kinds.begin(), row.kinds.end(), [&](const std::string& kind) {
                return std::find(line.kinds.begin(), line.kinds.end(), kind) != line.kinds.end();
            });
        }
    }
    if (rows.empty()) return failure("プログラムの横の plugins フォルダーに使えるプラグインがありません");

    std::string reason;
    if (!makeOutputFolder(line.output, reason)) {
        return failure("出力先のフォルダー「" + line.output + "」を作れません：" + reason);
    }

    FindReport report;
    if (!line.report.empty() && !report.open(line.report, line.reportFormat, reason)) {
        return failure("レポート「" + line.report + "」を書けません：" + reason);
    }

    IExtractModel* model = factory->createExtractModel(&config, plugins);
    model->setExtractedKinds(line.kinds);
    model->setExcludedPlugins(excluded);
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
            watcher.clearProgress();
            // A plug-in busy with a large find may take a while to notice.
            std::fprintf(stderr, "%s: 中断します。今調べているところが終わるのを待っています...\n", programName);
            model->abort();
            continue;
        }
        watcher.drawProgress();
    }
    waitForWorker(static_cast<IRunnable*>(model));
    watcher.clearProgress();
    const bool reportClosed = report.close();

    // The summary: the run's own last word, which names the finds by kind, the finds that could
    // not be written and the inputs that could not be read.
    const std::string ending = watcher.ending();
    std::fprintf(stderr, "%s\n", watcher.endingLog().c_str());
    const std::vector<ExtractFailedInput> failed = model->getFailedInputs();
    const unsigned unwritten = model->getUnwrittenCount();

    const std::vector<RunWatcher::Unreadable> unreadable = watcher.unreadable();
    for (const RunWatcher::Unreadable& range : unreadable) {
        std::fprintf(stderr, "読めない範囲：%s：位置 %llu から %llu バイト（0 として読みました）\n", range.input.c_str(),
                     static_cast<unsigned long long>(range.offset), static_cast<unsigned long long>(range.size));
    }
    for (const std::string& output : watcher.damaged()) {
        std::fprintf(stderr, "損傷あり：%s（読めないバイトを 0 で書きました）\n", output.c_str());
    }

    int status = exitSuccess;
    if (ending == "ABORTED") {
        status = failure(cancelled ? "中断しました。それまでに書いたものはどれも完全です" : "実行が取り消されました");
    } else if (ending != "COMPLETED") {
        status = failure("実行に失敗しました");
    } else if (!failed.empty()) {
        status = failure(std::to_string(failed.size()) + " 件の入力を読み込めませんでした");
    } else if (unwritten > 0) {
        status = failure(std::to_string(unwritten) + " 件のファイルを書き込めませんでした");
    } else if (!unreadable.empty()) {
        status = failure("入力の " + std::to_string(unreadable.size()) +
                         " か所を読めませんでした。そこにかからないものはどれも完全です");
    }
    if (watcher.reportFailed() || !reportClosed) {
        status = failure("レポート「" + line.report + "」を最後まで書けませんでした：" + report.failure());
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
