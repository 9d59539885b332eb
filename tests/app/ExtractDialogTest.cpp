#include "app/Closeviewcontroller.h"
#include "app/Extractcancelcontroller.h"
#include "app/Extractcontroller.h"
#include "app/Extractview.h"
#include "app/Openoutputfoldercontroller.h"
#include "app/IGlintfetchFactory.h"
#include "app/Textractform.h"
#include "engine/IConfigModel.h"
#include "engine/IExtractModel.h"
#include "framework/Exception.h"
#include "framework/IObserver.h"
#include "framework/Observable.h"
#include "framework/Threadpool.h"
#include "framework/Valueobject.h"
#include "platform/classlib/TButton.h"
#include "platform/classlib/TFont.h"
#include "platform/classlib/TLabel.h"
#include "platform/classlib/TMemo.h"
#include "platform/classlib/TProgressBar.h"
#include "platform/classlib/TStrings.h"
#include "tests/app/DialogFixture.h"
#include "tests/platform/shell/WithoutRoot.h"

#include <QCoreApplication>
#include <QTest>
#include <QWidget>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

// An extraction model whose progress the test sets, for the view's arithmetic.
class ScriptedExtractModel : public Observable, public virtual IExtractModel {
public:
    std::string getOutputDirectory() override { return ""; }
    void setOutputDirectory(std::string) override {}
    void addInputFile(std::string) override {}
    void clearInputFiles() override {}
    void prepare() override {}
    void abort() override {}
    unsigned getInputFileCount() override { return 0; }
    unsigned getCurrentFileIndex() override { return 0; }
    unsigned getExtractedCount() override { return 0; }
    void getCurrentFileSize(unsigned* high, unsigned* low) override { split(fileSize, high, low); }
    void getCurrentPosition(unsigned* high, unsigned* low) override { split(position, high, low); }
    void getTotalSize(unsigned* high, unsigned* low) override { split(total, high, low); }
    void getProcessedSize(unsigned* high, unsigned* low) override { split(processed, high, low); }
    std::string getTotalSizeText() override { return ""; }
    unsigned getUnwrittenCount() override { return 0; }
    std::vector<ExtractFailedInput> getFailedInputs() override { return {}; }
    std::map<std::string, unsigned> getExtractedCountsByKind() override { return {}; }
    void setExtractedKinds(std::vector<std::string>) override {}
    void setExcludedPlugins(std::vector<std::string>) override {}
    void run() override {}

    void say(const std::string& status, const std::string& log = "")
    {
        ValueObject values;
        values.setValue("status", status);
        values.setValue("log", log);
        notifyObservers(&values);
    }

    std::atomic<std::uint64_t> fileSize{0};
    std::atomic<std::uint64_t> position{0};
    std::atomic<std::uint64_t> total{0};
    std::atomic<std::uint64_t> processed{0};

private:
    static void split(std::uint64_t value, unsigned* high, unsigned* low)
    {
        *high = static_cast<unsigned>(value >> 32);
        *low = static_cast<unsigned>(value);
    }
};

// Every status the model sent, and whether anything came after "ABORTED".
class StatusRecorder : public IObserver {
public:
    void update(IObservable*, IValueObject* values) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        const std::string status = values->getValue("status");
        if (status == "START") {
            aborted = false;
            ++startCount;
        }
        if (status == "COMPLETED") {
            ++completionCount;
        }
        if (aborted) {
            afterAbort.push_back(status);
        }
        if (status == "ABORTED") {
            aborted = true;
        }
    }
    int starts()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return startCount;
    }
    int completions()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return completionCount;
    }
    std::vector<std::string> late()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return afterAbort;
    }

private:
    std::mutex mutex;
    bool aborted = false;
    int startCount = 0;
    int completionCount = 0;
    std::vector<std::string> afterAbort;
};

class ExtractDialogTest : public DialogTest {
protected:
    ExtractDialogTest()
    {
        TComponent* noOwner = nullptr;
        form = new TExtractForm(noOwner);
        view.reset(new ExtractView(form));
        model = extractModel();
        model->addObserver(view.get());
        model->addObserver(&recorder);
        extract.reset(new ExtractController(view.get(), model, factory.get()));
        cancel.reset(new ExtractCancelController(model));
        close.reset(new CloseViewController(view.get()));
        view->setCancelController(cancel.get());
        view->setCloseController(close.get());
        environment.addPlugin("alpha");
        configModel->save();
        output = environment.scratchFolder() + "/out";
        fs::create_directories(output);
    }

    ~ExtractDialogTest() override
    {
        view.reset();
        delete form;
    }

    // Presses the main window's Extract button with these values and runs the steps while the
    // dialog is shown; returns the controller's result.
    std::string pressExtract(ModalScript& script, const std::vector<std::string>& inputs, const std::string& folder,
                             bool* scriptDone = nullptr)
    {
        std::string result;
        const bool done = script.run(
            [&] {
                ValueObject values;
                if (!folder.empty()) {
                    values.setValue("outputDirectory", folder);
                }
                for (const std::string& input : inputs) {
                    values.addValue("inputFiles", input);
                }
                result = extract->execute(&values);
            },
            [this] {
                if (form->Visible()) {
                    form->Close();
                }
            });
        if (scriptDone != nullptr) {
            *scriptDone = done;
        }
        return result;
    }

    std::string input(const std::string& name, const std::string& content)
    {
        const std::string path = environment.scratchFolder() + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    // A file of that many bytes that takes no room on the disk, to keep a run busy.
    std::string sparseInput(std::uintmax_t size)
    {
        const std::string path = input("sparse.bin", "");
        fs::resize_file(path, size);
        return path;
    }

    bool workerRegistered()
    {
        try {
            ThreadPool::getThread(static_cast<IRunnable*>(model));
            return true;
        } catch (const ThreadException&) {
            return false;
        }
    }

    std::vector<std::string> logLines() const
    {
        std::vector<std::string> lines;
        TStrings* memo = form->Logger->Lines();
        for (int i = 0; i < memo->Count(); ++i) {
            lines.push_back(memo->Get(i));
        }
        return lines;
    }

    bool logHas(const std::string& line) const
    {
        for (const std::string& each : logLines()) {
            if (each == line) {
                return true;
            }
        }
        return false;
    }

    std::string lastLog() const
    {
        const std::vector<std::string> lines = logLines();
        return lines.empty() ? "" : lines.back();
    }

    std::size_t filesBelow(const std::string& folder) const
    {
        std::size_t count = 0;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
            count += entry.is_regular_file() ? 1 : 0;
        }
        return count;
    }

    static void click(TControl* control) { QTest::mouseClick(control->Widget(), Qt::LeftButton); }

    TExtractForm* form = nullptr;
    std::unique_ptr<ExtractView> view;
    IExtractModel* model = nullptr;
    StatusRecorder recorder;
    std::unique_ptr<ExtractController> extract;
    std::unique_ptr<ExtractCancelController> cancel;
    std::unique_ptr<CloseViewController> close;
    std::string output;
};

TEST_F(ExtractDialogTest, FormIsBuiltAsDesigned)
{
    EXPECT_EQ(form->Caption(), "抽出状況");
    EXPECT_EQ(form->BorderStyle(), bsDialog);
    EXPECT_EQ(form->Position(), poMainFormCenter);
    EXPECT_EQ(form->ClientWidth(), 457);
    EXPECT_EQ(form->ClientHeight(), 385);
    EXPECT_EQ(form->Font()->Name(), "ＭＳ Ｐゴシック");
    EXPECT_EQ(form->Font()->Height(), -12);
    EXPECT_EQ(form->Font()->Charset(), SHIFTJIS_CHARSET);
    EXPECT_EQ(form->Label1->Caption(), "抽出中ファイル進捗");
    EXPECT_EQ(form->Label2->Caption(), "全体進捗");
    EXPECT_EQ(form->Label3->Caption(), "ログ");
    for (TProgressBar* bar : {form->FileProgress, form->TotalProgress}) {
        EXPECT_EQ(bar->Min(), 0);
        EXPECT_EQ(bar->Max(), 100);
        EXPECT_TRUE(bar->Smooth());
        EXPECT_EQ(bar->Owner(), form);
    }
    EXPECT_TRUE(form->Logger->ReadOnly());
    EXPECT_EQ(form->Logger->ScrollBars(), ssBoth);
    EXPECT_FALSE(form->Logger->WantReturns());
    EXPECT_FALSE(form->Logger->WordWrap());
    EXPECT_EQ(form->Logger->Lines()->Count(), 0);
    EXPECT_EQ(form->CancelBtn->Caption(), "キャンセル");
    EXPECT_EQ(form->CancelBtn->ModalResult(), mrNone);
    EXPECT_FALSE(form->CancelBtn->Cancel());
    EXPECT_EQ(form->CancelBtn->OnClick.Data(), static_cast<const void*>(static_cast<EventController*>(cancel.get())));
    EXPECT_EQ(form->OnClose.Data(), static_cast<const void*>(cancel.get()));
    EXPECT_EQ(form->OpenFolderBtn->Caption(), "出力フォルダーを開く");
    EXPECT_FALSE(form->OpenFolderBtn->Enabled());
    EXPECT_EQ(form->ProgressText->Caption(), "");
    EXPECT_EQ(form->FindsText->Caption(), "");
}

// Notifications on the user-interface thread take effect at once, even with the dialog hidden.
TEST_F(ExtractDialogTest, StatusesMoveTheBarsAndTheButton)
{
    ScriptedExtractModel scripted;
    scripted.addObserver(view.get());
    TProgressBar* file = form->FileProgress;
    TProgressBar* total = form->TotalProgress;

    scripted.say("START", "抽出開始");
    EXPECT_EQ(file->Max(), 1000);
    EXPECT_EQ(total->Max(), 1000);
    EXPECT_EQ(file->Position(), 0);
    EXPECT_EQ(total->Position(), 0);
    EXPECT_EQ(form->CancelBtn->Caption(), "キャンセル");
    EXPECT_EQ(form->CancelBtn->OnClick.Data(), static_cast<const void*>(static_cast<EventController*>(cancel.get())));

    const std::uint64_t gib = std::uint64_t(1) << 30;
    const struct {
        std::uint64_t position, fileSize, processed, total;
        int fileBar, totalBar;
    } cases[] = {
        {500, 1000, 500, 1000, 500, 500},
        {0, 1000, 0, 1000, 0, 0},
        {1, 3, 1, 3, 333, 333},
        {gib, 4 * gib, 5 * gib, 10 * gib, 250, 500},
        {7 * gib, 8 * gib, 9 * gib + 1, 10 * gib, 875, 900},
        // A size of 0 divides nothing: the bar stays.
        {10, 0, 5, 0, 875, 900},
    };
    for (const auto& c : cases) {
        scripted.position = c.position;
        scripted.fileSize = c.fileSize;
        scripted.processed = c.processed;
        scripted.total = c.total;
        scripted.say("PROCESSING");
        EXPECT_EQ(file->Position(), c.fileBar) << c.position << "/" << c.fileSize;
        EXPECT_EQ(total->Position(), c.totalBar) << c.processed << "/" << c.total;
    }

    scripted.say("DETECTED", "a.binから抽出中...");
    EXPECT_EQ(file->Position(), 0);
    scripted.say("EXTRACTED");
    EXPECT_EQ(file->Position(), 1000);
    scripted.say("SOMETHING", "その他");
    scripted.say("PROCESSING", "エラー発生：読めません");
    scripted.say("ABORTED", "抽出中断.");
    EXPECT_EQ(total->Position(), 900);
    EXPECT_EQ(form->CancelBtn->Caption(), "ＯＫ");
    EXPECT_EQ(form->CancelBtn->OnClick.Data(), static_cast<const void*>(static_cast<EventController*>(close.get())));

    // Nothing of the cancelled run gets through any more; the next run's START does.
    scripted.say("PROCESSING", "遅れた行");
    scripted.say("COMPLETED", "抽出完了.");
    EXPECT_EQ(total->Position(), 900);
    EXPECT_EQ(lastLog(), "抽出中断.");
    EXPECT_EQ(logLines(), (std::vector<std::string>{"抽出開始", "a.binから抽出中...", "その他", "エラー発生：読めません",
                                                    "抽出中断."}));
    scripted.say("START", "抽出開始");
    scripted.say("COMPLETED", "抽出完了.");
    EXPECT_EQ(total->Position(), 1000);
    EXPECT_EQ(form->CancelBtn->Caption(), "ＯＫ");

    // The log holds the last run alone.
    const std::vector<std::string> expected = {"抽出開始", "抽出完了."};
    EXPECT_EQ(logLines(), expected);

    // Other models are not heard.
    ValueObject values;
    values.setValue("status", "START");
    values.setValue("log", "x");
    view->update(configModel, &values);
    EXPECT_EQ(total->Position(), 1000);
    EXPECT_EQ(logLines(), expected);
}

// A worker notifying as fast as it can never waits for the user-interface thread, which then
// finds every log line in order and the latest progress.
TEST_F(ExtractDialogTest, WorkerNotificationsArriveInOrderWithoutBlockingTheWorker)
{
    ScriptedExtractModel scripted;
    scripted.addObserver(view.get());
    scripted.fileSize = 100000;
    scripted.total = 100000;
    const int refills = 100000;
    std::thread worker([&] {
        scripted.say("START", "抽出開始");
        for (int i = 1; i <= refills; ++i) {
            scripted.position = static_cast<std::uint64_t>(i);
            scripted.processed = static_cast<std::uint64_t>(i);
            scripted.say("PROCESSING", i % 100 == 0 ? "line " + std::to_string(i / 100) : "");
        }
        scripted.position = 12345;
        scripted.say("PROCESSING");
        scripted.say("COMPLETED", "抽出完了.");
    });
    // Joined before the user-interface thread has handled a single event.
    worker.join();
    EXPECT_EQ(form->Logger->Lines()->Count(), 0);

    ASSERT_TRUE(pumpUntil([this] { return lastLog() == "抽出完了."; }));
    const std::vector<std::string> lines = logLines();
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(refills / 100 + 2));
    EXPECT_EQ(lines.front(), "抽出開始");
    for (int i = 1; i <= refills / 100; ++i) {
        EXPECT_EQ(lines[static_cast<std::size_t>(i)], "line " + std::to_string(i));
    }
    EXPECT_EQ(form->FileProgress->Position(), 123);
    EXPECT_EQ(form->TotalProgress->Position(), 1000);
    EXPECT_EQ(form->CancelBtn->Caption(), "ＯＫ");
}

// Two confirmed runs over a file with three finds: the bars end full, the log holds the last run
// alone, every find is written, and OK closes the dialog and ends the button's work.
TEST_F(ExtractDialogTest, ConfirmedRunsShowTheirProgressAndEndWithOk)
{
    std::string content(20000, 'x');
    for (std::size_t at : {100u, 5000u, 19000u}) {
        content.replace(at, 16, "GFDT0123456789AB");
    }
    const std::string path = input("finds.bin", content);

    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        messages.shown.clear();
        bool scripted = false;
        ModalScript script;
        bool barsFull = false;
        script.then([this] { return form->Visible() && form->CancelBtn->Caption() == "ＯＫ"; },
                    [&] {
                        barsFull = form->FileProgress->Position() == 1000 && form->TotalProgress->Position() == 1000;
                        click(form->CancelBtn);
                    });
        EXPECT_EQ(pressExtract(script, {path}, output, &scripted), "Success");
        EXPECT_TRUE(scripted);
        EXPECT_TRUE(barsFull);
        EXPECT_FALSE(form->Visible());
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].Type, mtWarning);
        EXPECT_EQ(messages.shown[0].Text, "総ファイルサイズ " + model->getTotalSizeText() + "（20,000 バイト）\n出力先 " +
                                              output + "\n実行します。よろしいですか。");
        EXPECT_TRUE(messages.shown[0].Buttons.Contains(mbOK));
        EXPECT_TRUE(messages.shown[0].Buttons.Contains(mbCancel));
        EXPECT_EQ(filesBelow(output), static_cast<std::size_t>(3 * run));
        // Kept for the next session.
        std::stringstream saved;
        saved << std::ifstream(environment.configPath()).rdbuf();
        EXPECT_NE(saved.str().find("<output_folder>" + output + "</output_folder>"), std::string::npos) << saved.str();
        ASSERT_TRUE(pumpUntil([this] { return !workerRegistered(); }));
    }
    std::vector<std::string> lines = logLines();
    int starts = 0;
    int completions = 0;
    for (const std::string& line : lines) {
        starts += line == "抽出開始" ? 1 : 0;
        completions += line.rfind("抽出完了.", 0) == 0 ? 1 : 0;
    }
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(lines.front(), "抽出開始");
    EXPECT_EQ(lines.back().rfind("抽出完了.", 0), 0u) << lines.back();
    EXPECT_TRUE(logHas(path + "から抽出中..."));
    EXPECT_TRUE(recorder.late().empty()) << ::testing::PrintToString(recorder.late());
}

// The dialog tells the story of a run: a line per find with its kind, offset and output file, the
// finds so far by kind, the bytes scanned of the total, the run's summary as its last line, and a
// button that hands the output folder to the desktop's opener.
TEST_F(ExtractDialogTest, ARunShowsEveryFindItsCountsAndItsSummaryAndOpensItsFolder)
{
    std::string content(20000, 'x');
    const std::size_t offsets[] = {100, 5000, 19000};
    for (std::size_t at : offsets) {
        content.replace(at, 16, "GFDT0123456789AB");
    }
    const std::string path = input("finds.bin", content);
    // A stand-in for the desktop's opener, first on the search path, that writes down what it
    // was asked to open.
    const std::string bin = environment.scratchFolder() + "/bin";
    fs::create_directories(bin);
    const std::string opened = environment.scratchFolder() + "/opened.txt";
    {
        std::ofstream opener(bin + "/xdg-open");
        opener << "#!/bin/sh\nprintf '%s\\n' \"$1\" > '" << opened << "'\n";
    }
    fs::permissions(bin + "/xdg-open", fs::perms::owner_all);
    const char* const oldPath = std::getenv("PATH");
    const std::string savedPath = oldPath != nullptr ? oldPath : "";
    ::setenv("PATH", (bin + ":" + savedPath).c_str(), 1);
    std::unique_ptr<OpenOutputFolderController> open(new OpenOutputFolderController(model));
    view->setOpenFolderController(open.get());

    bool openEnabledAtTheEnd = false;
    std::string progress;
    ModalScript script;
    script.then([this] { return form->Visible() && form->CancelBtn->Caption() == "ＯＫ"; },
                [&] {
                    openEnabledAtTheEnd = form->OpenFolderBtn->Enabled();
                    progress = form->ProgressText->Caption();
                    click(form->OpenFolderBtn);
                });
    script.then([&] { return fs::exists(opened) && fs::file_size(opened) > 0; }, [this] { click(form->CancelBtn); });
    bool scripted = false;
    EXPECT_EQ(pressExtract(script, {path}, output, &scripted), "Success");
    ::setenv("PATH", savedPath.c_str(), 1);
    EXPECT_TRUE(scripted);
    EXPECT_TRUE(openEnabledAtTheEnd);

    std::vector<std::string> findLines;
    for (const std::string& line : logLines()) {
        if (line.rfind("bin を抽出しました", 0) == 0) {
            findLines.push_back(line);
        }
    }
    ASSERT_EQ(findLines.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(findLines[i], "bin を抽出しました：位置 " + std::to_string(offsets[i]) + " → " + output + "/finds.bin/bin/bin0000" +
                                    std::to_string(i) + ".bin");
    }
    EXPECT_EQ(logLines().front(), "抽出開始");
    EXPECT_EQ(lastLog(), "抽出完了. 3 件のファイルを抽出しました（bin 3 件）。");
    EXPECT_EQ(form->FindsText->Caption(), "見つかったもの：bin 3 件（計 3 件）");
    EXPECT_EQ(progress.rfind("19.5 KB を ", 0), 0u) << progress;
    std::string openedFolder;
    std::getline(std::ifstream(opened), openedFolder);
    EXPECT_EQ(openedFolder, output);
    ASSERT_TRUE(pumpUntil([this] { return !workerRegistered(); }));
}

// While a run goes, the line under the bars says how far it is, how fast it goes and how long it
// has left; finds are counted by kind as they come.
TEST_F(ExtractDialogTest, ProgressTellsBytesSpeedAndTimeLeftAndFindsByKind)
{
    ScriptedExtractModel scripted;
    scripted.addObserver(view.get());
    scripted.total = 3u << 20;
    scripted.say("START", "抽出開始");
    EXPECT_EQ(form->ProgressText->Caption(), "0 バイト / 3.0 MB（0%）　速度 計測中");
    EXPECT_EQ(form->FindsText->Caption(), "見つかったもの：まだありません");
    scripted.fileSize = 3u << 20;
    scripted.position = 1u << 20;
    scripted.processed = 1u << 20;
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    scripted.say("PROCESSING");
    const std::string text = form->ProgressText->Caption();
    EXPECT_EQ(text.rfind("1.0 MB / 3.0 MB（33%）　速度 ", 0), 0u) << text;
    EXPECT_NE(text.find("/秒　残り 約 "), std::string::npos) << text;
    EXPECT_NE(text.find(" 秒"), std::string::npos) << text;

    for (const char* kind : {"png", "jpg", "png"}) {
        ValueObject values;
        values.setValue("status", "FOUND");
        values.setValue("log", std::string(kind) + " を抽出しました");
        values.setValue("kind", kind);
        scripted.notifyObservers(&values);
    }
    EXPECT_EQ(form->FindsText->Caption(), "見つかったもの：jpg 1 件、png 2 件（計 3 件）");
    scripted.say("START", "抽出開始");
    EXPECT_EQ(form->FindsText->Caption(), "見つかったもの：まだありません");
    EXPECT_EQ(logLines(), std::vector<std::string>{"抽出開始"});
}

// The two ways of stopping a run from the dialog: its button, and its close box. Either way the
// cancel shows at once, the worker ends by itself, and nothing reaches the dialog after "ABORTED".
TEST_F(ExtractDialogTest, CancelDuringARunStopsItForGood)
{
    const struct {
        const char* how;
        bool closeBox;
    } ways[] = {{"cancel button", false}, {"close box", true}};
    const std::string path = sparseInput(std::uintmax_t(8) << 30);

    for (const auto& way : ways) {
        SCOPED_TRACE(way.how);
        ModalScript script;
        // The bars still show the previous run until this one's "START": the cancel waits for it.
        const int startsBefore = recorder.starts();
        script.then([this, startsBefore] {
                        return form->Visible() && recorder.starts() > startsBefore &&
                               form->FileProgress->Position() > 0;
                    },
                    [&] {
                        if (way.closeBox) {
                            // The form's closing (and with it the cancel) follows once the modal
                            // loop has seen the close.
                            form->Widget()->window()->close();
                            return;
                        }
                        click(form->CancelBtn);
                        EXPECT_EQ(lastLog().rfind("抽出中断.", 0), 0u) << lastLog();
                        EXPECT_EQ(form->CancelBtn->Caption(), "ＯＫ");
                        EXPECT_TRUE(form->Visible());
                    });
        if (!way.closeBox) {
            script.then([this] { click(form->CancelBtn); });
        }
        bool scripted = false;
        EXPECT_EQ(pressExtract(script, {path}, output, &scripted), "Success");
        EXPECT_TRUE(scripted);
        // The cancel does not wait for the worker, which ends by itself after its current call.
        ASSERT_TRUE(pumpUntil([this] { return !workerRegistered(); }));
        EXPECT_FALSE(form->Visible());
        EXPECT_EQ(lastLog().rfind("抽出中断.", 0), 0u) << lastLog();
        EXPECT_EQ(form->CancelBtn->Caption(), "ＯＫ");

        const std::size_t lines = logLines().size();
        const int fileBar = form->FileProgress->Position();
        const int totalBar = form->TotalProgress->Position();
        EXPECT_LT(totalBar, 1000);
        // Whatever was still under way has had its turn.
        for (int i = 0; i < 100; ++i) {
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(logLines().size(), lines);
        EXPECT_EQ(lastLog().rfind("抽出中断.", 0), 0u) << lastLog();
        EXPECT_EQ(form->FileProgress->Position(), fileBar);
        EXPECT_EQ(form->TotalProgress->Position(), totalBar);
        EXPECT_TRUE(recorder.late().empty()) << ::testing::PrintToString(recorder.late());
    }
}

// A plug-in busy with a long call when the user cancels: the cancel shows at once, the dialog goes
// on answering while the call lasts, it closes at once, and Extract can be pressed again without
// waiting for the call. The worker ends by itself once the call returns, and says nothing more.
TEST_F(ExtractDialogTest, CancelShowsAtOnceAndTheDialogStaysResponsiveWhileAPluginCallLasts)
{
    environment.removePlugin("alpha");
    environment.addPlugin("slow");
    const std::string release = environment.scratchFolder() + "/release";
    configModel->setProperty("block", release.c_str(), "slow");
    configModel->save();
    const std::string path = input("finds.bin", "GFDT0123456789AB" + std::string(1000, 'x'));

    int ticksAfterCancel = 0;
    bool stillInTheCall = false;
    ModalScript script;
    script.then([&] { return form->Visible() && fs::exists(release + ".started"); },
                [&] {
                    click(form->CancelBtn);
                    // At once, before the worker has left the plug-in.
                    EXPECT_EQ(lastLog().rfind("抽出中断.", 0), 0u) << lastLog();
                    EXPECT_EQ(form->CancelBtn->Caption(), "ＯＫ");
                    EXPECT_TRUE(workerRegistered());
                });
    // The modal loop keeps turning (these steps are its timer's ticks) while the call lasts.
    script.then([&] { return ++ticksAfterCancel >= 20; },
                [&] {
                    stillInTheCall = workerRegistered() && !fs::exists(release);
                    click(form->CancelBtn);
                });
    bool scripted = false;
    EXPECT_EQ(pressExtract(script, {path}, output, &scripted), "Success");
    EXPECT_TRUE(scripted);
    EXPECT_TRUE(stillInTheCall);
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(workerRegistered());

    // The next press does not wait for the plug-in either.
    messages.shown.clear();
    messages.answer = mrCancel;
    ModalScript none;
    EXPECT_EQ(pressExtract(none, {path}, output), "Cancelled");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].Type, mtWarning);
    EXPECT_TRUE(workerRegistered());

    const std::size_t lines = logLines().size();
    std::ofstream(release) << "go";
    ASSERT_TRUE(pumpUntil([this] { return !workerRegistered(); }));
    for (int i = 0; i < 100; ++i) {
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(logLines().size(), lines);
    EXPECT_EQ(lastLog().rfind("抽出中断.", 0), 0u) << lastLog();
    EXPECT_TRUE(recorder.late().empty()) << ::testing::PrintToString(recorder.late());
}

// A run that cannot go on (here: its settings cannot be read when it starts) ends with its reason
// and the button's ＯＫ, which closes the dialog.
TEST_F(ExtractDialogTest, ARunThatFailsEndsWithItsReasonAndOk)
{
    const std::string path = input("finds.bin", "GFDT0123456789AB");
    // A folder where the settings file should be: neither read nor written.
    fs::remove(environment.configPath());
    fs::create_directory(environment.configPath());
    bool okShown = false;
    ModalScript script;
    script.then([this] { return form->Visible() && form->CancelBtn->Caption() == "ＯＫ"; },
                [&] {
                    okShown = true;
                    click(form->CancelBtn);
                });
    bool scripted = false;
    EXPECT_EQ(pressExtract(script, {path}, output, &scripted), "Success");
    EXPECT_TRUE(scripted);
    EXPECT_TRUE(okShown);
    EXPECT_FALSE(form->Visible());
    EXPECT_EQ(lastLog().rfind("抽出失敗. ", 0), 0u) << lastLog();
    EXPECT_GT(lastLog().size(), std::string("抽出失敗. ").size());
    ASSERT_TRUE(pumpUntil([this] { return !workerRegistered(); }));
    fs::remove(environment.configPath());
}

// After its final status a run is over for the dialog: a cancel that comes late (the dialog closed
// between the end and the worker's exit) shows nothing, whatever the model sends.
TEST_F(ExtractDialogTest, NothingShowsAfterARunsFinalStatus)
{
    ScriptedExtractModel scripted;
    scripted.addObserver(view.get());
    for (const char* final : {"COMPLETED", "FAILED"}) {
        SCOPED_TRACE(final);
        scripted.say("START", "抽出開始");
        EXPECT_EQ(form->CancelBtn->Caption(), "キャンセル");
        const std::string verdict = std::string(final) == "COMPLETED" ? "抽出完了." : "抽出失敗. 理由";
        scripted.say(final, verdict);
        EXPECT_EQ(form->CancelBtn->Caption(), "ＯＫ");
        EXPECT_EQ(form->CancelBtn->OnClick.Data(), static_cast<const void*>(static_cast<EventController*>(close.get())));
        scripted.say("ABORTED", "抽出中断.");
        scripted.say("PROCESSING", "遅れた行");
        EXPECT_EQ(lastLog(), verdict);
        EXPECT_EQ(form->CancelBtn->Caption(), "ＯＫ");
        EXPECT_EQ(form->CancelBtn->OnClick.Data(), static_cast<const void*>(static_cast<EventController*>(close.get())));
    }
}

// The dialog comes up for a new run in its cancel state, whatever the last run left on it, before
// the new run's first notification is drawn; and the last run's end silences nothing of the new.
TEST_F(ExtractDialogTest, TheDialogOpensForANewRunWithItsCancelButton)
{
    ScriptedExtractModel scripted;
    scripted.addObserver(view.get());
    scripted.say("START", "抽出開始");
    scripted.say("COMPLETED", "抽出完了.");
    ASSERT_EQ(form->CancelBtn->Caption(), "ＯＫ");
    ASSERT_TRUE(form->OpenFolderBtn->Enabled());
    std::string caption;
    const void* handler = nullptr;
    bool openEnabled = true;
    std::string cancelled;
    ModalScript script;
    script.then([this] { return form->Visible(); },
                [&] {
                    caption = form->CancelBtn->Caption();
                    handler = form->CancelBtn->OnClick.Data();
                    openEnabled = form->OpenFolderBtn->Enabled();
                    // A cancel of the new run before its "START" came still shows.
                    scripted.say("ABORTED", "抽出中断.");
                    cancelled = form->CancelBtn->Caption();
                    form->Close();
                });
    EXPECT_TRUE(script.run([this] { view->show(); }, [this] { form->Close(); }));
    EXPECT_EQ(caption, "キャンセル");
    EXPECT_FALSE(openEnabled);
    EXPECT_EQ(cancelled, "ＯＫ");
    EXPECT_EQ(lastLog(), "抽出中断.");
    EXPECT_EQ(handler, static_cast<const void*>(static_cast<EventController*>(cancel.get())));
}

// What stops a press of Extract before any run: no folder, no files, no confirmation.
TEST_F(ExtractDialogTest, NothingRunsWithoutFolderFilesOrConfirmation)
{
    const std::string path = input("small.bin", "GFDT0123456789AB");
    const struct {
        const char* what;
        std::vector<std::string> inputs;
        std::string folder;
        int answer;
        std::string result;
        TMsgDlgType type;
        std::string text;
    } cases[] = {
        {"no folder, no files", {}, "", mrOk, "Failure", mtError, "\n出力先にディレクトリを指定して下さい。"},
        {"no folder", {path}, "", mrOk, "Failure", mtError, "\n出力先にディレクトリを指定して下さい。"},
        {"no files", {}, output, mrOk, "Failure", mtError, "\n入力ファイルが指定されていません。"},
        {"not confirmed", {path}, output, mrCancel, "Cancelled", mtWarning,
         "総ファイルサイズ 16 バイト（16 バイト）\n出力先 " + output + "\n実行します。よろしいですか。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        messages.shown.clear();
        messages.answer = c.answer;
        bool shownDialog = false;
        ModalScript script;
        script.then([this] { return form->Visible(); },
                    [&] {
                        shownDialog = true;
                        form->Close();
                    });
        bool scripted = true;
        EXPECT_EQ(pressExtract(script, c.inputs, c.folder, &scripted), c.result);
        EXPECT_FALSE(shownDialog);
        EXPECT_FALSE(workerRegistered());
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].Type, c.type);
        EXPECT_EQ(messages.shown[0].Text, c.text);
        if (c.type == mtError) {
            EXPECT_TRUE(messages.shown[0].Buttons == TMsgDlgButtons{mbOK});
        }
    }
    EXPECT_EQ(filesBelow(output), 0u);
}

// A run with nothing to scan with is refused before anything starts, with the reason.
TEST_F(ExtractDialogTest, NoPluginFoundOrNoneEnabledIsRefusedWithoutARun)
{
    const std::string path = input("small.bin", "GFDT0123456789AB");
    const struct {
        const char* what;
        std::function<void()> arrange;
        std::string text;
    } cases[] = {
        {"no plug-in found", [this] { environment.removePlugin("alpha"); },
         "\nプラグインが見つかりません。プログラムのフォルダーの plugins にプラグインを置いて下さい。"},
        {"none enabled",
         [this] {
             environment.addPlugin("delta");
             configModel->setProperty("enabled", "false", "delta");
             configModel->save();
         },
         "\n有効なプラグインがありません。「プラグイン設定」で使うプラグインを有効にして下さい。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.arrange();
        messages.shown.clear();
        bool shownDialog = false;
        ModalScript script;
        script.then([this] { return form->Visible(); },
                    [&] {
                        shownDialog = true;
                        form->Close();
                    });
        EXPECT_EQ(pressExtract(script, {path}, output), "Failure");
        EXPECT_FALSE(shownDialog);
        EXPECT_FALSE(workerRegistered());
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].Type, mtError);
        EXPECT_EQ(messages.shown[0].Text, c.text);
        EXPECT_TRUE(messages.shown[0].Buttons == TMsgDlgButtons{mbOK});
        EXPECT_EQ(form->Logger->Lines()->Count(), 0);
    }
    EXPECT_EQ(filesBelow(output), 0u);
}

// The output folder's refusals need no plug-in and no settings, so they are tested apart from the
// dialog environment, whose lock a child process of the test could not share.
class ExtractFolderRefusalTest : public ::testing::Test {
protected:
    ExtractFolderRefusalTest()
        : factory(createGlintfetchFactory())
    {
        std::random_device random;
        scratch = fs::temp_directory_path() / ("glintfetch-refusal-" + std::to_string(random()) + std::to_string(random()));
        fs::create_directories(scratch);
        TComponent* noOwner = nullptr;
        form = new TExtractForm(noOwner);
        view.reset(new ExtractView(form));
        model = factory->createExtractModel(factory->createConfigModel(), factory->createPluginModel());
        extract.reset(new ExtractController(view.get(), model, factory.get()));
    }

    ~ExtractFolderRefusalTest() override
    {
        extract.reset();
        view.reset();
        delete form;
        factory.reset();
        std::error_code ignored;
        for (const auto& entry : fs::recursive_directory_iterator(scratch, ignored)) {
            ::chmod(entry.path().c_str(), 0700);
        }
        fs::remove_all(scratch, ignored);
    }

    fs::path scratch;
    DialogMessages messages;
    std::unique_ptr<IGlintfetchFactory> factory;
    TExtractForm* form = nullptr;
    std::unique_ptr<ExtractView> view;
    IExtractModel* model = nullptr;
    std::unique_ptr<ExtractController> extract;
};

// Checked before the run: a folder that is not there, is no folder, or may not be written (a
// read-only folder of an ordinary user) is refused with an error box naming it, and nothing runs.
TEST_F(ExtractFolderRefusalTest, AnOutputFolderThatIsMissingNoFolderOrReadOnlyIsRefused)
{
    const std::string input = (scratch / "input.bin").string();
    std::ofstream(input) << "GFDT0123456789AB";
    const std::string locked = (scratch / "locked").string();
    fs::create_directories(locked);
    if (withoutroot::rerunWithoutRoot(scratch)) {
        return;
    }
    ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);
    const std::string missing = (scratch / "missing").string();
    const struct {
        const char* what;
        std::string folder;
        std::string text;
    } cases[] = {
        {"missing", missing, "\n出力先のフォルダー「" + missing + "」がありません。"},
        {"missing, with a trailing slash", missing + "/", "\n出力先のフォルダー「" + missing + "」がありません。"},
        {"a file", input, "\n出力先「" + input + "」はフォルダーではありません。"},
        {"read-only", locked,
         "\n出力先のフォルダー「" + locked + "」に書き込めません。書き込みできるフォルダーを指定して下さい。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        messages.shown.clear();
        ValueObject values;
        values.setValue("outputDirectory", c.folder);
        values.addValue("inputFiles", input);
        EXPECT_EQ(extract->execute(&values), "Failure");
        EXPECT_FALSE(form->Visible());
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].Type, mtError);
        EXPECT_EQ(messages.shown[0].Text, c.text);
        EXPECT_TRUE(messages.shown[0].Buttons == TMsgDlgButtons{mbOK});
        try {
            ThreadPool::getThread(static_cast<IRunnable*>(model));
            ADD_FAILURE() << "a worker was made";
        } catch (const ThreadException&) {
        }
    }
    EXPECT_TRUE(fs::is_empty(locked));
}

}  // namespace
