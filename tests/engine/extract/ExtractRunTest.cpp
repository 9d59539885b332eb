#include "tests/engine/extract/ExtractFixture.h"

#include "engine/Extractmodel.h"
#include "tests/framework/support/SpecialFiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include <unistd.h>

using namespace extracttest;

namespace {

// The probes' default window is 4 bytes: a buffer of 4000, refilled every 3996 positions.
constexpr std::uint64_t step = 999 * 4;

using Statuses = std::vector<std::string>;

Statuses fileStatuses(std::size_t refills) {
    Statuses statuses{"START", "DETECTED"};
    statuses.insert(statuses.end(), refills, "PROCESSING");
    statuses.push_back("EXTRACTED");
    statuses.push_back("COMPLETED");
    return statuses;
}

const char* const aFolder = "エラー発生：フォルダーです。中のファイルを入力に加えて下さい。";
const char* const notFound = "エラー発生：ファイルが見つかりません。";

} // namespace

class ExtractRunTest : public ExtractFixture {};

TEST_F(ExtractRunTest, WithoutInputFilesStartsAndCompletesAtOnce) {
    runExtraction({});
    const std::vector<Event> events = recorder->events();
    ASSERT_EQ(recorder->statuses(), (Statuses{"START", "COMPLETED"}));
    EXPECT_EQ(events[0].log, "抽出開始");
    EXPECT_EQ(events[1].log, "抽出完了. 抽出できるデータは見つかりませんでした。");
    for (IObservable* source : recorder->sources) {
        EXPECT_EQ(source, static_cast<IObservable*>(model));
    }
}

TEST_F(ExtractRunTest, OneProcessingPerRefillAndOneDetectPerByte) {
    struct Case {
        const char* name;
        std::uint64_t size;
        std::vector<std::uint64_t> refillsAt;
    };
    const Case cases[] = {
        {"empty file", 0, {}},
        {"shorter than a step", 10, {}},
        {"one byte short of a step", step - 1, {}},
        {"one step", step, {step}},
        {"two steps plus one byte", 2 * step + 1, {step, 2 * step}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        recorder->clear();
        const std::string input = writeFile("input", std::string(c.size, '.'));
        runExtraction({input});

        const std::vector<Event> events = recorder->events();
        ASSERT_EQ(recorder->statuses(), fileStatuses(c.refillsAt.size()));
        EXPECT_EQ(events[1].log, input + "から抽出中...");
        EXPECT_EQ(events[1].index, 0u);
        for (std::size_t i = 0; i < c.refillsAt.size(); ++i) {
            const Event& refill = events[2 + i];
            EXPECT_EQ(refill.log, "");
            EXPECT_EQ(refill.position, c.refillsAt[i]);
            EXPECT_EQ(refill.processed, c.refillsAt[i]);
            EXPECT_EQ(refill.fileSize, c.size);
        }
        const Event& extracted = events[events.size() - 2];
        EXPECT_EQ(extracted.log, "");
        EXPECT_EQ(extracted.position, c.size);
        EXPECT_EQ(events.back().index, 1u);
        EXPECT_EQ(detectCount("probe_a"), c.size);
    }
}

TEST_F(ExtractRunTest, CountersCarryOverFromFileToFile) {
    const std::string first = writeFile("first", std::string(10, '.'));
    const std::string second = writeFile("second", std::string(step + 1, '.'));
    runExtraction({first, second});

    const std::vector<Event> events = recorder->events();
    ASSERT_EQ(recorder->statuses(), (Statuses{"START", "DETECTED", "EXTRACTED", "DETECTED",
                                              "PROCESSING", "EXTRACTED", "COMPLETED"}));
    // The second file's "DETECTED" still shows where the first one ended.
    EXPECT_EQ(events[3].index, 1u);
    EXPECT_EQ(events[3].fileSize, 10u);
    EXPECT_EQ(events[3].position, 10u);
    EXPECT_EQ(events[4].fileSize, step + 1);
    EXPECT_EQ(events[4].position, step);
    EXPECT_EQ(events[4].processed, 10 + step);
    EXPECT_EQ(events[6].index, 2u);
    EXPECT_EQ(events[6].processed, 10 + step + 1);
}

// Walking the inputs with nothing to detect would only take time: the run says so and fails.
TEST_F(ExtractRunTest, WithoutEnabledPluginNoInputIsWalkedAndTheRunFails) {
    probe("probe_a", "enabled", "false");
    const std::string input = writeFile("input", "@@@@@");
    runExtraction({input});

    const std::vector<Event> events = recorder->events();
    ASSERT_EQ(recorder->statuses(), (Statuses{"START", "FAILED"}));
    EXPECT_EQ(events[1].log,
              "抽出失敗. 有効なプラグインがないため、何も調べられません。 抽出したファイルはありません。");
    EXPECT_EQ(events[1].processed, 0u);
    EXPECT_EQ(detectCount("probe_a"), 0u);
    EXPECT_TRUE(extractCalls().empty());
}

TEST_F(ExtractRunTest, TwoPluginsAtOnePosition) {
    struct Case {
        const char* name;
        const char* resultFirst;
        const char* resultSecond;
        std::vector<std::string> outputsTried;
        std::vector<std::string> outputsLeft;
        unsigned extracted;
    };
    const Case cases[] = {
        {"the first succeeds: the second is not asked", "1", "1", {"one00000.one"},
         {"one00000.one"}, 1},
        {"the first fails: its file goes, the second gets the same number", "0", "1",
         {"one00000.one", "two00000.two"}, {"two00000.two"}, 1},
        {"both fail", "0", "0", {"one00000.one", "two00000.two"}, {}, 0},
    };
    // The plug-ins are asked in load order, which is the order the folder walk met them in.
    plugins->loadPlugins(config);
    ASSERT_EQ(plugins->getPluginCount(), 2u);
    const std::string first = plugins->getPlugin(0u)->getID();
    const std::string second = plugins->getPlugin(1u)->getID();
    probe(first, "kind", "one");
    probe(second, "kind", "two");
    probe("probe_b", "enabled", "true");
    const std::string input = writeFile("input", "xx@@yy");
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(logPath);
        useOutput("out" + std::to_string(n++));
        probe(first, "result", c.resultFirst);
        probe(second, "result", c.resultSecond);
        runExtraction({input});

        std::vector<std::string> tried;
        for (const ExtractCall& call : extractCalls()) {
            EXPECT_EQ(call.offset, 2u);
            // Never anyone's file: at most the run's own claim, still empty.
            EXPECT_LE(call.sizeBefore, 0);
            tried.push_back(fs::path(call.output).filename().string());
        }
        EXPECT_EQ(tried, c.outputsTried);
        EXPECT_EQ(outputFiles(), c.outputsLeft);
        EXPECT_EQ(model->getExtractedCount(), c.extracted);
        for (const std::string& left : c.outputsLeft) {
            EXPECT_EQ(readFile(output + "/" + left), "@@");
        }
    }
}

TEST_F(ExtractRunTest, FindsAt100And101AreBothExtractedUnderConsecutiveNumbers) {
    probe("probe_a", "length", "3");
    const std::string input = writeFile("input", std::string(100, '.') + "@@@" + "....");
    runExtraction({input});

    const std::vector<ExtractCall> calls = extractCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].offset, 100u);
    EXPECT_EQ(calls[0].output, output + "/aaa00000.aaa");
    EXPECT_EQ(calls[1].offset, 101u);
    EXPECT_EQ(calls[1].output, output + "/aaa00001.aaa");
    EXPECT_EQ(readFile(calls[0].output), "@@@");
    EXPECT_EQ(readFile(calls[1].output), "@@.");
    EXPECT_EQ(model->getExtractedCount(), 2u);
}

TEST_F(ExtractRunTest, RunningNumbersGrowPastFiveDigits) {
    probe("probe_a", "magic", "@");
    probe("probe_a", "window", "1");
    probe("probe_a", "write", "false");
    const std::string input = writeFile("input", std::string(100001, '@'));
    runExtraction({input});

    EXPECT_EQ(model->getExtractedCount(), 100001u);
    const std::vector<ExtractCall> calls = extractCalls();
    ASSERT_EQ(calls.size(), 100001u);
    EXPECT_EQ(calls[0].output, output + "/aaa00000.aaa");
    EXPECT_EQ(calls[99999].output, output + "/aaa99999.aaa");
    EXPECT_EQ(calls[100000].output, output + "/aaa100000.aaa");
}

TEST_F(ExtractRunTest, FolderOptionsShapeTheOutputPath) {
    struct Case {
        bool perFile;
        bool perData;
        const char* trailing;
        const char* relative;
    };
    const Case cases[] = {
        {true, true, "", "disk.img/aaa/aaa00000.aaa"},
        {true, false, "", "disk.img/aaa00000.aaa"},
        {false, true, "", "aaa/aaa00000.aaa"},
        {false, false, "", "aaa00000.aaa"},
        {false, false, "/", "aaa00000.aaa"},
    };
    fs::create_directories(scratch / "in");
    const std::string input = writeFile("in/disk.img", "@@");
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.relative);
        fs::remove(logPath);
        useOutput("out" + std::to_string(n++));
        config->setCreateDirPerFile(c.perFile);
        config->setCreateDirPerData(c.perData);
        const std::string folder = output;
        output += c.trailing;
        runExtraction({input});
        output = folder;

        const std::vector<ExtractCall> calls = extractCalls();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].output, folder + "/" + c.relative);
        EXPECT_EQ(outputFiles(), std::vector<std::string>{c.relative});
    }
}

// Each told as what it is: a folder as a folder, not as a file that is missing.
TEST_F(ExtractRunTest, AFolderOrAMissingInputIsReportedAndSkipped) {
    fs::create_directories(scratch / "folder");
    const std::string folder = (scratch / "folder").string();
    const std::string missing = (scratch / "missing").string();
    const std::string good = writeFile("good", "@@");
    runExtraction({folder, missing, good});

    const std::vector<Event> events = recorder->events();
    ASSERT_EQ(recorder->statuses(),
              (Statuses{"START", "DETECTED", "PROCESSING", "DETECTED", "PROCESSING", "DETECTED",
                        "FOUND", "EXTRACTED", "COMPLETED"}));
    EXPECT_EQ(events[1].log, folder + "から抽出中...");
    EXPECT_EQ(events[2].log, aFolder);
    EXPECT_EQ(events[2].fileSize, 0u);
    EXPECT_EQ(events[3].log, missing + "から抽出中...");
    EXPECT_EQ(events[4].log, notFound);
    EXPECT_EQ(events[8].index, 3u);
    EXPECT_EQ(events[8].extracted, 1u);
    EXPECT_EQ(events[8].log, "抽出完了（問題あり）. 1 件のファイルを抽出しました（aaa 1 件）。読み込めなかった入力 2 件：" +
                                 folder + "（フォルダーです。中のファイルを入力に加えて下さい）、" + missing +
                                 "（ファイルが見つかりません）。");
    EXPECT_EQ(joined(model, &IExtractModel::getTotalSize), 2u);
    const std::vector<ExtractFailedInput> failed = model->getFailedInputs();
    ASSERT_EQ(failed.size(), 2u);
    EXPECT_EQ(failed[0].path, folder);
    EXPECT_EQ(failed[0].reason, "フォルダーです。中のファイルを入力に加えて下さい。");
    EXPECT_EQ(failed[1].reason, "ファイルが見つかりません。");
    EXPECT_EQ(failed[1].path, missing);
}

TEST_F(ExtractRunTest, AbortFlagDuringTheSecondOfThreeFilesEndsTheRunThere) {
    std::vector<std::string> inputs;
    for (const char* name : {"one", "two", "three"}) {
        inputs.push_back(writeFile(name, std::string(2 * step + 1, '.')));
    }
    // No worker runs the model here, so abort only sets the flag, as if the run were left going.
    recorder->onEvent = [this](const Event& event) {
        if (event.status == "PROCESSING" && event.index == 1) {
            model->abort();
        }
    };
    runExtraction(inputs);

    const std::vector<Event> events = recorder->events();
    ASSERT_EQ(recorder->statuses(), (Statuses{"START", "DETECTED", "PROCESSING", "PROCESSING",
                                              "EXTRACTED", "DETECTED", "PROCESSING", "ABORTED"}));
    EXPECT_EQ(events.back().log, "抽出中断. 抽出したファイルはありません。");
    EXPECT_EQ(events.back().index, 2u);
    EXPECT_EQ(events.back().position, step);
    EXPECT_EQ(events.back().processed, 2 * step + 1 + step);
    EXPECT_EQ(model->getCurrentFileIndex(), 2u);
}

TEST_F(ExtractRunTest, AbortFlagAfterTheLastFileEndsTheRunAsAborted) {
    const std::vector<std::string> inputs{writeFile("one", "...."), writeFile("two", "....")};
    recorder->onEvent = [this](const Event& event) {
        if (event.status == "EXTRACTED" && event.index == 1) {
            model->abort();
        }
    };
    runExtraction(inputs);

    EXPECT_EQ(recorder->statuses(),
              (Statuses{"START", "DETECTED", "EXTRACTED", "DETECTED", "EXTRACTED", "ABORTED"}));
    EXPECT_EQ(recorder->events().back().index, 2u);
}

TEST_F(ExtractRunTest, DetectNeverSeesBytesBeyondWhatWasRead) {
    struct Case {
        const char* name;
        std::vector<std::string> contents;
        std::size_t finds;
    };
    const Case cases[] = {
        // The second file's fill would otherwise end in the first file's "CD".
        {"a short file after a longer one", {"ABCD", "AB"}, 1},
        // The last fill reads "AB" and would otherwise end in "CD" from the first fill.
        {"the tail of a file's last fill", {"ABCD" + std::string(step - 4, '.') + "AB"}, 1},
    };
    probe("probe_a", "magic", "ABCD");
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(logPath);
        useOutput("out" + std::to_string(n++));
        std::vector<std::string> inputs;
        for (const std::string& content : c.contents) {
            inputs.push_back(writeFile("input" + std::to_string(inputs.size()), content));
        }
        runExtraction(inputs);

        const std::vector<ExtractCall> calls = extractCalls();
        ASSERT_EQ(calls.size(), c.finds);
        EXPECT_EQ(calls[0].offset, 0u);
    }
}

// The run's buffer holds a block of positions and the largest window, within a fixed bound: a
// larger window than fits is refused, anything below it is served.
TEST_F(ExtractRunTest, APluginWithAWindowTheBufferCannotHoldIsLeftOut) {
    struct Case {
        std::string window;
        bool otherEnabled;
        Statuses statuses;
    };
    const Statuses withOther{"START", "PROCESSING", "DETECTED", "FOUND", "EXTRACTED", "COMPLETED"};
    const Case cases[] = {
        {"0", true, withOther},
        {std::to_string(ExtractModel::maxWindowSize + 1), true, withOther},
        {"4294967295", true, withOther},
        {"0", false, {"START", "PROCESSING", "FAILED"}},
    };
    const std::string input = writeFile("input", "xx@@yy");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.window + (c.otherEnabled ? " beside another" : " alone"));
        recorder->clear();
        fs::remove(logPath);
        useOutput("out" + c.window + (c.otherEnabled ? "a" : ""));
        probe("probe_a", "enabled", c.otherEnabled ? "true" : "false");
        probe("probe_b", "enabled", "true");
        probe("probe_b", "window", c.window);
        runExtraction({input});

        const std::vector<Event> events = recorder->events();
        ASSERT_EQ(recorder->statuses(), c.statuses);
        EXPECT_EQ(events[1].log, "プラグイン「試験用プローブ probe_b」のウィンドウサイズ " + c.window +
                                     " バイトは扱えないため、このプラグインは使用しません。");
        EXPECT_EQ(detectCount("probe_b"), 0u);
        EXPECT_EQ(extractCalls().size(), c.otherEnabled ? 1u : 0u);
        EXPECT_EQ(events.back().log.rfind("抽出", 0), 0u);
        EXPECT_EQ(events.back().log.rfind("抽出完了.", 0), std::string::npos) << events.back().log;
    }
}

TEST_F(ExtractRunTest, WindowsUpToTheBoundAreServed) {
    const std::string input = writeFile("input", "xx@@yy");
    for (const unsigned window : {2147484u, ExtractModel::maxWindowSize}) {
        SCOPED_TRACE(window);
        recorder->clear();
        fs::remove(logPath);
        useOutput("out" + std::to_string(window));
        probe("probe_a", "enabled", "false");
        probe("probe_b", "enabled", "true");
        probe("probe_b", "window", std::to_string(window));
        runExtraction({input});

        EXPECT_EQ(recorder->statuses(), (Statuses{"START", "DETECTED", "FOUND", "EXTRACTED", "COMPLETED"}));
        const std::vector<ExtractCall> calls = extractCalls();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].offset, 2u);
        EXPECT_EQ(detectCount("probe_b"), 6u);
    }
}

TEST_F(ExtractRunTest, ALaterRunIntoTheSameFolderKeepsEveryEarlierFile) {
    probe("probe_a", "length", "3");
    const std::string first = writeFile("first", "@@1");
    const std::string second = writeFile("second", "@@2");
    const std::string third = writeFile("third", "@@3");

    runExtraction({first});
    runExtraction({second});
    EXPECT_EQ(model->getExtractedCount(), 1u);
    EXPECT_EQ(outputFiles(), (std::vector<std::string>{"aaa00000.aaa", "aaa00001.aaa"}));
    EXPECT_EQ(readFile(output + "/aaa00000.aaa"), "@@1");
    EXPECT_EQ(readFile(output + "/aaa00001.aaa"), "@@2");

    // A failed attempt removes its own file and nothing of the earlier runs.
    probe("probe_a", "result", "0");
    runExtraction({third});
    EXPECT_EQ(outputFiles(), (std::vector<std::string>{"aaa00000.aaa", "aaa00001.aaa"}));
    EXPECT_EQ(readFile(output + "/aaa00000.aaa"), "@@1");
    EXPECT_EQ(readFile(output + "/aaa00001.aaa"), "@@2");

    const std::vector<ExtractCall> calls = extractCalls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(fs::path(calls[2].output).filename(), "aaa00002.aaa");
    for (const ExtractCall& call : calls) {
        EXPECT_LE(call.sizeBefore, 0) << call.output;
    }
}

// A stream among the inputs (a pipe nobody writes to, a socket, a terminal-like device) is told as
// what it is, instead of holding the worker, and the inputs after it are scanned.
TEST_F(ExtractRunTest, AStreamInputIsRefusedAsWhatItIsAndTheRunGoesOn) {
    const std::string pipe = (scratch / "pipe").string();
    ASSERT_TRUE(specialfiles::makePipe(pipe));
    const std::string socketPath = (scratch / "socket").string();
    const int socket = specialfiles::makeSocket(socketPath);
    ASSERT_GE(socket, 0);
    const std::string good = writeFile("good", "@@");
    runExtraction({pipe, socketPath, "/dev/null", good});
    ::close(socket);

    std::vector<std::string> errors;
    for (const Event& event : recorder->events()) {
        if (event.log.rfind("エラー発生：", 0) == 0) errors.push_back(event.log);
    }
    EXPECT_EQ(errors, (std::vector<std::string>{"エラー発生：名前付きパイプ（FIFO）はファイルとして読めません。",
                                                "エラー発生：ソケットはファイルとして読めません。",
                                                "エラー発生：端末などの文字デバイスはファイルとして読めません。"}));
    EXPECT_EQ(recorder->events().back().status, "COMPLETED");
    EXPECT_EQ(model->getExtractedCount(), 1u);
    EXPECT_EQ(model->getFailedInputs().size(), 3u);
}

// A card or disk is scanned over the whole device: its size is the device's, not the 0 its entry
// shows, and finds anywhere on it are written.
TEST_F(ExtractRunTest, ABlockDeviceIsScannedOverItsWholeSize) {
    const std::uint64_t size = 2u << 20;
    std::string content(size, '.');
    content.replace(10, 2, "@@");
    content.replace(size - 2, 2, "@@");
    const std::string image = writeFile("card.img", content);
    specialfiles::LoopDevice loop(image);
    if (loop.device().empty()) GTEST_SKIP() << loop.why();
    runExtraction({loop.device()});

    EXPECT_EQ(joined(model, &IExtractModel::getTotalSize), size);
    const std::vector<Event> events = recorder->events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().status, "COMPLETED");
    EXPECT_EQ(events.back().log, "抽出完了. 2 件のファイルを抽出しました（aaa 2 件）。");
    EXPECT_EQ(events.back().processed, size);
    EXPECT_EQ(outputFiles(), (std::vector<std::string>{"aaa00000.aaa", "aaa00001.aaa"}));
    EXPECT_EQ(readFile(output + "/aaa00001.aaa"), "@@");
}
