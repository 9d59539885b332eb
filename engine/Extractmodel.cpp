#include "engine/Extractmodel.h"

#include "app/IGlintfetchFactory.h"
#include "engine/Extractrun.h"
#include "framework/Exception.h"
#include "framework/IResource.h"
#include "framework/IValueObject.h"
#include "framework/Threadpool.h"

#include <algorithm>
#include <memory>
#include <thread>

namespace {

void splitHalves(std::uint64_t value, unsigned* high, unsigned* low) {
    *high = static_cast<unsigned>(value >> 32);
    *low = static_cast<unsigned>(value);
}

constexpr auto relaxed = std::memory_order_relaxed;

}  // namespace

ExtractModel::ExtractModel(IConfigModel* configModel, IPluginModel* pluginModel)
    : configModel(configModel), pluginModel(pluginModel) {}

ExtractModel::~ExtractModel() = default;

std::string ExtractModel::getOutputDirectory() {
    const std::lock_guard<std::mutex> lock(jobMutex);
    return outputDirectory;
}

void ExtractModel::setOutputDirectory(std::string folder) {
    const std::lock_guard<std::mutex> lock(jobMutex);
    outputDirectory = std::move(folder);
}

void ExtractModel::addInputFile(std::string path) {
    const std::lock_guard<std::mutex> lock(jobMutex);
    inputFiles.push_back(std::move(path));
}

void ExtractModel::clearInputFiles() {
    const std::lock_guard<std::mutex> lock(jobMutex);
    inputFiles.clear();
}

void ExtractModel::prepare() {
    std::vector<std::string> inputs;
    {
        const std::lock_guard<std::mutex> lock(jobMutex);
        inputs = inputFiles;
    }
    std::unique_ptr<IGlintfetchFactory> factory = createGlintfetchFactory();
    IResource* entry = factory->createResource();
    std::uint64_t total = 0;
    for (const std::string& path : inputs) {
        entry->setPath(path);
        // A folder is not scanned, so it counts for nothing, whatever size the file system says.
        if (entry->exists() && !entry->isDirectory()) {
            std::uint32_t high = 0;
            std::uint32_t low = 0;
            entry->getSize(&high, &low);
            total += (static_cast<std::uint64_t>(high) << 32) | low;
        }
    }
    totalSize.store(total, relaxed);
    currentFileIndex.store(0, relaxed);
    currentFileSize.store(0, relaxed);
    currentPosition.store(0, relaxed);
    processedSize.store(0, relaxed);
    const std::lock_guard<std::recursive_mutex> lock(notifyMutex);
    // A new job: a cancelled run that is still finishing its last call keeps its own number, so
    // it stays stopped and silent.
    if (startedJob >= jobNumber) ++jobNumber;
    abortFlag.store(false);
}

void ExtractModel::abort() {
    // The flag and the announcement go together under the notification lock, so that the run
    // cannot see the flag and send a final status of its own in between.
    const std::lock_guard<std::recursive_mutex> lock(notifyMutex);
    abortFlag.store(true);
    try {
        ThreadPool::getThread(static_cast<IRunnable*>(this));
    } catch (const ThreadException&) {
        return;
    }
    // A job that has told its end, or whose cancel was told, has nothing more to say.
    if (finishedJob >= jobNumber || announcedJob.load() >= jobNumber) return;
    announcedJob.store(jobNumber);
    std::unique_ptr<IGlintfetchFactory> factory = createGlintfetchFactory();
    IValueObject* values = factory->createValueObject();
    values->setValue("status", "ABORTED");
    values->setValue("log", report.summary(RunReport::Ending::aborted));
    notifyObservers(values);
}

unsigned ExtractModel::getInputFileCount() {
    const std::lock_guard<std::mutex> lock(jobMutex);
    return static_cast<unsigned>(inputFiles.size());
}

unsigned ExtractModel::getCurrentFileIndex() { return currentFileIndex.load(relaxed); }

unsigned ExtractModel::getExtractedCount() { return extractedCount.load(relaxed); }

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
        if (value < 1024) return std::to_string(value) + unit;
        value /= 1024;
    }
    return "";
}

unsigned ExtractModel::getUnwrittenCount() { return report.unwrittenCount(); }

std::vector<ExtractFailedInput> ExtractModel::getFailedInputs() { return report.failedInputs(); }

std::map<std::string, unsigned> ExtractModel::getExtractedCountsByKind() {
    return report.countsByKind();
}

void ExtractModel::setExtractedKinds(std::vector<std::string> kinds) {
    const std::lock_guard<std::mutex> lock(jobMutex);
    extractedKinds = std::move(kinds);
}

void ExtractModel::setExcludedPlugins(std::vector<std::string> ids) {
    const std::lock_guard<std::mutex> lock(jobMutex);
    excludedPlugins = std::move(ids);
}

void ExtractModel::setSignaturesUsed(bool used) { signaturesUsed.store(used); }

void ExtractModel::setCheckThreads(unsigned threads) { checkThreads.store(threads); }

unsigned ExtractModel::checkThreadCount() const {
    const unsigned asked = checkThreads.load();
    if (asked != automaticThreads) return std::min(asked, maxCheckThreads);
    const unsigned processors = std::thread::hardware_concurrency();
    return processors > 1 ? std::min(processors - 1, maxCheckThreads) : 0;
}

void ExtractModel::run() {
    const std::lock_guard<std::mutex> gate(runGate);
    ExtractRun(*this, beginJob()).execute();
}

std::uint64_t ExtractModel::beginJob() {
    const std::lock_guard<std::recursive_mutex> lock(notifyMutex);
    if (startedJob >= jobNumber) ++jobNumber;
    startedJob = jobNumber;
    // The run clears the flag when it begins, unless its cancel was told before it got here.
    if (announcedJob.load() < jobNumber) abortFlag.store(false);
    return jobNumber;
}

bool ExtractModel::isCancelled(std::uint64_t job) const {
    return abortFlag.load(relaxed) || announcedJob.load(relaxed) >= job;
}

bool ExtractModel::notify(std::uint64_t job, IValueObject* payload, bool final) {
    const std::lock_guard<std::recursive_mutex> lock(notifyMutex);
    if (announcedJob.load() >= job || finishedJob >= job) return false;
    if (final) finishedJob = job;
    notifyObservers(payload);
    return true;
}
