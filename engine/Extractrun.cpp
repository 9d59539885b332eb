#include "engine/Extractrun.h"

#include "app/IGlintfetchFactory.h"
#include "engine/ExtractPlugin.h"
#include "engine/Extractmodel.h"
#include "engine/IConfigModel.h"
#include "engine/IPluginModel.h"
#include "framework/Exception.h"
#include "framework/IResource.h"
#include "framework/IValueObject.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <new>
#include <random>

namespace {

constexpr auto relaxed = std::memory_order_relaxed;

std::string pluginText(const char* text) {
    return text != nullptr ? std::string(text) : std::string();
}

// A folder is not scanned, so it counts for nothing, whatever size the file system gives it.
std::uint64_t entrySize(IResource* entry) {
    if (entry->isDirectory()) return 0;
    std::uint32_t high = 0;
    std::uint32_t low = 0;
    entry->getSize(&high, &low);
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

// The same cause in other words for each find (its file name, its offset) is still one cause.
std::string withoutDigits(std::string text) {
    text.erase(std::remove_if(text.begin(), text.end(),
                              [](char c) { return c >= '0' && c <= '9'; }),
               text.end());
    return text;
}

std::string replaced(std::string text, const std::string& what, const std::string& with) {
    if (what.empty()) return text;
    for (std::size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + with.size())) {
        text.replace(at, what.size(), with);
    }
    return text;
}

// The bytes of a candidate handed to its call from the block in memory: most candidates that a
// plug-in rejects read no further.
constexpr std::uint32_t headBytes = 2048;

}  // namespace

// A candidate out on a checking thread, or a "PROCESSING" boundary passed after one.
struct ExtractRun::Pending : CheckPool::Task {
    bool boundary = false;
    std::uint64_t position = 0;
    std::uint32_t slot = 0;
    IExtractPlugin* plugin = nullptr;
    const PluginExtension* extension = nullptr;
    std::vector<std::unique_ptr<CallInput>>* inputs = nullptr;
    std::string inputPath;
    std::string kind;
    std::string folder;
    std::string lostFolder;
    bool checked = false;
    bool retried = false;
    // Made again through the run's own input.
    bool throughRun = false;
    std::string temporary;
    std::vector<unsigned char> head;
    ExtractCall call{};
    char message[1024] = {};
    bool threw = false;
    std::string thrown;

    void check(unsigned worker) override { run(*(*inputs)[worker]); }

    // through: the services to read with in place of input's.
    void run(CallInput& input, const ExtractHost* through = nullptr) {
        call = ExtractCall{};
        call.size = sizeof(ExtractCall);
        call.inputPath = inputPath.c_str();
        call.offset = position;
        call.outputPath = temporary.c_str();
        call.host = through != nullptr ? through : input.host();
        call.message = message;
        call.messageCapacity = sizeof message;
        message[0] = '\0';
        threw = false;
        input.begin(head.data(), static_cast<std::uint32_t>(head.size()), position);
        try {
            extension->extractCall(plugin, &call);
        } catch (const std::exception& e) {
            threw = true;
            thrown = e.what();
        } catch (...) {
            threw = true;
        }
        input.end();
    }
};

ExtractRun::ExtractRun(ExtractModel& model, std::uint64_t job)
    : model(model), job(job), host(model.configModel, [&model, job] { return model.isCancelled(job); }) {}

ExtractRun::~ExtractRun() = default;

template <class Result, class Call>
bool ExtractRun::guarded(ActivePlugin& plugin, const char* operation, Call&& call, Result& result) {
    try {
        result = call();
        return true;
    } catch (const std::exception& e) {
        leaveOut(plugin, operation, e.what());
    } catch (...) {
        leaveOut(plugin, operation, std::string());
    }
    return false;
}

void ExtractRun::execute() {
    try {
        perform();
    } catch (const Exception& e) {
        fail(e.getMessage());
    } catch (const std::bad_alloc&) {
        fail("メモリが足りません。");
    } catch (const std::exception& e) {
        fail(std::string("予期しないエラーが起きました（") + e.what() + "）。");
    } catch (...) {
        fail("予期しないエラーが起きました。");
    }
    // No call may still be out when the plug-ins lose their host.
    try {
        dropPending();
    } catch (...) {
    }
    pool.reset();
    // Every input gives its claims and empty folders back as it ends; here, what a run that
    // ended early still held.
    try {
        if (names) names->giveBack();
    } catch (...) {
    }
    withdrawHost();
}

void ExtractRun::perform() {
    model.currentFileIndex.store(0, relaxed);
    model.extractedCount.store(0, relaxed);
    model.currentFileSize.store(0, relaxed);
    model.currentPosition.store(0, relaxed);
    model.processedSize.store(0, relaxed);
    model.report.clear();
    {
        const std::lock_guard<std::mutex> lock(model.jobMutex);
        outputDirectory = model.outputDirectory;
        inputs = model.inputFiles;
        kinds = model.extractedKinds;
        excluded = model.excludedPlugins;
    }
    // A cancel announced before the worker got here: nobody watches this job any more.
    if (cancelled()) return;

    // No library goes while this run may call into it, up to the withdrawal of its host.
    pluginHold = model.pluginModel->holdPlugins();
    model.configModel->load();
    host.takeSettings();
    folderPerFile = model.configModel->isCreateDirPerFile();
    folderPerKind = model.configModel->isCreateDirPerData();
    keepDamaged = model.configModel->isKeepDamaged();
    volumeChoice.readFileSystems = model.configModel->isReadFileSystems();
    volumeChoice.carveWholeVolumes = model.configModel->isCarveWholeVolumes();
    volumeChoice.volumes = model.configModel->getVolumeChoice();
    model.pluginModel->loadPlugins(model.configModel);
    // A library left out at the load (one that threw in setConfig among them) is told as a
    // plug-in left out in the run is.
    for (const PluginLoadFailure& failure : model.pluginModel->getLoadFailures()) {
        problem("load:" + failure.path, "プラグイン「" + failure.path + "」は使用しません：" + failure.reason);
    }
    selectPlugins();
    refillStep = 999 * static_cast<std::uint64_t>(scanWindow);

    factory = createGlintfetchFactory();
    inputEntry = factory->createResource();
    folderEntry = factory->createResource();
    targetEntry = factory->createResource();
    outputEntry = factory->createResource();
    names = std::make_unique<OutputNames>(factory->createResource(), factory->createResource());
    payload = factory->createValueObject();
    foundPayload = factory->createValueObject();
    IGlintfetchFactory* made = factory.get();
    buffer = std::make_unique<ScanBuffer>([made] { return made->createMemory(); },
                                          [made] { return made->createRandomAccessFile(); });
    runInput = std::make_unique<RunInput>(*buffer, factory->createRandomAccessFile(), factory->createMemory());
    metadataWriter = std::make_unique<MetadataWriter>(factory->createResource(),
                                                      factory->createWritableRandomAccessFile(), factory->createMemory());
    listedPayload = factory->createValueObject();
    startChecking();

    say("START", "抽出開始");
    started = true;
    for (const std::string& line : heldLines) say("PROCESSING", line);
    heldLines.clear();

    if (active.empty()) {
        // Walking the inputs would find nothing and only take time.
        finish(RunReport::Ending::failed, "有効なプラグインがないため、何も調べられません。");
        return;
    }
    buffer->reserve(ScanBuffer::positionsFor(ExtractModel::blockPositions, scanWindow, ExtractModel::bufferBudget),
                    scanWindow, ExtractModel::bufferBudget, &matcher);

    for (std::uint32_t index = 0; index < inputs.size() && !cancelled(); ++index) {
        model.currentFileIndex.store(index, relaxed);
        scanInput(inputs[index]);
        model.currentFileIndex.store(index + 1, relaxed);
    }
    finish(cancelled() ? RunReport::Ending::aborted : RunReport::Ending::completed);
}

void ExtractRun::selectPlugins() {
    const unsigned count = model.pluginModel->getPluginCount();
    for (unsigned i = 0; i < count; ++i) {
        ActivePlugin candidate{model.pluginModel->getPlugin(i), model.pluginModel->getExtension(i),
                               std::string(), 0, true, true, false};
        const char* name = nullptr;
        if (!guarded(candidate, "getName", [&] { return candidate.plugin->getName(); }, name)) continue;
        candidate.name = pluginText(name);
        if (!excluded.empty()) {
            const char* id = nullptr;
            if (!guarded(candidate, "getID", [&] { return candidate.plugin->getID(); }, id)) continue;
            if (std::find(excluded.begin(), excluded.end(), pluginText(id)) != excluded.end()) continue;
        }
        bool enabled = false;
        if (!guarded(candidate, "isEnabled", [&] { return candidate.plugin->isEnabled(); }, enabled) ||
            !enabled) {
            continue;
        }
        if (!guarded(candidate, "getWindowSize", [&] { return candidate.plugin->getWindowSize(); },
                     candidate.window)) {
            continue;
        }
        // detect would get a pointer to no storage for a window of 0, and a larger window than
        // the limit would take the run's buffer past its bound.
        if (candidate.window == 0 || candidate.window > ExtractModel::maxWindowSize) {
            tell("プラグイン「" + candidate.name + "」のウィンドウサイズ " +
                 std::to_string(candidate.window) + " バイトは扱えないため、このプラグインは使用しません。");
            model.report.addProblem("window:" + candidate.name);
            continue;
        }
        active.push_back(candidate);
        scanWindow = std::max(scanWindow, candidate.window);
    }

    for (std::uint32_t slot = 0; slot < active.size(); ++slot) {
        ActivePlugin& plugin = active[slot];
        if (plugin.extension.takesHost()) {
            bool done = false;
            plugin.hosted = guarded(plugin, "setHost", [&] {
                plugin.extension.setHost(plugin.plugin, host.table());
                return true;
            }, done);
        }
        if (plugin.usable && model.signaturesUsed.load()) declareSignatures(slot);
        if (plugin.usable && plugin.everyPosition) everyPosition.push_back(slot);
    }
    // Before "START": the scan's own time starts there.
    matcher.prepare();
}

void ExtractRun::declareSignatures(std::uint32_t slot) {
    ActivePlugin& plugin = active[slot];
    if (!plugin.extension.declaresSignatures()) return;
    const ExtractSignature* signatures = nullptr;
    int count = -1;
    if (!guarded(plugin, "getSignatures",
                 [&] { return plugin.extension.getSignatures(plugin.plugin, &signatures); }, count) ||
        count < 0) {
        return;
    }
    for (int i = 0; i < count; ++i) {
        const ExtractSignature& signature = signatures[i];
        if (signature.length == 0 || signature.bytes == nullptr ||
            std::uint64_t{signature.offset} + signature.length > plugin.window) {
            // Trusting a broken declaration would skip positions the plug-in wants.
            tell("プラグイン「" + plugin.name +
                 "」のシグネチャの宣言が正しくないため、このプラグインにはすべての位置を調べさせます。");
            return;
        }
    }
    matcher.add(slot, signatures, static_cast<unsigned>(count));
    plugin.everyPosition = false;
}

void ExtractRun::scanInput(const std::string& path) {
    inputEntry->setPath(path);
    say("DETECTED", inputEntry->getPath() + "から抽出中...");
    try {
        // What the framework would call no file alike, the user is told apart.
        switch (inputEntry->getKind()) {
        case ResourceKind::none:
            throw IOException("ファイルが見つかりません。", "ExtractRun::scanInput");
        case ResourceKind::directory:
            throw IOException("フォルダーです。中のファイルを入力に加えて下さい。", "ExtractRun::scanInput");
        default:
            break;
        }
        const std::uint64_t size = entrySize(inputEntry);
        model.currentFileSize.store(size, relaxed);
        buffer->open(inputEntry, size);
        runInput->open(inputEntry, size);
        forgetFolders();
        openCallInputs(size);
        readFileSystems();
        scanFile(size);
        // The finds of the input are taken in before its end is told.
        if (cancelled()) {
            dropPending();
        } else {
            settleAll();
            if (size > 0) advanceTo(size);
        }
        // No reader may still hold the input when its entry moves on to the next one.
        buffer->settle();
        volumePlan.close();
        metadataWriter->clear();
        tellUnreadable(inputEntry->getPath());
        if (!cancelled()) say("EXTRACTED", "");
    } catch (const IOException& e) {
        // What was found before the failure stands, as the finds of a run on one thread would.
        if (cancelled()) {
            dropPending();
        } else {
            settleAll();
        }
        buffer->settle();
        volumePlan.close();
        metadataWriter->clear();
        tellUnreadable(inputEntry->getPath());
        model.report.addFailedInput(path, e.getMessage());
        say("PROCESSING", "エラー発生：" + e.getMessage());
    }
    // The per-file folder and the claims in it are this input's alone.
    names->giveBack();
}

void ExtractRun::tellUnreadable(const std::string& path) {
    const UnreadableRanges unreadable = runInput->unreadable();
    for (const ByteRange& range : unreadable.ranges()) {
        model.report.addUnreadable(path, range.offset, range.length);
        model.report.addProblem("unreadable:" + path);
        const std::string offset = std::to_string(range.offset);
        const std::string length = std::to_string(range.length);
        foundPayload->setValue("status", "UNREADABLE");
        foundPayload->setValue("log", "エラー発生：「" + path + "」の位置 " + offset + " から " + length +
                                          " バイトを読み込めませんでした（ゼロとして扱い、その先を続けました）。");
        foundPayload->setValue("inputFile", path);
        foundPayload->setValue("offset", offset);
        foundPayload->setValue("size", length);
        model.notify(job, foundPayload, false);
    }
}

void ExtractRun::scanFile(std::uint64_t size) {
    processedBefore = model.processedSize.load(relaxed);
    model.currentPosition.store(0, relaxed);
    nextBoundary = refillStep;
    for (std::uint64_t start = 0; start < size; start += buffer->blockSize()) {
        if (cancelled()) return;
        if (std::none_of(active.begin(), active.end(), [](const ActivePlugin& p) { return p.usable; })) {
            // Every plug-in has been left out: the rest is walked without being read, as the
            // scan would tell it.
            advanceTo(size);
            return;
        }
        buffer->load(start);
        const unsigned char* data = buffer->data();
        const std::uint32_t count = buffer->positions();
        // The readers matched the block, or its first part when the candidates grew too many.
        const std::vector<SignatureMatcher::Candidate>& ahead = buffer->candidates();
        const std::uint32_t matched = std::min(buffer->matchedUpTo(), count);
        if (!offerRange(start, data, 0, matched, ahead.data(), ahead.data() + ahead.size())) return;
        for (std::uint32_t part = matched; part < count; part += ScanBuffer::matchPositions) {
            const std::uint32_t length = std::min(ScanBuffer::matchPositions, count - part);
            candidates.clear();
            matcher.find(data + part, length, candidates);
            for (SignatureMatcher::Candidate& candidate : candidates) candidate.position += part;
            if (!offerRange(start, data, part, part + length, candidates.data(),
                            candidates.data() + candidates.size())) {
                return;
            }
        }
        // The calls of the block are not left waiting for the next one.
        if (pool) pool->wake();
        if (!advanceTo(start + count)) return;
    }
}

void ExtractRun::readFileSystems() {
    volumePlan.open(inputEntry->getPath(), volumeChoice);
    if (!volumePlan.problem().empty()) tell(volumePlan.problem());
    IDiskContents* disk = volumePlan.contents();
    if (disk == nullptr || disk->volumes().empty()) return;
    tellVolumes();
    folderEntry->setPath(outputDirectory);
    std::string folder = folderEntry->getPath();
    if (!folderEntry->isDirectory()) {
        problem("folder:" + folder, folderEntry->exists() ? "出力先「" + folder + "」はフォルダーではありません。"
                                                         : "出力先のフォルダー「" + folder + "」がありません。");
        return;
    }
    if (folderPerFile) folder += "/" + inputEntry->getName();
    MetadataWriter::Listener listener;
    listener.told = [this](const MetadataWriter::Outcome& outcome) { tellRecovered(outcome); };
    listener.cancelled = [this] { return cancelled(); };
    const unsigned before = model.report.recoveredCount();
    metadataWriter->write(volumePlan, folder, listener);
    tell("ファイルシステムから " + std::to_string(model.report.recoveredCount() - before) +
         " 件を元の名前で復元しました。" +
         (volumePlan.leftOutBytes() > 0
              ? "探索は、復元したファイルの場所（" + std::to_string(volumePlan.leftOutBytes()) + " バイト）を除いて行います。"
              : std::string("探索は全体に行います。")));
}

void ExtractRun::tellVolumes() {
    const std::vector<IDiskContents::Volume>& volumes = volumePlan.contents()->volumes();
    for (std::uint32_t v = 0; v < volumes.size(); ++v) {
        const IDiskContents::Volume& volume = volumes[v];
        std::string line = "「" + volume.name + "」：" + volume.type + "、位置 " + std::to_string(volume.offset) +
                           "、大きさ " + std::to_string(volume.size) + " バイト";
        if (!volume.label.empty()) line += "、ラベル「" + volume.label + "」";
        if (!volumePlan.isChosen(v)) {
            line += "（対象外）";
        } else if (!volume.problem.empty()) {
            line += "：" + volume.problem + (volume.readable ? "" : "このボリュームは探索だけ行います。");
        }
        tell(line);
    }
}

void ExtractRun::tellRecovered(const MetadataWriter::Outcome& outcome) {
    const IDiskContents::File& file = *outcome.file;
    const std::string original = outcome.volume + "/" + outcome.originalPath;
    std::string offsets;
    for (const IDiskContents::Run& run : file.runs) {
        if (!offsets.empty()) offsets += ",";
        offsets += std::to_string(run.offset) + ":" + std::to_string(run.length);
    }
    const std::string offset = file.runs.empty() ? std::string() : std::to_string(file.runs.front().offset);
    const char* contents = file.contents == IDiskContents::Contents::intact    ? "intact"
                           : file.contents == IDiskContents::Contents::guessed ? "guessed"
                           : file.contents == IDiskContents::Contents::reused  ? "reused"
                                                                               : "unknown";
    const std::size_t dot = file.name.rfind('.');
    std::string kind = dot != std::string::npos && dot + 1 < file.name.size() ? file.name.substr(dot + 1) : "";
    for (char& c : kind) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    IValueObject* payload = outcome.outputPath.empty() ? listedPayload : foundPayload;
    if (outcome.outputPath.empty()) {
        if (file.deleted) {
            model.report.addUnrecovered();
        } else {
            model.report.addUnwritten();
        }
        payload->setValue("status", "LISTED");
        payload->setValue("log", std::string(file.deleted ? "削除済みの" : "") + "「" + original +
                                     "」は復元できません：" + outcome.reason);
    } else {
        model.report.addRecovered(file.deleted);
        payload->setValue("status", "FOUND");
        std::string line = "「" + original + "」を復元しました";
        if (file.deleted) {
            line += file.contents == IDiskContents::Contents::guessed
                        ? "（削除済み。断片の場所は推定です）"
                        : "（削除済み）";
        }
        payload->setValue("log", line + " → " + outcome.outputPath);
    }
    payload->setValue("kind", kind);
    payload->setValue("inputFile", inputEntry->getPath());
    payload->setValue("offset", offset);
    payload->setValue("size", std::to_string(file.size));
    payload->setValue("outputFile", outcome.outputPath);
    payload->setValue("damaged", "false");
    payload->setValue("method", "filesystem");
    payload->setValue("originalPath", original);
    payload->setValue("state", file.deleted ? "deleted" : "live");
    payload->setValue("contents", contents);
    payload->setValue("offsets", offsets);
    model.notify(job, payload, false);
}

bool ExtractRun::matchCarved(std::uint64_t position, std::uint64_t size, std::string& outputName,
                             MetadataWriter::Outcome& named) {
    if (volumePlan.contents() == nullptr) return false;
    const MetadataWriter::Carved carved = metadataWriter->takeCarved(position, size, outputName, named);
    if (carved != MetadataWriter::Carved::duplicate) return false;
    model.report.addDuplicate();
    return true;
}

// The positions from begin to end of the block at start, with the matcher's candidates there
// (relative to the block, ascending, none before begin). False once the run is cancelled.
bool ExtractRun::offerRange(std::uint64_t start, const unsigned char* data, std::uint32_t begin, std::uint32_t end,
                            const SignatureMatcher::Candidate* next, const SignatureMatcher::Candidate* last) {
    for (std::uint32_t p = begin; p < end && !everyPosition.empty(); ++p) {
        const SignatureMatcher::Candidate* here = next;
        while (next != last && next->position == p) ++next;
        if (!advanceTo(start + p)) return false;
        offer(start + p, data + p, here, next);
        if (!advanceTo(start + p + 1)) return false;
        // A plug-in left out costs the walk of every position no more.
        if (leftOutSince) {
            leftOutSince = false;
            everyPosition.erase(std::remove_if(everyPosition.begin(), everyPosition.end(),
                                               [this](std::uint32_t slot) { return !active[slot].usable; }),
                                everyPosition.end());
        }
    }
    // The candidates past the positions walked one by one.
    while (next != last && next->position < end) {
        const SignatureMatcher::Candidate* here = next;
        const std::uint32_t p = here->position;
        while (next != last && next->position == p) ++next;
        if (!advanceTo(start + p)) return false;
        offer(start + p, data + p, here, next);
        if (!advanceTo(start + p + 1)) return false;
    }
    return true;
}

// Moves the scan to position, telling "PROCESSING" at every multiple of the refill step it passes
// or reaches, as a scan that refills its buffer there would. False once the run is cancelled.
bool ExtractRun::advanceTo(std::uint64_t position) {
    // Answers that are in are taken as the scan goes, so that the finds are told soon.
    while (!pending.empty() && settleNext(false)) {
    }
    while (nextBoundary <= position) {
        if (!pending.empty()) {
            // Told after the finds before it, when their answers are in.
            auto boundary = std::make_unique<Pending>();
            boundary->boundary = true;
            boundary->position = nextBoundary;
            pending.push_back(std::move(boundary));
            nextBoundary += refillStep;
            continue;
        }
        tellBoundary(nextBoundary);
        nextBoundary += refillStep;
        if (cancelled()) return false;
    }
    // With answers out, the counters stand where the last one taken left them.
    if (pending.empty()) {
        model.currentPosition.store(position, relaxed);
        model.processedSize.store(processedBefore + position, relaxed);
    }
    return !cancelled();
}

void ExtractRun::tellBoundary(std::uint64_t boundary) {
    model.currentPosition.store(boundary, relaxed);
    model.processedSize.store(processedBefore + boundary, relaxed);
    say("PROCESSING", "");
}

// The plug-ins offered every position and those whose signature matched here, in index order.
void ExtractRun::offer(std::uint64_t position, const unsigned char* window,
                       const SignatureMatcher::Candidate* matched,
                       const SignatureMatcher::Candidate* end) {
    std::size_t every = 0;
    while (every < everyPosition.size() || matched != end) {
        std::uint32_t slot;
        if (matched == end || (every < everyPosition.size() && everyPosition[every] < matched->slot)) {
            slot = everyPosition[every++];
        } else {
            slot = (matched++)->slot;
        }
        ActivePlugin& plugin = active[slot];
        if (!plugin.concurrent && !pending.empty() && pending.back()->position == position) {
            // A plug-in of the first contract is asked here only when no plug-in before it found
            // data here, as on one thread.
            settleAllAt(position);
            if (wonAt(position)) return;
        }
        if (!plugin.usable) continue;
        // Where a live file lies, its copy by name stands for whatever the carving would find.
        if (!volumePlan.carves(position)) return;
        bool hit = false;
        if (!guarded(plugin, "detect", [&] { return plugin.plugin->detect(window); }, hit)) continue;
        if (!hit) continue;
        if (plugin.concurrent) {
            // A plug-in of the first contract still to be asked here would wait for this answer
            // at once: it is found here, with none of the cost of handing it over.
            bool sequentialAfter = false;
            for (std::size_t e = every; e < everyPosition.size() && !sequentialAfter; ++e) {
                sequentialAfter = active[everyPosition[e]].usable && !active[everyPosition[e]].concurrent;
            }
            for (const SignatureMatcher::Candidate* m = matched; m != end && !sequentialAfter; ++m) {
                sequentialAfter = active[m->slot].usable && !active[m->slot].concurrent;
            }
            dispatch(plugin, slot, position, window, sequentialAfter);
            continue;
        }
        // Its find is numbered after every find before it.
        settleAllAt(position);
        if (extractAt(plugin, position)) return;
    }
}

bool ExtractRun::extractAt(ActivePlugin& plugin, std::uint64_t position) {
    const char* kindText = nullptr;
    if (!guarded(plugin, "getKind", [&] { return plugin.plugin->getKind(); }, kindText)) return false;
    const std::string kind = pluginText(kindText);
    if (!kinds.empty() && std::find(kinds.begin(), kinds.end(), kind) == kinds.end()) return false;
    const std::string inputPath = inputEntry->getPath();
    std::string lostFolder;
    std::string folder;
    std::string outputName;
    unsigned result = 0;
    int failure = EXTRACT_NOTHING_FOUND;
    std::string message;
    bool askedAgain = false;
    for (;;) {
        bool checked = false;
        folder = knownFolder(kind, lostFolder, checked);
        outputName = names->claim(folder, kind);
        if (outputName.empty()) {
            if (!checked) {
                // The folder was taken as made from an earlier find; it has gone since.
                forgetFolders();
                lostFolder.clear();
                continue;
            }
            // The folder takes no file: the plug-in cannot write there either, and can only say
            // why. Nothing at that name is the run's, so nothing there is removed.
            outputName = names->unclaimed(folder, kind);
        }
        result = callExtract(plugin, position, inputPath, outputName);
        if (result > 0) break;
        failure = failureOf(plugin, message);
        const OutputNames::Leftover left = discard(plugin, failure);
        // A write broken by its folder's going gets a second chance in the folder made anew. A
        // plug-in that cannot say why it failed is taken to have been writing when its claim
        // went with the folder.
        const bool mayHaveWritten = failure == EXTRACT_OUTPUT_FAILED ||
                                    (plugin.usable && !plugin.extension.reportsFailures());
        if (askedAgain || !mayHaveWritten || left != OutputNames::Leftover::gone ||
            !isFolderMissing(folder)) {
            break;
        }
        askedAgain = true;
        forgetFolders();
        lostFolder.clear();
    }
    std::uint32_t high = 0;
    std::uint32_t low = 0;
    bool damaged = false;
    if (result > 0) {
        outputEntry->setPath(outputName);
        if (outputEntry->exists()) outputEntry->getSize(&high, &low);
        if (!keepsFind(position, (static_cast<std::uint64_t>(high) << 32) | low, kind, outputName, damaged)) {
            return false;
        }
    }
    if (result > 0) {
        // A cancel announced while the plug-in wrote has told its summary already: the find would
        // be in the folder and in no report. Held against the announcement, so either both know
        // the find or neither, and then it goes (only while the file is still the run's own).
        const std::lock_guard<std::recursive_mutex> told(model.notifyMutex);
        if (cancelled()) {
            names->failed(false);
            return true;
        }
        const std::uint64_t size = (static_cast<std::uint64_t>(high) << 32) | low;
        MetadataWriter::Outcome named;
        if (matchCarved(position, size, outputName, named)) {
            // Its own copy goes: the file written by name holds the very same bytes.
            names->failed(false);
            return true;
        }
        names->found();
        announceFind(kind, position, inputPath, outputName, (static_cast<std::uint64_t>(high) << 32) | low, damaged,
                     &named);
        return true;
    }
    // The folders are looked at again before the next attempt.
    if (failure == EXTRACT_OUTPUT_FAILED) forgetFolders();
    if (plugin.usable) reportFailure(failure, message, outputName, folder, lostFolder);
    return false;
}

void ExtractRun::announceFind(const std::string& kind, std::uint64_t position, const std::string& inputPath,
                              const std::string& outputName, std::uint64_t size, bool damaged,
                              const MetadataWriter::Outcome* named) {
    won = true;
    wonPosition = position;
    model.extractedCount.store(model.extractedCount.load(relaxed) + 1, relaxed);
    model.report.addFound(kind);
    const std::string offset = std::to_string(position);
    foundPayload->setValue("status", "FOUND");
    foundPayload->setValue("log", kind + " を抽出しました：位置 " + offset + " → " + outputName +
                                      (damaged ? "（破損：読み込めない部分はゼロです）" : ""));
    foundPayload->setValue("damaged", damaged ? "true" : "false");
    foundPayload->setValue("kind", kind);
    foundPayload->setValue("inputFile", inputPath);
    foundPayload->setValue("offset", offset);
    foundPayload->setValue("size", std::to_string(size));
    foundPayload->setValue("outputFile", outputName);
    const bool deleted = named != nullptr && named->file != nullptr;
    if (deleted) {
        foundPayload->setValue("log", kind + " を抽出しました：位置 " + offset + "（削除済みの「" + named->volume + "/" +
                                          named->originalPath + "」）→ " + outputName);
    }
    foundPayload->setValue("method", "carving");
    foundPayload->setValue("originalPath", deleted ? named->volume + "/" + named->originalPath : std::string());
    foundPayload->setValue("state", deleted ? std::string("deleted") : std::string());
    foundPayload->setValue("offsets", offset + ":" + std::to_string(size));
    foundPayload->setValue("contents", "");
    model.notify(job, foundPayload, false);
}

unsigned ExtractRun::callExtract(ActivePlugin& plugin, std::uint64_t position, const std::string& inputPath,
                                 const std::string& outputName) {
    unsigned result = 0;
    host.setInput(runInput.get());
    if (!guarded(plugin, "extract", [&] {
            return plugin.plugin->extract(inputPath.c_str(), static_cast<unsigned>(position >> 32),
                                          static_cast<unsigned>(position), outputName.c_str());
        }, result)) {
        result = 0;
    }
    host.setInput(nullptr);
    return result;
}

bool ExtractRun::keepsFind(std::uint64_t position, std::uint64_t size, const std::string& kind,
                           const std::string& outputName, bool& damaged) {
    damaged = runInput->touchesUnreadable(position, size);
    if (!damaged) return true;
    model.report.addDamaged(keepDamaged);
    if (keepDamaged) {
        tell("エラー発生：位置 " + std::to_string(position) + " の " + kind +
             " は読み込めない部分を含むため、そこをゼロで埋めて書き出しました（破損）：" + outputName);
        return true;
    }
    // As for an attempt that wrote no find: what it wrote goes, while it is still the run's own.
    names->failed(false);
    tell("エラー発生：位置 " + std::to_string(position) + " の " + kind +
         " は読み込めない部分を含むため、書き出しませんでした。");
    return false;
}

// Why the plug-in's last extract returned 0, as far as it can tell.
int ExtractRun::failureOf(ActivePlugin& plugin, std::string& message) {
    message.clear();
    int failure = EXTRACT_NOTHING_FOUND;
    if (!plugin.usable || !plugin.extension.reportsFailures() ||
        !guarded(plugin, "getExtractFailure",
                 [&] { return plugin.extension.getExtractFailure(plugin.plugin, message); }, failure)) {
        return EXTRACT_NOTHING_FOUND;
    }
    return failure;
}

// A library that promised to leave nothing is taken at its word, and nothing is looked at, unless
// its call threw or it says the write failed or was cancelled: it may then have left a part, or
// removed what it began and the run's claim with it.
OutputNames::Leftover ExtractRun::discard(const ActivePlugin& plugin, int failure) {
    return names->failed(plugin.usable && failure == EXTRACT_NOTHING_FOUND &&
                         plugin.extension.leavesNothingOnFailure());
}

void ExtractRun::reportFailure(int failure, std::string message, const std::string& outputName,
                               const std::string& folder, const std::string& lostFolder) {
    if (failure == EXTRACT_OUTPUT_FAILED) {
        model.report.addUnwritten();
        // A folder that could not be made has been told already: it is the cause.
        const std::string cause =
            lostFolder.empty() ? "output:" + folder + ":" + replaced(message, outputName, "")
                               : "folder:" + lostFolder;
        if (message.empty()) message = "出力ファイル「" + outputName + "」を書き込めません。";
        problem(cause, message + "同じ原因で書き込めないものは、件数を最後に示します。");
    } else if (failure == EXTRACT_INPUT_FAILED) {
        const std::string inputPath = inputEntry->getPath();
        if (message.empty()) message = "入力ファイル「" + inputPath + "」を読み込めません。";
        if (model.report.addProblem("input:" + inputPath + ":" + withoutDigits(message))) {
            model.report.addFailedInput(inputPath, message);
            tell("エラー発生：" + message);
        }
    }
}

std::string ExtractRun::knownFolder(const std::string& kind, std::string& lost, bool& checked) {
    for (const auto& known : knownFolders) {
        if (known.first == kind) {
            checked = false;
            return known.second;
        }
    }
    checked = true;
    std::string folder = targetFolder(kind, lost);
    if (lost.empty()) knownFolders.emplace_back(kind, folder);
    return folder;
}

void ExtractRun::forgetFolders() { knownFolders.clear(); }

std::string ExtractRun::targetFolder(const std::string& kind, std::string& lost) {
    folderEntry->setPath(outputDirectory);
    const std::string root = folderEntry->getPath();
    if (!folderEntry->isDirectory()) {
        lost = root;
        problem("folder:" + root, folderEntry->exists()
                                      ? "出力先「" + root + "」はフォルダーではありません。"
                                      : "出力先のフォルダー「" + root + "」がありません。");
    }
    if (folderPerFile) {
        folderEntry->setPath(root + "/" + inputEntry->getName());
        if (lost.empty()) ensureFolder(folderEntry, lost);
    }
    if (folderPerKind) {
        targetEntry->setPath(folderEntry->getPath() + "/" + kind);
        if (lost.empty()) ensureFolder(targetEntry, lost);
    } else {
        targetEntry->setPath(folderEntry->getPath());
    }
    return targetEntry->getPath();
}

bool ExtractRun::ensureFolder(IResource* entry, std::string& lost) {
    if (entry->isDirectory()) return true;
    const std::string path = entry->getPath();
    if (!entry->exists() && entry->createDirectory()) {
        names->madeFolder(path);
        return true;
    }
    entry->setPath(path);
    // Made meanwhile by someone else: as good as made here.
    if (entry->isDirectory()) return true;
    lost = path;
    problem("folder:" + path, entry->exists()
                                  ? "フォルダー「" + path + "」を作れません：同じ名前のファイルがあります。"
                                  : "フォルダー「" + path + "」を作れません。");
    return false;
}

bool ExtractRun::isFolderMissing(const std::string& folder) {
    folderEntry->setPath(folder);
    return !folderEntry->isDirectory();
}

void ExtractRun::startChecking() {
    const unsigned threads = model.checkThreadCount();
    bool anyConcurrent = false;
    for (ActivePlugin& plugin : active) {
        plugin.concurrent = threads > 0 && plugin.usable && plugin.extension.checksConcurrently();
        anyConcurrent = anyConcurrent || plugin.concurrent;
    }
    if (!anyConcurrent) return;
    std::random_device random;
    char prefix[40];
    std::snprintf(prefix, sizeof prefix, ".glintfetch-%08x%08x-", random(), random());
    temporaryPrefix = prefix;
    const std::uint64_t job = this->job;
    ExtractModel* owner = &model;
    // The threads' own inputs, and the run's last, for the calls it makes again itself.
    for (unsigned i = 0; i <= threads; ++i) {
        callInputs.push_back(std::make_unique<CallInput>(factory->createResource(), factory->createRandomAccessFile(),
                                                         factory->createMemory(),
                                                         [owner, job] { return owner->isCancelled(job); }));
    }
    pool = std::make_unique<CheckPool>(threads);
}

void ExtractRun::openCallInputs(std::uint64_t size) {
    won = false;
    std::uint64_t minimum = 0;
    std::uint64_t maximum = UINT64_MAX;
    host.takenWindow(minimum, maximum);
    for (const auto& input : callInputs) input->open(inputEntry->getPath(), size, minimum, maximum);
}

void ExtractRun::dispatch(ActivePlugin& plugin, std::uint32_t slot, std::uint64_t position,
                          const unsigned char* window, bool here) {
    const char* kindText = nullptr;
    if (!guarded(plugin, "getKind", [&] { return plugin.plugin->getKind(); }, kindText)) return;
    if (!kinds.empty() && std::find(kinds.begin(), kinds.end(), pluginText(kindText)) == kinds.end()) return;
    std::unique_ptr<Pending> call;
    if (spare.empty()) {
        call = std::make_unique<Pending>();
    } else {
        call = std::move(spare.back());
        spare.pop_back();
        call->retried = false;
        call->throughRun = false;
        call->lostFolder.clear();
    }
    call->position = position;
    call->slot = slot;
    call->plugin = plugin.plugin;
    call->extension = &plugin.extension;
    call->inputs = &callInputs;
    call->inputPath = inputEntry->getPath();
    call->kind = pluginText(kindText);
    const bool cached = std::any_of(knownFolders.begin(), knownFolders.end(),
                                    [&](const auto& known) { return known.first == call->kind; });
    // A folder looked at anew may tell of a problem, which comes after the finds before it.
    if (!cached) settleAll();
    call->folder = knownFolder(call->kind, call->lostFolder, call->checked);
    call->temporary = call->folder + "/" + temporaryPrefix + std::to_string(temporaryCount++) + ".part";
    const std::uint64_t first = buffer->first();
    const std::uint64_t held = first + buffer->held() > position ? first + buffer->held() - position : 0;
    call->head.assign(window, window + std::min<std::uint64_t>(held, headBytes));
    Pending* made = call.get();
    pending.push_back(std::move(call));
    if (here) {
        pool->runHere(made);
        return;
    }
    pool->submit(made);
    while (pending.size() > pool->capacity()) settleNext(true);
}

bool ExtractRun::settleNext(bool wait) {
    if (pending.empty()) return false;
    Pending& next = *pending.front();
    if (!next.boundary) {
        if (wait) {
            pool->wait(&next);
        } else if (!pool->isFinished(&next)) {
            return false;
        }
    }
    std::unique_ptr<Pending> taken = std::move(pending.front());
    pending.pop_front();
    if (taken->boundary) {
        tellBoundary(taken->position);
    } else {
        settleCall(*taken);
        // Its buffers serve the next call.
        if (spare.size() < pool->capacity()) spare.push_back(std::move(taken));
    }
    return true;
}

void ExtractRun::settleAll() {
    while (settleNext(true)) {
    }
}

void ExtractRun::settleAllAt(std::uint64_t position) {
    if (pending.empty()) return;
    settleAll();
    // The counters stand where the scan is, as they would on one thread.
    model.currentPosition.store(position, relaxed);
    model.processedSize.store(processedBefore + position, relaxed);
}

void ExtractRun::settleCall(Pending& call) {
    ActivePlugin& plugin = active[call.slot];
    if (call.threw) {
        if (plugin.usable) leaveOut(plugin, "extractCall", call.thrown);
        removeTemporary(call, true);
        return;
    }
    if (!plugin.usable) {
        // Left out meanwhile: nothing more of it is asked, nor taken.
        removeTemporary(call, true);
        return;
    }
    int again = 0;
    if (wonAt(call.position)) {
        guarded(plugin, "settleCall", [&] { return plugin.extension.settleCall(plugin.plugin, &call.call, false); },
                again);
        removeTemporary(call, call.call.result > 0 || call.call.failure != EXTRACT_NOTHING_FOUND ||
                                  !plugin.extension.leavesNothingOnFailure());
        return;
    }
    model.currentPosition.store(call.position, relaxed);
    model.processedSize.store(processedBefore + call.position, relaxed);
    const bool written = call.call.result > 0;
    if (!guarded(plugin, "settleCall", [&] { return plugin.extension.settleCall(plugin.plugin, &call.call, true); },
                 again)) {
        removeTemporary(call, true);
        return;
    }
    if (again != 0 || (written && call.call.result == 0)) removeTemporary(call, true);
    if (again != 0) {
        callHere(call);
        if (call.threw) {
            leaveOut(plugin, "extractCall", call.thrown);
            removeTemporary(call, true);
            return;
        }
        int ignored = 0;
        if (!guarded(plugin, "settleCall",
                     [&] { return plugin.extension.settleCall(plugin.plugin, &call.call, true); }, ignored)) {
            removeTemporary(call, true);
            return;
        }
    }
    commitCall(plugin, call);
}

// The call once more on the run's thread, taken as soon as it answers.
void ExtractRun::askAgainHere(ActivePlugin& plugin, Pending& call) {
    callHere(call);
    int ignored = 0;
    if (call.threw) {
        leaveOut(plugin, "extractCall", call.thrown);
        removeTemporary(call, true);
        return;
    }
    if (!guarded(plugin, "settleCall",
                 [&] { return plugin.extension.settleCall(plugin.plugin, &call.call, true); }, ignored)) {
        removeTemporary(call, true);
        return;
    }
    commitCall(plugin, call);
}

void ExtractRun::commitCall(ActivePlugin& plugin, Pending& call) {
    if (call.call.result > 0) {
        std::string folder = call.folder;
        std::string lost = call.lostFolder;
        std::string outputName = names->claim(folder, call.kind);
        if (outputName.empty() && !call.checked) {
            // The folder was taken as made from an earlier find; it has gone since.
            forgetFolders();
            lost.clear();
            bool checked = false;
            folder = knownFolder(call.kind, lost, checked);
            outputName = names->claim(folder, call.kind);
        }
        outputEntry->setPath(call.temporary);
        std::uint32_t high = 0;
        std::uint32_t low = 0;
        if (outputEntry->exists()) outputEntry->getSize(&high, &low);
        const std::uint64_t size = (static_cast<std::uint64_t>(high) << 32) | low;
        std::string carved = call.temporary;
        MetadataWriter::Outcome named;
        if (matchCarved(call.position, size, carved, named) || named.file != nullptr) {
            // The same bytes as a file written by name go; a find that is a lost deleted file has
            // been moved to that file's name. Either way the claim stays for the next find.
            if (named.file == nullptr) removeTemporary(call, true);
            if (!outputName.empty()) names->failed(false);
            if (named.file != nullptr) announceFind(call.kind, call.position, call.inputPath, carved, size, false, &named);
            return;
        }
        if (!outputName.empty() && runInput->touchesUnreadable(call.position, size)) {
            bool damaged = false;
            if (!keepsFind(call.position, size, call.kind, outputName, damaged)) {
                removeTemporary(call, true);
                return;
            }
            outputEntry->setPath(call.temporary);
            if (outputEntry->renameTo(outputName)) {
                names->found();
                announceFind(call.kind, call.position, call.inputPath, outputName, size, damaged);
                return;
            }
        } else if (!outputName.empty() && outputEntry->renameTo(outputName)) {
            names->found();
            announceFind(call.kind, call.position, call.inputPath, outputName, size, false);
            return;
        }
        if (outputName.empty()) {
            outputName = names->unclaimed(folder, call.kind);
        } else {
            names->failed(false);
        }
        removeTemporary(call, true);
        forgetFolders();
        reportFailure(EXTRACT_OUTPUT_FAILED, std::string(), outputName, folder, lost);
        return;
    }
    if (call.call.failure == EXTRACT_INPUT_FAILED && !call.throughRun) {
        // The run's own input reads past unreadable sectors as the scan does; asked through it,
        // the call answers as on one thread.
        removeTemporary(call, true);
        call.throughRun = true;
        askAgainHere(plugin, call);
        return;
    }
    const int failure = call.call.failure;
    const std::string outputName = names->unclaimed(call.folder, call.kind);
    // The plug-in names the file it was given; the user is told the name the find would have had.
    const std::string message =
        failure != EXTRACT_NOTHING_FOUND ? replaced(call.message, call.temporary, outputName) : std::string();
    removeTemporary(call, !(failure == EXTRACT_NOTHING_FOUND && plugin.extension.leavesNothingOnFailure()));
    if (failure == EXTRACT_OUTPUT_FAILED && !call.retried && isFolderMissing(call.folder)) {
        // A write broken by its folder's going gets a second chance in the folder made anew.
        call.retried = true;
        forgetFolders();
        call.lostFolder.clear();
        call.folder = knownFolder(call.kind, call.lostFolder, call.checked);
        call.temporary = call.folder + "/" + temporaryPrefix + std::to_string(temporaryCount++) + ".part";
        askAgainHere(plugin, call);
        return;
    }
    if (failure == EXTRACT_OUTPUT_FAILED) forgetFolders();
    if (plugin.usable) reportFailure(failure, message, outputName, call.folder, call.lostFolder);
}

void ExtractRun::callHere(Pending& call) {
    call.head.clear();
    if (!call.throughRun) {
        call.run(*callInputs.back());
        return;
    }
    host.setInput(runInput.get());
    call.run(*callInputs.back(), host.table());
    host.setInput(nullptr);
}

void ExtractRun::removeTemporary(const Pending& call, bool look) {
    if (!look) return;
    outputEntry->setPath(call.temporary);
    if (outputEntry->isFile()) outputEntry->remove();
}

void ExtractRun::dropPending() {
    while (!pending.empty()) {
        const std::unique_ptr<Pending> call = std::move(pending.front());
        pending.pop_front();
        if (call->boundary) continue;
        pool->wait(call.get());
        ActivePlugin& plugin = active[call->slot];
        if (plugin.usable && !call->threw) {
            int ignored = 0;
            guarded(plugin, "settleCall",
                    [&] { return plugin.extension.settleCall(plugin.plugin, &call->call, false); }, ignored);
        }
        removeTemporary(*call, true);
    }
}

void ExtractRun::leaveOut(ActivePlugin& plugin, const char* operation, const std::string& what) {
    plugin.usable = false;
    leftOutSince = true;
    const std::string name = plugin.name.empty() ? "(名前なし)" : plugin.name;
    const std::string detail = what.empty() ? std::string() : "（" + what + "）";
    problem("plugin:" + name, "プラグイン「" + name + "」の " + operation + " で例外が発生しました" +
                                  detail + "。このプラグインはこの実行では使用しません。");
}

void ExtractRun::withdrawHost() {
    for (ActivePlugin& plugin : active) {
        if (!plugin.hosted) continue;
        plugin.hosted = false;
        try {
            plugin.extension.setHost(plugin.plugin, nullptr);
        } catch (...) {
            // The run is over; there is nobody left to tell.
        }
    }
}

bool ExtractRun::cancelled() const { return model.isCancelled(job); }

void ExtractRun::say(const std::string& status, const std::string& log) {
    payload->setValue("status", status);
    payload->setValue("log", log);
    model.notify(job, payload, false);
}

void ExtractRun::tell(const std::string& line) {
    if (started) {
        say("PROCESSING", line);
    } else {
        heldLines.push_back(line);
    }
}

void ExtractRun::problem(const std::string& cause, const std::string& line) {
    if (model.report.addProblem(cause)) tell("エラー発生：" + line);
}

void ExtractRun::finish(RunReport::Ending ending, const std::string& cause) {
    if (payload == nullptr) {
        // Failed before the run's own objects existed.
        factory = createGlintfetchFactory();
        payload = factory->createValueObject();
    }
    if (!started) {
        say("START", "抽出開始");
        started = true;
        for (const std::string& line : heldLines) say("PROCESSING", line);
        heldLines.clear();
    }
    const char* status = ending == RunReport::Ending::completed ? "COMPLETED"
                         : ending == RunReport::Ending::aborted ? "ABORTED"
                                                                 : "FAILED";
    payload->setValue("status", status);
    payload->setValue("log", model.report.summary(ending, cause));
    model.notify(job, payload, true);
}

void ExtractRun::fail(const std::string& cause) {
    try {
        finish(cancelled() ? RunReport::Ending::aborted : RunReport::Ending::failed, cause);
    } catch (...) {
        // Even the last word could not be sent (an observer that throws, no memory left).
    }
}
