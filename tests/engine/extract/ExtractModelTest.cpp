#include "tests/engine/extract/ExtractFixture.h"

#include "framework/Exception.h"
#include "framework/IThread.h"
#include "framework/ITarnwickFactory.h"
#include "framework/Threadpool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

using namespace extracttest;

namespace {

constexpr std::uint64_t KiB = 1024;
constexpr std::uint64_t TiB = KiB * KiB * KiB * KiB;

} // namespace

class ExtractModelTest : public ExtractFixture {
protected:
    IRunnable* runnable() { return static_cast<IRunnable*>(model); }

    // The worker deregisters when its run has returned; it is never joined through a pointer
    // that it may already have freed.
    bool waitForWorkerEnd() {
        return eventually([this] {
            try {
                ThreadPool::getThread(runnable());
                return false;
            } catch (const ThreadException&) {
                return true;
            }
        });
    }

    bool hasLogLine(const std::string& what) {
        for (const std::string& line : logLines()) {
            if (line.find(what) != std::string::npos) return true;
        }
        return false;
    }

    bool waitForLogLine(const std::string& what) {
        return eventually([&] { return hasLogLine(what); });
    }

    // The index of the first log line that holds what; the number of lines when none does.
    std::size_t firstLogLine(const std::string& what) {
        const std::vector<std::string> lines = logLines();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].find(what) != std::string::npos) return i;
        }
        return lines.size();
    }
};

TEST_F(ExtractModelTest, TotalSizeTextClimbsTheLadderOf1024) {
    struct Case {
        std::uint64_t fileSize;
        unsigned copies;  // the same path may be listed many times; each counts
        const char* text;
    };
    const Case cases[] = {
        {0, 1, "0 バイト"},
        {1023, 1, "1023 バイト"},
        {1024, 1, "1 KB"},
        {KiB * KiB - 1, 1, "1023 KB"},
        {KiB * KiB * KiB, 1, "1 GB"},
        {3 * TiB + 5, 1, "3 TB"},
        {8 * TiB, 128, "1 PB"},
        {8 * TiB, 1023 * 128 + 127, "1023 PB"},
        {8 * TiB, 1024 * 128, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string path = sparseFile("sized", c.fileSize);
        model->clearInputFiles();
        for (unsigned i = 0; i < c.copies; ++i) {
            model->addInputFile(path);
        }
        model->prepare();
        EXPECT_EQ(model->getTotalSizeText(), c.text);
    }
}

TEST_F(ExtractModelTest, PrepareTotalsTheInputsThatExistAndResetsTheProgress) {
    runExtraction({writeFile("first", "@@....")});
    ASSERT_EQ(model->getExtractedCount(), 1u);
    ASSERT_NE(model->getCurrentFileIndex(), 0u);

    fs::create_directories(scratch / "folder");
    model->clearInputFiles();
    model->addInputFile((scratch / "missing").string());
    model->addInputFile((scratch / "folder").string());
    model->addInputFile(writeFile("ten", "0123456789"));
    model->prepare();

    EXPECT_EQ(model->getInputFileCount(), 3u);
    EXPECT_EQ(joined(model, &IExtractModel::getTotalSize), 10u);
    EXPECT_EQ(model->getCurrentFileIndex(), 0u);
    EXPECT_EQ(joined(model, &IExtractModel::getCurrentFileSize), 0u);
    EXPECT_EQ(joined(model, &IExtractModel::getCurrentPosition), 0u);
    EXPECT_EQ(joined(model, &IExtractModel::getProcessedSize), 0u);
    // The run resets the count, not prepare.
    EXPECT_EQ(model->getExtractedCount(), 1u);
}

TEST_F(ExtractModelTest, SixtyFourBitValuesComeHighHalfFirst) {
    const std::string big = sparseFile("big", 4 * KiB * KiB * KiB + 1);
    unsigned high = 0;
    unsigned low = 0;
    recorder->onEvent = [&](const Event& event) {
        if (event.status == "PROCESSING") {
            model->getCurrentFileSize(&high, &low);
            model->abort();
        }
    };
    runExtraction({big});
    EXPECT_EQ(high, 1u);
    EXPECT_EQ(low, 1u);
    model->getTotalSize(&high, &low);
    EXPECT_EQ(high, 1u);
    EXPECT_EQ(low, 1u);
}

TEST_F(ExtractModelTest, AbortWithoutAWorkerOnlySetsTheFlag) {
    model->abort();
    EXPECT_TRUE(recorder->events().empty());

    // The run clears the flag when it begins.
    runExtraction({writeFile("input", "....")});
    EXPECT_EQ(recorder->statuses().back(), "COMPLETED");
}

TEST_F(ExtractModelTest, AWorkerRunNotifiesOnTheWorkerAndDeregistersAtItsEnd) {
    fillModel({writeFile("input", "..@@..")});
    IThread* worker = factory->createThread(runnable());
    worker->start();
    ASSERT_TRUE(recorder->waitFor("COMPLETED"));
    worker->join();

    for (const Event& event : recorder->events()) {
        EXPECT_NE(event.thread, std::this_thread::get_id()) << event.status;
    }
    EXPECT_THROW(ThreadPool::getThread(runnable()), ThreadException);
    model->abort();
    EXPECT_EQ(recorder->statuses().back(), "COMPLETED");
}

TEST_F(ExtractModelTest, AbortOfARunningWorkerIsTheLastNotificationAndTheWorkerEndsByItself) {
    // Far more than the run can scan before the cancel arrives.
    const std::string huge = sparseFile("huge", 8 * TiB);
    fillModel({huge});
    IThread* worker = factory->createThread(runnable());
    worker->start();
    ASSERT_TRUE(recorder->waitFor("PROCESSING"));

    model->abort();
    std::vector<Event> events = recorder->events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().status, "ABORTED");
    EXPECT_EQ(events.back().log, "抽出中断. 抽出したファイルはありません。");
    EXPECT_EQ(events.back().thread, std::this_thread::get_id());

    ASSERT_TRUE(waitForWorkerEnd());
    events = recorder->events();
    for (std::size_t i = 0; i + 1 < events.size(); ++i) {
        EXPECT_NE(events[i].status, "ABORTED");
        EXPECT_NE(events[i].thread, std::this_thread::get_id());
    }
    EXPECT_EQ(events.back().status, "ABORTED");
    // A second abort finds no worker and sends nothing.
    model->abort();
    EXPECT_EQ(recorder->events().size(), events.size());
    EXPECT_LT(joined(model, &IExtractModel::getProcessedSize), 8 * TiB);
}

TEST_F(ExtractModelTest, AbortBeforeTheWorkerStartsKeepsTheRunSilent) {
    fillModel({writeFile("input", "..@@..")});
    IThread* worker = factory->createThread(runnable());
    model->abort();
    EXPECT_EQ(recorder->statuses(), (std::vector<std::string>{"ABORTED"}));
    worker->start();
    ASSERT_TRUE(waitForWorkerEnd());
    EXPECT_EQ(recorder->statuses(), (std::vector<std::string>{"ABORTED"}));
    EXPECT_TRUE(extractCalls().empty());
}

// A plug-in call that takes long keeps neither the cancel nor the user interface waiting: the
// cancel is told at once, the plug-in learns of it through the host, and the worker then ends.
TEST_F(ExtractModelTest, AbortNeverWaitsForAPluginCall) {
    for (const bool heeds : {true, false}) {
        SCOPED_TRACE(heeds ? "the plug-in heeds the cancel" : "the plug-in ignores the cancel");
        recorder->clear();
        fs::remove(logPath);
        const std::string release = (scratch / (heeds ? "release-heeded" : "release-ignored")).string();
        probe("probe_a", "block", release);
        probe("probe_a", "heed", heeds ? "true" : "false");
        fillModel({writeFile("input", "..@@..")});
        factory->createThread(runnable())->start();
        ASSERT_TRUE(waitForLogLine("extract"));

        model->abort();
        EXPECT_EQ(recorder->statuses().back(), "ABORTED");
        if (!heeds) {
            // Nothing can end that call but its file: abort told the end while the call runs.
            EXPECT_FALSE(hasLogLine("released"));
            writeFile(fs::path(release).filename().string(), "");
        }
        ASSERT_TRUE(waitForWorkerEnd());
        EXPECT_EQ(hasLogLine("cancelled"), heeds);
        EXPECT_EQ(recorder->statuses().back(), "ABORTED");
    }
}

// Abort once the run has told its end changes nothing, even while the worker is still there.
TEST_F(ExtractModelTest, AbortAfterTheFinalStatusDoesNothingVisible) {
    recorder->onEvent = [this](const Event& event) {
        if (event.status == "COMPLETED") model->abort();
    };
    fillModel({writeFile("input", "..@@..")});
    factory->createThread(runnable())->start();
    ASSERT_TRUE(waitForWorkerEnd());
    const std::vector<std::string> statuses = recorder->statuses();
    ASSERT_FALSE(statuses.empty());
    EXPECT_EQ(statuses.back(), "COMPLETED");
    EXPECT_EQ(std::count(statuses.begin(), statuses.end(), "ABORTED"), 0);
}

// A run started while a cancelled one is still inside a plug-in call waits for it: the plug-in
// libraries are not reloaded under that call, and the new run's notifications come after it.
TEST_F(ExtractModelTest, ANewRunWaitsForTheCancelledOneToEnd) {
    const std::string release = (scratch / "release").string();
    probe("probe_a", "block", release);
    // The first run stays in its call: the plug-in heeds no cancel, as a plug-in of the first
    // contract could not.
    probe("probe_a", "heed", "false");
    fillModel({writeFile("input", "..@@..")});
    factory->createThread(runnable())->start();
    ASSERT_TRUE(waitForLogLine("extract"));
    model->abort();
    recorder->clear();

    // The settings stay as they are: the cancelled run still reads them, and the user cannot
    // change them while its progress dialog is up. The second run's extract goes on at once, as
    // the file it waits for will be there by then.
    model->setOutputDirectory(output);
    model->clearInputFiles();
    model->addInputFile(writeFile("second", "@@"));
    model->prepare();
    // Whatever the second run tells, it tells after the cancelled call has ended.
    bool startedAfterTheCall = false;
    recorder->onEvent = [&](const Event& event) {
        if (event.status == "START") startedAfterTheCall = hasLogLine("released");
    };
    factory->createThread(runnable())->start();
    // The plug-in settings dialog reloading the plug-ins waits as well.
    std::atomic<bool> reloading{false};
    bool reloadedAfterTheCall = false;
    std::thread dialog([&] {
        reloading = true;
        plugins->loadPlugins(config);
        reloadedAfterTheCall = hasLogLine("released");
    });
    ASSERT_TRUE(eventually([&] { return reloading.load(); }));
    EXPECT_TRUE(recorder->events().empty());

    writeFile("release", "");
    dialog.join();
    EXPECT_TRUE(reloadedAfterTheCall);
    ASSERT_TRUE(recorder->waitFor("COMPLETED"));
    ASSERT_TRUE(waitForWorkerEnd());
    const std::vector<std::string> statuses = recorder->statuses();
    EXPECT_EQ(statuses.front(), "START");
    EXPECT_EQ(statuses.back(), "COMPLETED");
    EXPECT_EQ(model->getExtractedCount(), 1u);
    EXPECT_TRUE(startedAfterTheCall);
    // No object of the cancelled run was released (its detect count logged) under its call.
    EXPECT_LT(firstLogLine("released"), firstLogLine("detects"));
    recorder->onEvent = nullptr;
}
