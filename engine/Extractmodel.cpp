#include "engine/Extractmodel.h"

#include "app/IGlintfetchFactory.h"
#include "engine/ExtractPlugin.h"
#include "engine/IConfigModel.h"
#include "engine/IPluginModel.h"
#include "framework/Exception.h"
#include "framework/IMemory.h"
#include "framework/IRandomAccessFile.h"
#include "framework/IResource.h"
#include "framework/IThread.h"
#include "framework/IValueObject.h"
#include "framework/Threadpool.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

std::uint64_t joinHalves(unsigned high, unsigned low) {
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

void splitHalves(std::uint64_t value, unsigned* high, unsigned* low) {
    *high = static_cast<unsigned>(value >> 32);
    *low = static_cast<unsigned>(value);
}

// A plug-in's texts are its own; a null one reads as empty rather than crashing the run.
std::string pluginText(const char* text) {
    return text != nullptr ? std::string(text) : std::string();
}

// The size an input counts for. A folder is not scanned, so it counts for nothing, whatever size
// the file system gives it.
std::uint64_t entrySize(IResource* entry) {
    if (entry->isDirectory()) {
        return 0;
    }
    std::uint32_t high = 0;
    std::uint32_t low = 0;
    entry->getSize(&high, &low);
    return joinHalves(high, low);
}

constexpr auto relaxed = std::memory_order_relaxed;

} // namespace

// The working data of one run. Everything framework-made belongs to the run factory, so it is all
// released when the run ends, however it ends.
class ExtractModel::Run {
public:
    explicit Run(ExtractModel& model) : model(model) {}

    void execute();

private:
    void selectPlugins();
    void scanFile();
    void fillBuffer();
    bool extractAt(IExtractPlugin* plugin, std::uint64_t position);
    std::string claimOutputName(IExtractPlugin* plugin);
    bool aborted() const { return model.abortFlag.load(relaxed); }
    void notify(const std::string& status, const std::string& log) {
        model.notify(payload, status, log);
    }

    ExtractModel& model;

    std::vector<IExtractPlugin*> activePlugins;
    std::vector<std::string> leftOutLines;
    std::uint32_t scanWindow = 0;
    std::uint32_t bufferSize = 0;
    std::uint32_t refillStep = 0;

    std::unique_ptr<IGlintfetchFactory> factory;
    IResource* inputEntry = nullptr;
    IResource* folderEntry = nullptr;
    IResource* targetEntry = nullptr;
    // Tests output names for existence and removes what a failed extract left; one entry serves
    // the whole run, so that memory stays flat however many candidates fail.
    IResource* outputEntry = nullptr;
    IValueObject* payload = nullptr;
    IMemory* buffer = nullptr;
    IRandomAccessFile* inputFile = nullptr;

    // The number in the next output name. It runs ahead of the extracted count only when names
    // of an earlier run are in the way.
    std::uint32_t nextNumber = 0;
    std::uint64_t processed = 0;
};

void ExtractModel::Run::execute() {
    model.currentFileIndex.store(0, relaxed);
    model.extractedCount.store(0, relaxed);
    model.currentFileSize.store(0, relaxed);
    model.currentPosition.store(0, relaxed);
    model.processedSize.store(0, relaxed);
    {
        // A cancel that was announced before the worker got here stands: clearing the flag would
        // leave abort waiting for a whole run that nobody watches.
        std::lock_guard<std::recursive_mutex> lock(model.notifyMutex);
        if (!model.cancelAnnounced) {
            model.abortFlag.store(false);
        }
    }

    model.configModel->load();
    model.pluginModel->loadPlugins(model.configModel);
    selectPlugins();
    bufferSize = 1000 * scanWindow;
    refillStep = 999 * scanWindow;

    factory = createGlintfetchFactory();
    inputEntry = factory->createResource();
    folderEntry = factory->createResource();
    targetEntry = factory->createResource();
    outputEntry = factory->createResource();
    payload = factory->createValueObject();
    buffer = factory->createMemory();
    inputFile = factory->createRandomAccessFile();

    notify("START", "抽出開始");
    for (const std::string& line : leftOutLines) {
        notify("PROCESSING", line);
    }

    std::uint32_t index = 0;
    model.currentFileIndex.store(index, relaxed);
    while (index < model.inputFiles.size() && !aborted()) {
        inputEntry->setPath(model.inputFiles[index]);
        notify("DETECTED", inputEntry->getPath() + "から抽出中...");
        try {
            scanFile();
            if (!aborted()) {
                notify("EXTRACTED", "");
            }
        } catch (const IOException& e) {
            notify("PROCESSING", "エラー発生：" + e.getMessage());
        }
        ++index;
        model.currentFileIndex.store(index, relaxed);
    }

    if (aborted()) {
        notify("ABORTED", "抽出中断.");
    } else {
        notify("COMPLETED", "抽出完了.");
    }
}

void ExtractModel::Run::selectPlugins() {
    for (unsigned i = 0; i < model.pluginModel->getPluginCount(); ++i) {
        IExtractPlugin* plugin = model.pluginModel->getPlugin(i);
        if (!plugin->isEnabled()) {
            continue;
        }
        const unsigned window = plugin->getWindowSize();
        // detect would get a pointer to no storage for a window of 0, and 1000 windows of more
        // than the limit do not fit the buffer's size.
        if (window == 0 || window > maxWindowSize) {
            leftOutLines.push_back("プラグイン「" + pluginText(plugin->getName()) +
                                   "」のウィンドウサイズ " + std::to_string(window) +
                                   " バイトは扱えないため、このプラグインは使用しません。");
            continue;
        }
        activePlugins.push_back(plugin);
        if (window > scanWindow) {
            scanWindow = window;
        }
    }
}

void ExtractModel::Run::scanFile() {
    const std::uint64_t fileSize = entrySize(inputEntry);
    model.currentFileSize.store(fileSize, relaxed);

    buffer->setSize(bufferSize);
    inputFile->setFile(inputEntry);
    fillBuffer();
    std::uint32_t offset = 0;
    const unsigned char* data = buffer->getPointer();
    std::uint64_t position = 0;
    model.currentPosition.store(position, relaxed);

    while (position < fileSize && !aborted()) {
        for (IExtractPlugin* plugin : activePlugins) {
            if (plugin->detect(data + offset) && extractAt(plugin, position)) {
                break;
            }
        }
        ++position;
        ++processed;
        ++offset;
        model.currentPosition.store(position, relaxed);
        model.processedSize.store(processed, relaxed);
        if (offset >= refillStep) {
            inputFile->seek(static_cast<int>(position >> 32), static_cast<unsigned>(position));
            fillBuffer();
            offset = 0;
            data = buffer->getPointer();
            notify("PROCESSING", "");
        }
    }
}

// Whatever the read did not reach (the end of the file, a short read) is zeroed, so that detect
// never mistakes bytes of an earlier fill or of the previous file for data.
void ExtractModel::Run::fillBuffer() {
    const int count = inputFile->read(buffer);
    const std::uint32_t filled = count > 0 ? static_cast<std::uint32_t>(count) : 0;
    if (filled < bufferSize) {
        std::memset(buffer->getPointer() + filled, 0, bufferSize - filled);
    }
}

bool ExtractModel::Run::extractAt(IExtractPlugin* plugin, std::uint64_t position) {
    folderEntry->setPath(model.getOutputDirectory());
    if (model.configModel->isCreateDirPerFile()) {
        folderEntry->setPath(folderEntry->getPath() + "/" + inputEntry->getName());
        folderEntry->createDirectory();
    }
    if (model.configModel->isCreateDirPerData()) {
        targetEntry->setPath(folderEntry->getPath() + "/" + pluginText(plugin->getKind()));
        targetEntry->createDirectory();
    } else {
        targetEntry->setPath(folderEntry->getPath());
    }

    const std::string outputName = claimOutputName(plugin);
    const unsigned result =
        plugin->extract(inputEntry->getPath().c_str(), static_cast<unsigned>(position >> 32),
                        static_cast<unsigned>(position), outputName.c_str());
    if (result > 0) {
        model.extractedCount.store(model.extractedCount.load(relaxed) + 1, relaxed);
        ++nextNumber;
        return true;
    }
    // The name was free before the attempt, so whatever lies there now is the attempt's own.
    outputEntry->setPath(outputName);
    outputEntry->remove();
    return false;
}

// Names already taken (by an earlier run into the same folders) are passed over, so that a run
// never hands a plug-in a file it did not write, nor removes one.
std::string ExtractModel::Run::claimOutputName(IExtractPlugin* plugin) {
    const std::string prefix = targetEntry->getPath() + "/" + pluginText(plugin->getKind());
    const std::string extension = "." + pluginText(plugin->getKind());
    for (;;) {
        char number[16];
        std::snprintf(number, sizeof number, "%05u", static_cast<unsigned>(nextNumber));
        std::string name = prefix + number + extension;
        outputEntry->setPath(name);
        if (!outputEntry->exists()) {
            return name;
        }
        ++nextNumber;
    }
}

ExtractModel::ExtractModel(IConfigModel* configModel, IPluginModel* pluginModel)
    : configModel(configModel), pluginModel(pluginModel) {}

ExtractModel::~ExtractModel() = default;

std::string ExtractModel::getOutputDirectory() {
    return outputDirectory;
}

void ExtractModel::setOutputDirectory(std::string folder) {
    outputDirectory = std::move(folder);
}

void ExtractModel::addInputFile(std::string path) {
    inputFiles.push_back(std::move(path));
}

void ExtractModel::clearInputFiles() {
    inputFiles.clear();
}

void ExtractModel::prepare() {
    std::unique_ptr<IGlintfetchFactory> factory = createGlintfetchFactory();
    IResource* entry = factory->createResource();
    totalSize.store(0, relaxed);
    std::uint64_t total = 0;
    for (const std::string& path : inputFiles) {
        entry->setPath(path);
        if (entry->exists()) {
            total += entrySize(entry);
        }
    }
    totalSize.store(total, relaxed);
    currentFileIndex.store(0, relaxed);
    currentFileSize.store(0, relaxed);
    currentPosition.store(0, relaxed);
    processedSize.store(0, relaxed);
    abortFlag.store(false);
    std::lock_guard<std::recursive_mutex> lock(notifyMutex);
    cancelAnnounced = false;
}

void ExtractModel::abort() {
    // The flag is set under the notification lock, so that the run cannot see it and send an
    // "ABORTED" of its own before this one has been announced.
    std::unique_lock<std::recursive_mutex> lock(notifyMutex);
    abortFlag.store(true);
    IThread* worker = nullptr;
    try {
        worker = ThreadPool::getThread(static_cast<IRunnable*>(this));
    } catch (const ThreadException&) {
        return;
    }
    std::unique_ptr<IGlintfetchFactory> factory = createGlintfetchFactory();
    IValueObject* values = factory->createValueObject();
    values->setValue("status", "ABORTED");
    values->setValue("log", "抽出中断.");
    cancelAnnounced = true;
    notifyObservers(values);
    // The worker may be waiting for the lock to send its next notification, which it will now
    // drop; kill waits for it to end.
    lock.unlock();
    worker->kill();
}

unsigned ExtractModel::getInputFileCount() {
    return static_cast<unsigned>(inputFiles.size());
}

unsigned ExtractModel::getCurrentFileIndex() {
    return currentFileIndex.load(relaxed);
}

unsigned ExtractModel::getExtractedCount() {
    return extractedCount.load(relaxed);
}

void ExtractModel::getCurrentFileSize(unsigned* high, unsigned* low) {
    splitHalves(currentFileSize.load(relaxed), high, low);
}

void ExtractModel::getCurrentPosition(unsigned* high, unsigned* low) {
    splitHalves(currentPosition.load(relaxed), high, low);
}

void ExtractModel::getTotalSize(unsigned* high, unsigned* low) {
    splitHalves(totalSize.load(relaxed), high, low);
}

void ExtractModel::getProcessedSize(unsigned* high, unsigned* low) {
    splitHalves(processedSize.load(relaxed), high, low);
}

std::string ExtractModel::getTotalSizeText() {
    static const char* const units[] = {" バイト", " KB", " MB", " GB", " TB", " PB"};
    std::uint64_t value = totalSize.load(relaxed);
    for (const char* unit : units) {
        if (value < 1024) {
            return std::to_string(value) + unit;
        }
        value /= 1024;
    }
    return "";
}

void ExtractModel::run() {
    // Once the run is over, a later run may speak again; a cancel announced from now on belongs
    // to no run and is forgotten by the next prepare.
    struct Unsilence {
        ExtractModel& model;
        ~Unsilence() {
            std::lock_guard<std::recursive_mutex> lock(model.notifyMutex);
            model.cancelAnnounced = false;
        }
    } unsilence{*this};
    Run(*this).execute();
}

void ExtractModel::notify(IValueObject* payload, const std::string& status,
                          const std::string& log) {
    std::lock_guard<std::recursive_mutex> lock(notifyMutex);
    if (cancelAnnounced) {
        return;
    }
    payload->setValue("status", status);
    payload->setValue("log", log);
    notifyObservers(payload);
}
