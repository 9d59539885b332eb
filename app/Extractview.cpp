#include "app/Extractview.h"

#include "app/Eventcontroller.h"
#include "app/Extractcancelcontroller.h"
#include "app/Textractform.h"
#include "engine/IExtractModel.h"
#include "framework/IController.h"
#include "framework/IValueObject.h"
#include "platform/classlib/TButton.h"
#include "platform/classlib/TMainThreadQueue.h"
#include "platform/classlib/TMemo.h"
#include "platform/classlib/TProgressBar.h"
#include "platform/classlib/TStrings.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

const int barMax = 1000;
const int unchanged = -1;

enum class Step { start, detected, extracted, completed, processing, aborted, failed, other };

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

// One notification's effect on the bars and the button; the log line travels apart.
struct Change {
    Step step;
    int filePosition = unchanged;
    int totalPosition = unchanged;
};

}  // namespace

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
    // what the last run left on the button must not be there to be pressed in the meantime.
    TButton* button = extractForm->CancelBtn;
    button->SetCaption("キャンセル");
    button->OnClick = cancelHandler;
    extractForm->ShowModal();
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
    Change change{stepOf(status)};
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
            break;
        case Step::detected:
            fileBar->SetPosition(0);
            break;
        case Step::extracted:
            fileBar->SetPosition(barMax);
            break;
        case Step::completed:
            totalBar->SetPosition(barMax);
            button->SetCaption("ＯＫ");
            button->OnClick = closeHandler;
            break;
        case Step::processing:
            if (change.filePosition != unchanged && fileBar->Position() != change.filePosition) {
                fileBar->SetPosition(change.filePosition);
            }
            if (change.totalPosition != unchanged && totalBar->Position() != change.totalPosition) {
                totalBar->SetPosition(change.totalPosition);
            }
            break;
        case Step::aborted:
        case Step::failed:
            button->SetCaption("ＯＫ");
            button->OnClick = closeHandler;
            break;
        case Step::other:
            break;
        }
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
