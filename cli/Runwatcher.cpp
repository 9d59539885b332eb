#include "cli/Runwatcher.h"

#include "cli/Findreport.h"
#include "engine/IExtractModel.h"
#include "framework/IValueObject.h"
#include "platform/os/Console.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

std::uint64_t joined(unsigned high, unsigned low) { return (static_cast<std::uint64_t>(high) << 32) | low; }

std::string bytesText(double bytes) {
    const char* const units[] = {"B", "KiB", "MiB", "GiB", "TiB"};
    int unit = 0;
    while (bytes >= 1024 && unit < 4) {
        bytes /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.2f %s", bytes, units[unit]);
    return text;
}

std::string durationText(double seconds) {
    const auto whole = static_cast<long long>(seconds + 0.5);
    char text[32];
    if (whole >= 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    }
    return text;
}

}  // namespace

RunWatcher::RunWatcher(IExtractModel* model, FindReport& report, bool showLog, bool showProgress)
    : model(model), report(report), showLog(showLog), showProgress(showProgress) {}

void RunWatcher::update(IObservable*, IValueObject* values) {
    const std::string status = values->getValue("status");
    const std::string log = values->getValue("log");
    if (status == "FOUND" || status == "LISTED") {
        const bool damaged = values->getValue("damaged") == "true";
        if (report.isOpen()) {
            const std::uint64_t offset = std::strtoull(values->getValue("offset").c_str(), nullptr, 10);
            const std::uint64_t size = std::strtoull(values->getValue("size").c_str(), nullptr, 10);
            const FindReport::Origin origin{values->getValue("method"), values->getValue("originalPath"),
                                            values->getValue("state"), values->getValue("contents"),
                                            values->getValue("offsets")};
            const bool written = report.add(values->getValue("inputFile"), offset, size, values->getValue("kind"),
                                            values->getValue("outputFile"), damaged, origin);
            std::lock_guard<std::mutex> lock(mutex);
            reportBroken = reportBroken || !written;
        }
        if (damaged) {
            std::lock_guard<std::mutex> lock(mutex);
            damagedFinds.push_back(values->getValue("outputFile"));
        }
        if (showLog) print(log);
        return;
    }
    if (status == "UNREADABLE") {
        const Unreadable range{values->getValue("inputFile"),
                               std::strtoull(values->getValue("offset").c_str(), nullptr, 10),
                               std::strtoull(values->getValue("size").c_str(), nullptr, 10)};
        const bool written = !report.isOpen() || report.addUnreadable(range.input, range.offset, range.size);
        {
            std::lock_guard<std::mutex> lock(mutex);
            reportBroken = reportBroken || !written;
            unreadableRanges.push_back(range);
        }
        if (showLog) print(log);
        return;
    }
    const bool final = status == "COMPLETED" || status == "ABORTED" || status == "FAILED";
    if (final) {
        std::lock_guard<std::mutex> lock(mutex);
        if (ended) return;
        ended = true;
        endStatus = status;
        endLog = log;
        changed.notify_all();
        return;
    }
    if (showLog && !log.empty()) print(log);
}

void RunWatcher::print(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex);
    eraseProgressLocked();
    std::fprintf(stderr, "%s\n", line.c_str());
}

bool RunWatcher::waitForEnd(std::chrono::milliseconds time) {
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, time, [this] { return ended; });
}

void RunWatcher::eraseProgressLocked() {
    if (!progressShown) return;
    std::fputs("\r\x1b[K", stderr);
    progressShown = false;
}

void RunWatcher::clearProgress() {
    std::lock_guard<std::mutex> lock(mutex);
    eraseProgressLocked();
    std::fflush(stderr);
}

void RunWatcher::drawProgress() {
    if (!showProgress) return;
    unsigned high = 0;
    unsigned low = 0;
    model->getProcessedSize(&high, &low);
    const double done = static_cast<double>(joined(high, low));
    model->getTotalSize(&high, &low);
    const double total = static_cast<double>(joined(high, low));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    const double speed = seconds > 0 ? done / seconds : 0;
    const double share = total > 0 ? std::min(1.0, done / total) : 0;

    std::string left = "--:--";
    if (speed > 0 && total >= done) left = durationText((total - done) / speed);
    const std::string figures = " " + bytesText(done) + " / " + bytesText(total) + "  " +
                                bytesText(speed) + "/s  残り " + left;
    const int width = os::console::standardErrorWidth(80);
    char percent[8];
    std::snprintf(percent, sizeof percent, "%3d%% ", static_cast<int>(share * 100));
    // "残り" takes four columns in its six bytes.
    int barWidth = width - 1 - (static_cast<int>(figures.size()) - 2) - 7;
    std::string line = percent;
    if (barWidth >= 10) {
        barWidth = std::min(barWidth, 40);
        const int filled = static_cast<int>(share * barWidth);
        line += "[" + std::string(static_cast<std::size_t>(filled), '#') +
                std::string(static_cast<std::size_t>(barWidth - filled), '.') + "]";
    }
    line += figures;
    std::lock_guard<std::mutex> lock(mutex);
    if (ended) return;
    std::fprintf(stderr, "\r%s\x1b[K", line.c_str());
    std::fflush(stderr);
    progressShown = true;
}

std::string RunWatcher::ending() {
    std::lock_guard<std::mutex> lock(mutex);
    return endStatus;
}

std::string RunWatcher::endingLog() {
    std::lock_guard<std::mutex> lock(mutex);
    return endLog;
}

bool RunWatcher::reportFailed() {
    std::lock_guard<std::mutex> lock(mutex);
    return reportBroken;
}

std::vector<RunWatcher::Unreadable> RunWatcher::unreadable() {
    std::lock_guard<std::mutex> lock(mutex);
    return unreadableRanges;
}

std::vector<std::string> RunWatcher::damaged() {
    std::lock_guard<std::mutex> lock(mutex);
    return damagedFinds;
}
