#include "app/Extractview.h"

#include "app/Eventcontroller.h"
#include "app/Extractcancelcontroller.h"
#include "app/Textractform.h"
#include "engine/IExtractModel.h"
#include "framework/IController.h"
#include "framework/IValueObject.h"
#include "platform/classlib/TButton.h"
#include "platform/classlib/TLabel.h"
#include "platform/classlib/TMainThreadQueue.h"
#include "platform/classlib/TMemo.h"
#include "platform/classlib/TProgressBar.h"
#include "platform/classlib/TStrings.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

const int barMax = 1000;
const int unchanged = -1;

enum class Step { start, detected, extracted, completed, processing, aborted, failed, found, other };

Step stepOf(const std::string& status)
{
    if (status == "START") {
        return Step::start;
    }
    if (status == "DETECTED") {
        return Step::detected;
    }
    if (status == "EXTRACTED") {
        return Step::extracted;
    }
    if (status == "COMPLETED") {
        return Step::completed;
    }
    if (status == "PROCESSING") {
        return Step::processing;
    }
    if (status == "ABORTED") {
        return Step::aborted;
    }
    if (status == "FAILED") {
        return Step::failed;
    }
    if (status == "FOUND") {
        return Step::found;
    }
    return Step::other;
}

// The statuses that end a run: nothing of that run is shown after one of them.
bool isFinal(Step step)
{
    return step == Step::completed || step == Step::aborted || step == Step::failed;
}

std::uint64_t joined(unsigned high, unsigned low)
{
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

// 0..1000; a size of 0 leaves the bar where it is.
int permille(std::uint64_t part, std::uint64_t whole)
{
    if (whole == 0) {
        return unchanged;
    }
    double quotient = static_cast<double>(part) / static_cast<double>(whole) * 1000.0;
    if (quotient > barMax) {
        quotient = barMax;
    }
    return static_cast<int>(quotient);
}

using Clock = std::chrono::steady_clock;

// "512 バイト", "1.5 KB", "23.4 MB": one decimal from a KB on.
std::string bytesText(std::uint64_t bytes)
{
    static const char* const units[] = {" KB", " MB", " GB", " TB", " PB"};
    if (bytes < 1024) {
        return std::to_string(bytes) + " バイト";
    }
    double value = static_cast<double>(bytes) / 1024.0;
    std::size_t unit = 0;
    while (value >= 1024.0 && unit + 1 < sizeof units / sizeof units[0]) {
        value /= 1024.0;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text + std::string(units[unit]);
}

// "5 秒", "3 分 4 秒", "2 時間 5 分".
std::string durationText(double seconds)
{
    const std::uint64_t whole = seconds > 0 ? static_cast<std::uint64_t>(seconds + 0.5) : 0;
    if (whole < 60) {
        return std::to_string(whole) + " 秒";
    }
    if (whole < 3600) {
        return std::to_string(whole / 60) + " 分 " + std::to_string(whole % 60) + " 秒";
    }
    return std::to_string(whole / 3600) + " 時間 " + std::to_string(whole % 3600 / 60) + " 分";
}

double secondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

// Speed and time left say nothing sound before this much of the run has passed.
const double measuredAfterSeconds = 1.0;

}  // namespace

// One notification's effect on the bars, the texts and the buttons; the log line travels apart.
struct ExtractView::Change {
    Step step = Step::other;
    int filePosition = unchanged;
    int totalPosition = unchanged;
    // Bytes scanned and in all, when the notification came.
    std::uint64_t processed = 0;
    std::uint64_t total = 0;
    Clock::time_point when;
    std::string kind;
};


// What the notifying threads have recorded and the user-interface thread has not yet applied.
class ExtractView::Changes {
public:
    std::mutex mutex;
    std::vector<Change> steps;
    std::vector<std::string> logLines;
    bool applyPosted = false;
    // Set by a final status: the run is over for the dialog, whatever still comes of it (a late
    // "ABORTED" of a cancel after the end, or anything its worker still says after a cancel).
    bool silenced = false;
    const std::thread::id userInterfaceThread = std::this_thread::get_id();
    TMainThreadQueue queue;

    // The user-interface thread's own, for the texts: when the run began, and its finds by kind.
    Clock::time_point runStart = Clock::now();
    std::map<std::string, unsigned> finds;
};

ExtractView::ExtractView(TExtractForm* form)
    : FormView(form)
    , extractForm(form)
    , changes(new Changes)
{
}

ExtractView::~ExtractView() = default;

void ExtractView::show()
{
    // The dialog comes up for a new run, whose notifications are still waiting for this thread:
    // what the last run left on the button and the bars must not be there to be pressed or read
    // in the meantime.
    {
        // The end of the last run keeps nothing of this one out: a cancel before its "START" has
        // come must still show.
        std::lock_guard<std::mutex> lock(changes->mutex);
        changes->silenced = false;
    }
    TButton* button = extractForm->CancelBtn;
    button->SetCaption("キャンセル");
    button->OnClick = cancelHandler;
    extractForm->OpenFolderBtn->SetEnabled(false);
    extractForm->FileProgress->SetPosition(0);
    extractForm->TotalProgress->SetPosition(0);
    extractForm->ShowModal();
}

void ExtractView::setOpenFolderController(IController* controller)
{
    EventController* open = dynamic_cast<EventController*>(controller);
    if (open == nullptr) {
        return;
    }
    extractForm->OpenFolderBtn->OnClick = TNotifyEvent(open, &EventController::onEvent);
}

void ExtractView::setCancelController(IController* controller)
{
    ExtractCancelController* cancel = dynamic_cast<ExtractCancelController*>(controller);
    if (cancel == nullptr) {
        return;
    }
    EventController* asEvent = cancel;
    cancelHandler = TNotifyEvent(asEvent, &EventController::onEvent);
    extractForm->CancelBtn->OnClick = cancelHandler;
    extractForm->OnClose = TCloseEvent(cancel, &ExtractCancelController::onClose);
}

void ExtractView::setCloseController(IController* controller)
{
    EventController* close = dynamic_cast<EventController*>(controller);
    if (close == nullptr) {
        return;
    }
    closeHandler = TNotifyEvent(close, &EventController::onEvent);
}

void ExtractView::update(IObservable* source, IValueObject* values)
{
    IExtractModel* model = dynamic_cast<IExtractModel*>(source);
    if (model == nullptr) {
        return;
    }
    const std::string status = values->getValue("status");
    const std::string log = values->getValue("log");
    Change change;
    change.step = stepOf(status);
    change.when = Clock::now();
    if (change.step == Step::found) {
        change.kind = values->getValue("kind");
    }
    if (change.step == Step::start || change.step == Step::processing || isFinal(change.step)) {
        unsigned high = 0;
        unsigned low = 0;
        model->getProcessedSize(&high, &low);
        change.processed = joined(high, low);
        model->getTotalSize(&high, &low);
        change.total = joined(high, low);
    }
    if (change.step == Step::processing) {
        // Read now, on the notifying thread: these are the values this notification speaks of.
        unsigned high = 0;
        unsigned low = 0;
        model->getCurrentPosition(&high, &low);
        const std::uint64_t position = joined(high, low);
        model->getCurrentFileSize(&high, &low);
        const std::uint64_t fileSize = joined(high, low);
        model->getProcessedSize(&high, &low);
        const std::uint64_t processed = joined(high, low);
        model->getTotalSize(&high, &low);
        const std::uint64_t total = joined(high, low);
        change.filePosition = permille(position, fileSize);
        change.totalPosition = permille(processed, total);
    }

    bool postApply = false;
    {
        std::lock_guard<std::mutex> lock(changes->mutex);
        if (change.step == Step::start) {
            changes->silenced = false;
            // The dialog's log is the new run's alone.
            changes->logLines.clear();
        } else if (changes->silenced) {
            return;
        }
        if (isFinal(change.step)) {
            changes->silenced = true;
        }
        std::vector<Change>& steps = changes->steps;
        if (change.step == Step::processing && !steps.empty() && steps.back().step == Step::processing) {
            // Only the latest progress is worth drawing.
            if (change.filePosition != unchanged) {
                steps.back().filePosition = change.filePosition;
            }
            if (change.totalPosition != unchanged) {
                steps.back().totalPosition = change.totalPosition;
            }
            steps.back().processed = change.processed;
            steps.back().total = change.total;
            steps.back().when = change.when;
        } else {
            steps.push_back(change);
        }
        if (!log.empty()) {
            changes->logLines.push_back(log);
        }
        if (!changes->applyPosted) {
            changes->applyPosted = true;
            postApply = true;
        }
    }

    if (std::this_thread::get_id() == changes->userInterfaceThread) {
        applyWaitingChanges();
    } else if (postApply) {
        changes->queue.Post([this] { applyWaitingChanges(); });
    }
}

void ExtractView::applyWaitingChanges()
{
    std::vector<Change> steps;
    std::vector<std::string> logLines;
    {
        std::lock_guard<std::mutex> lock(changes->mutex);
        steps.swap(changes->steps);
        logLines.swap(changes->logLines);
        changes->applyPosted = false;
    }

    TProgressBar* fileBar = extractForm->FileProgress;
    TProgressBar* totalBar = extractForm->TotalProgress;
    TButton* button = extractForm->CancelBtn;
    bool findsChanged = false;
    for (const Change& change : steps) {
        switch (change.step) {
        case Step::start:
            for (TProgressBar* bar : {fileBar, totalBar}) {
                bar->SetMin(0);
                bar->SetMax(barMax);
                bar->SetPosition(0);
            }
            button->SetCaption("キャンセル");
            button->OnClick = cancelHandler;
            extractForm->OpenFolderBtn->SetEnabled(false);
            extractForm->Logger->Lines()->Clear();
            changes->runStart = change.when;
            changes->finds.clear();
            findsChanged = true;
            showProgress(change);
            break;
        case Step::detected:
            fileBar->SetPosition(0);
            break;
        case Step::extracted:
            fileBar->SetPosition(barMax);
            break;
        case Step::completed:
            totalBar->SetPosition(barMax);
            finish(change);
            break;
        case Step::processing:
            if (change.filePosition != unchanged && fileBar->Position() != change.filePosition) {
                fileBar->SetPosition(change.filePosition);
            }
            if (change.totalPosition != unchanged && totalBar->Position() != change.totalPosition) {
                totalBar->SetPosition(change.totalPosition);
            }
            showProgress(change);
            break;
        case Step::aborted:
        case Step::failed:
            finish(change);
            break;
        case Step::found:
            ++changes->finds[change.kind];
            findsChanged = true;
            break;
        case Step::other:
            break;
        }
    }
    if (findsChanged) {
        showFinds();
    }

    if (logLines.empty()) {
        return;
    }
    // One append for every line waiting: the memo lays out and scrolls once.
    std::string text;
    for (std::size_t i = 0; i < logLines.size(); ++i) {
        if (i > 0) {
            text += '\n';
        }
        text += logLines[i];
    }
    extractForm->Logger->Lines()->Add(text);
}

void ExtractView::showProgress(const Change& change)
{
    std::string text = bytesText(change.processed) + " / " + bytesText(change.total);
    if (change.total > 0) {
        const int percent = static_cast<int>(static_cast<double>(change.processed) / static_cast<double>(change.total) * 100.0);
        text += "（" + std::to_string(percent > 100 ? 100 : percent) + "%）";
    }
    const double seconds = secondsBetween(changes->runStart, change.when);
    if (seconds >= measuredAfterSeconds && change.processed > 0) {
        const double speed = static_cast<double>(change.processed) / seconds;
        text += "　速度 " + bytesText(static_cast<std::uint64_t>(speed)) + "/秒";
        if (change.total > change.processed) {
            text += "　残り 約 " + durationText(static_cast<double>(change.total - change.processed) / speed);
        }
    } else {
        text += "　速度 計測中";
    }
    extractForm->ProgressText->SetCaption(text);
}

void ExtractView::finish(const Change& change)
{
    TButton* button = extractForm->CancelBtn;
    button->SetCaption("ＯＫ");
    button->OnClick = closeHandler;
    extractForm->OpenFolderBtn->SetEnabled(true);
    extractForm->ProgressText->SetCaption(bytesText(change.processed) + " を " +
                                          durationText(secondsBetween(changes->runStart, change.when)) +
                                          "で調べました。");
}

void ExtractView::showFinds()
{
    if (changes->finds.empty()) {
        extractForm->FindsText->SetCaption("見つかったもの：まだありません");
        return;
    }
    std::string text = "見つかったもの：";
    unsigned all = 0;
    bool first = true;
    for (const auto& [kind, count] : changes->finds) {
        text += (first ? "" : "、") + kind + " " + std::to_string(count) + " 件";
        first = false;
        all += count;
    }
    extractForm->FindsText->SetCaption(text + "（計 " + std::to_string(all) + " 件）");
}
