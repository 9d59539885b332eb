#include "tests/engine/extract/ExtractFixture.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

using namespace extracttest;

namespace {

using Statuses = std::vector<std::string>;

std::vector<std::string> errorLines(const std::vector<Event>& events) {
    std::vector<std::string> lines;
    for (const Event& event : events) {
        if (event.log.rfind("エラー発生：", 0) == 0) lines.push_back(event.log);
    }
    return lines;
}

} // namespace

class ExtractFailureTest : public ExtractFixture {
protected:
    // Three finds of probe_a, which reports each as found whole and not written.
    void failEveryWrite() {
        probe("probe_a", "result", "0");
        probe("probe_a", "failure", "1");
    }

    std::string threeFinds() { return writeFile("input", "@@..@@..@@"); }
};

// Every way for the folder of a find to be missing is told once, naming the folder, and every
// find lost to it is counted; the run never ends as if all were well.
TEST_F(ExtractFailureTest, AFolderThatIsMissingOrCannotBeMadeIsToldOnceAndItsFindsCounted) {
    struct Case {
        const char* name;
        bool perFile;
        bool perData;
        // Prepares the output folder; returns the folder the log must name.
        std::function<std::string(const std::string& output)> arrange;
        const char* what;
    };
    const Case cases[] = {
        {"the output folder vanished", false, false,
         [](const std::string& output) {
             fs::remove_all(output);
             return output;
         },
         "がありません。"},
        {"a file stands where the per-file folder goes", true, false,
         [](const std::string& output) {
             std::ofstream(output + "/input") << "x";
             return output + "/input";
         },
         "を作れません：同じ名前のファイルがあります。"},
        {"a file stands where the per-kind folder goes", false, true,
         [](const std::string& output) {
             std::ofstream(output + "/aaa") << "x";
             return output + "/aaa";
         },
         "を作れません：同じ名前のファイルがあります。"},
    };
    failEveryWrite();
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        recorder->clear();
        useOutput("out" + std::to_string(n++));
        config->setCreateDirPerFile(c.perFile);
        config->setCreateDirPerData(c.perData);
        const std::string input = threeFinds();
        fillModel({input});
        const std::string folder = c.arrange(output);
        model->run();

        const std::vector<Event> events = recorder->events();
        const std::vector<std::string> errors = errorLines(events);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_NE(errors[0].find("「" + folder + "」" + c.what), std::string::npos) << errors[0];
        EXPECT_EQ(model->getUnwrittenCount(), 3u);
        EXPECT_EQ(events.back().status, "COMPLETED");
        EXPECT_EQ(events.back().log,
                  "抽出完了（問題あり）. 抽出したファイルはありません。書き込めなかったもの 3 件。");
    }
}

// A plug-in's own report of a find it could not write (a full disk, a refused write) is told once
// per cause in its words and counted per find; what it could write stays and is counted apart.
TEST_F(ExtractFailureTest, FailuresThatAPluginReportsAreToldOncePerCauseAndCounted) {
    struct Case {
        const char* failure;
        unsigned unwritten;
        std::size_t failedInputs;
    };
    const Case cases[] = {{"1", 3, 0}, {"2", 0, 1}};
    const std::string input = threeFinds();
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failure);
        recorder->clear();
        useOutput("out" + std::to_string(n++));
        probe("probe_a", "result", "0");
        probe("probe_a", "failure", c.failure);
        probe("probe_b", "enabled", "true");
        probe("probe_b", "magic", "..@@");
        runExtraction({input});

        const std::vector<Event> events = recorder->events();
        const std::vector<std::string> errors = errorLines(events);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0].rfind("エラー発生：テスト：" + output + "/aaa00000.aaa", 0), 0u) << errors[0];
        EXPECT_EQ(model->getUnwrittenCount(), c.unwritten);
        EXPECT_EQ(model->getFailedInputs().size(), c.failedInputs);
        // probe_b's finds at 2 and 6 were written all the same.
        EXPECT_EQ(model->getExtractedCount(), 2u);
        EXPECT_EQ(model->getExtractedCountsByKind(), (std::map<std::string, unsigned>{{"bbb", 2}}));
        EXPECT_EQ(events.back().log.rfind("抽出完了（問題あり）. 2 件のファイルを抽出しました（bbb 2 件）。", 0), 0u)
            << events.back().log;
    }
}

// An exception thrown by a plug-in's call is caught where the call is made: that plug-in is left
// out for the rest of the run, named in the log, and the other plug-ins go on.
TEST_F(ExtractFailureTest, APluginThatThrowsIsLeftOutAndTheRunGoesOn) {
    // The first plug-in in load order throws, so that it is asked before the other at every find.
    plugins->loadPlugins(config);
    ASSERT_EQ(plugins->getPluginCount(), 2u);
    const std::string first = plugins->getPlugin(0u)->getID();
    const std::string second = plugins->getPlugin(1u)->getID();
    const std::string kind = second == "probe_a" ? "aaa" : "bbb";
    probe("probe_b", "enabled", "true");
    for (const char* call : {"detect", "extract"}) {
        SCOPED_TRACE(call);
        recorder->clear();
        fs::remove(logPath);
        useOutput(std::string("out-") + call);
        probe(first, "throw", call);
        runExtraction({threeFinds()});

        const std::vector<Event> events = recorder->events();
        const std::vector<std::string> errors = errorLines(events);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0], "エラー発生：プラグイン「試験用プローブ " + first + "」の " + call +
                                 " で例外が発生しました（probe failure）。このプラグインはこの実行では使用しません。");
        EXPECT_EQ(events.back().status, "COMPLETED");
        // The other takes every find, the first one included; nothing of the failed attempt stays.
        EXPECT_EQ(outputFiles(), (std::vector<std::string>{kind + "00000." + kind, kind + "00001." + kind,
                                                           kind + "00002." + kind}));
        EXPECT_EQ(detectCount(first), 1u);
    }
}

// Failures that leave the run early still end it with a verdict the dialog can close on.
TEST_F(ExtractFailureTest, UnreadableSettingsFailTheRunAndIncompleteOnesAreRepaired) {
    struct Case {
        const char* name;
        std::function<void()> spoil;
        Statuses statuses;
        const char* verdict;
    };
    const std::string input = threeFinds();
    // The settings live beside the program.
    const fs::path settings = fs::read_symlink("/proc/self/exe").parent_path() / "config.xml";
    const Case cases[] = {
        {"settings that cannot be read at the start",
         [&] { fs::remove(settings); },
         {"START", "FAILED"},
         "抽出失敗. "},
        // The load repairs what a file lacks, so the detections find every setting they ask for.
        {"settings that lack their file options",
         [&] {
             std::ofstream(settings)
                 << "<?xml version=\"1.0\"?><glintfetch><plugin_options/></glintfetch>";
         },
         {"START", "DETECTED", "FOUND", "FOUND", "FOUND", "EXTRACTED", "COMPLETED"},
         "抽出完了. "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        recorder->clear();
        fillModel({input});
        c.spoil();
        model->run();

        const std::vector<Event> events = recorder->events();
        EXPECT_EQ(recorder->statuses(), c.statuses);
        EXPECT_EQ(events.back().log.rfind(c.verdict, 0), 0u) << events.back().log;
        EXPECT_GT(events.back().log.size(), std::string(c.verdict).size());
    }
}

TEST_F(ExtractFailureTest, EveryFindIsAnnouncedWithWhereItCameFromAndWentTo) {
    probe("probe_a", "length", "4");
    const std::string input = writeFile("input", "..@@xy");
    std::vector<std::vector<std::string>> found;
    struct Keys : IObserver {
        std::vector<std::vector<std::string>>& found;
        explicit Keys(std::vector<std::vector<std::string>>& found) : found(found) {}
        void update(IObservable*, IValueObject* values) override {
            if (values->getValue("status") != "FOUND") return;
            found.push_back({values->getValue("log"), values->getValue("kind"),
                             values->getValue("inputFile"), values->getValue("offset"),
                             values->getValue("size"), values->getValue("outputFile")});
        }
    } keys(found);
    model->addObserver(&keys);
    runExtraction({input});

    const std::string written = output + "/aaa00000.aaa";
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0], (std::vector<std::string>{"aaa を抽出しました：位置 2 → " + written, "aaa",
                                                  input, "2", "4", written}));
    EXPECT_EQ(readFile(written), "@@xy");
    EXPECT_EQ(recorder->events().back().log, "抽出完了. 1 件のファイルを抽出しました（aaa 1 件）。");
}

// The default settings (a folder per input, then per kind) with the output folder set to the
// input's own folder: the per-input folder would take the input's own name. Every find is lost to
// that one cause, which is told once, and the input is left as it was.
TEST_F(ExtractFailureTest, TheDefaultFoldersBesideTheInputItselfAreToldOnceAndNothingIsTouched) {
    config->setCreateDirPerFile(true);
    config->setCreateDirPerData(true);
    probe("probe_a", "checked", "true");
    const std::string content = "@@..@@..@@";
    const std::string input = writeFile("input", content);
    output = scratch.string();
    runExtraction({input});

    const std::vector<Event> events = recorder->events();
    const std::vector<std::string> errors = errorLines(events);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "エラー発生：フォルダー「" + input + "」を作れません：同じ名前のファイルがあります。")
        << errors[0];
    EXPECT_EQ(model->getUnwrittenCount(), 3u);
    EXPECT_EQ(model->getExtractedCount(), 0u);
    EXPECT_EQ(events.back().status, "COMPLETED");
    EXPECT_EQ(events.back().log,
              "抽出完了（問題あり）. 抽出したファイルはありません。書き込めなかったもの 3 件。");
    EXPECT_TRUE(fs::is_regular_file(input));
    EXPECT_EQ(readFile(input), content);
}

// A disk that fills during a copy, made by a limit on the size of every file the process writes
// (a child process, so that the limit stays there; SIGXFSZ ignored, so that the write fails with
// EFBIG as on a full disk). The finds written before stay whole, the partial one is removed, the
// user is told once for the two finds it cost, and the finds after it are written again.
TEST_F(ExtractFailureTest, ADiskThatFillsDuringACopyLosesOnlyWhatDidNotFitAndSaysSo) {
    constexpr std::size_t small = 10000;
    constexpr std::size_t large = 80000;
    constexpr rlim_t limit = 50000;
    probe("probe_a", "checked", "true");
    probe("probe_a", "length", std::to_string(small));
    probe("probe_b", "enabled", "true");
    probe("probe_b", "checked", "true");
    probe("probe_b", "magic", "##");
    probe("probe_b", "length", std::to_string(large));
    std::string content(400000, '.');
    const std::size_t smallAt[] = {0, 20000, 300000};
    const std::size_t largeAt[] = {40000, 150000};
    for (std::size_t at : smallAt) content.replace(at, 2, "@@");
    for (std::size_t at : largeAt) content.replace(at, 2, "##");
    for (std::size_t i = 0; i < content.size(); ++i) {
        if (content[i] == '.') content[i] = static_cast<char>('a' + i % 23);
    }
    const std::string input = writeFile("input", content);
    fillModel({input});
    const std::string eventsPath = (scratch / "events.txt").string();

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limited{limit, limit};
        if (::setrlimit(RLIMIT_FSIZE, &limited) != 0) ::_exit(2);
        model->run();
        std::ofstream out(eventsPath);
        for (const Event& event : recorder->events()) out << event.status << '\t' << event.log << '\n';
        out << "unwritten\t" << model->getUnwrittenCount() << '\n';
        out.close();
        ::_exit(out ? 0 : 3);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    ASSERT_TRUE(WIFEXITED(status)) << status;
    ASSERT_EQ(WEXITSTATUS(status), 0);

    std::vector<std::pair<std::string, std::string>> lines;
    std::ifstream in(eventsPath);
    for (std::string line; std::getline(in, line);) {
        const std::size_t tab = line.find('\t');
        lines.emplace_back(line.substr(0, tab), line.substr(tab + 1));
    }
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), (std::pair<std::string, std::string>{"unwritten", "2"}));
    std::vector<std::string> errors;
    std::vector<std::string> statuses;
    for (const auto& [statusText, log] : lines) {
        statuses.push_back(statusText);
        if (log.rfind("エラー発生：", 0) == 0) errors.push_back(log);
    }
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "エラー発生：テスト：" + output + "/bbb00002.bbb：" + std::strerror(EFBIG) +
                             "同じ原因で書き込めないものは、件数を最後に示します。");
    EXPECT_EQ(std::count(statuses.begin(), statuses.end(), "FOUND"), 3);
    const std::pair<std::string, std::string> final = lines[lines.size() - 2];
    EXPECT_EQ(final.first, "COMPLETED");
    EXPECT_EQ(final.second,
              "抽出完了（問題あり）. 3 件のファイルを抽出しました（aaa 3 件）。書き込めなかったもの 2 件。");

    // Whole, byte for byte, and nothing of the two that did not fit.
    EXPECT_EQ(outputFiles(), (std::vector<std::string>{"aaa00000.aaa", "aaa00001.aaa", "aaa00002.aaa"}));
    for (std::size_t i = 0; i < 3; ++i) {
        const std::string name = output + "/aaa0000" + std::to_string(i) + ".aaa";
        EXPECT_EQ(readFile(name), content.substr(smallAt[i], small)) << name;
    }
}

// The run remembers the folders it has made sure of; a folder removed while the run goes on is
// made again, and the find whose write it broke is written all the same.
TEST_F(ExtractFailureTest, AFolderRemovedDuringTheRunIsMadeAgainForTheNextFind) {
    probe("probe_a", "checked", "true");
    config->setCreateDirPerData(true);
    const std::string kindFolder = output + "/aaa";
    int found = 0;
    recorder->onEvent = [&](const Event& event) {
        if (event.status == "FOUND" && ++found < 3) fs::remove_all(kindFolder);
    };
    runExtraction({threeFinds()});

    EXPECT_TRUE(errorLines(recorder->events()).empty());
    EXPECT_EQ(model->getExtractedCount(), 3u);
    EXPECT_EQ(model->getUnwrittenCount(), 0u);
    // Each find but the last went with its folder; the last one's is there.
    EXPECT_EQ(outputFiles(), (std::vector<std::string>{"aaa/aaa00002.aaa"}));
    EXPECT_EQ(recorder->events().back().log, "抽出完了. 3 件のファイルを抽出しました（aaa 3 件）。");
}

// What a failed attempt leaves is removed before the next attempt, unless the library promises
// that it leaves nothing: the run then trusts it and saves the look at the file system, so the
// next attempt at that name meets what the lying probe left. The run's claim goes at the end
// either way, with whatever is in it.
TEST_F(ExtractFailureTest, OnlyALibraryThatPromisesNoLeftoversIsSparedTheRemoval) {
    probe("probe_a", "result", "0");
    const std::string input = writeFile("input", "..@@..@@..");
    for (const bool promised : {false, true}) {
        SCOPED_TRACE(promised ? "promised" : "not promised");
        fs::remove(logPath);
        useOutput(promised ? "promised" : "plain");
        probe("probe_a", "promise", promised ? "true" : "false");
        runExtraction({input});
        EXPECT_EQ(model->getExtractedCount(), 0u);
        const std::vector<ExtractCall> calls = extractCalls();
        ASSERT_EQ(calls.size(), 2u);
        EXPECT_EQ(calls[0].output, output + "/aaa00000.aaa");
        EXPECT_EQ(calls[1].output, output + "/aaa00000.aaa");
        EXPECT_EQ(calls[0].sizeBefore, 0);
        // The probe leaves a file and says nothing was found; only a promise keeps it there.
        EXPECT_EQ(calls[1].sizeBefore, promised ? 2 : 0);
        EXPECT_EQ(outputFiles(), std::vector<std::string>{});
    }
}

// Once every plug-in has been left out, the rest of the inputs is not read, though the run tells
// its progress through them as a scan would (the bytes this process read, from /proc/self/io).
TEST_F(ExtractFailureTest, AnInputIsNotReadOnceEveryPluginHasBeenLeftOut) {
    const auto bytesRead = [] {
        std::ifstream io("/proc/self/io");
        for (std::string key; io >> key;) {
            std::uint64_t value = 0;
            io >> value;
            if (key == "rchar:") return value;
        }
        return std::uint64_t{0};
    };
    constexpr std::uint64_t MiB = 1u << 20;
    constexpr std::uint64_t size = 192 * MiB;
    {
        // Data all through, so that every byte the run wants must come from a read.
        std::ofstream out(scratch / "input", std::ios::binary);
        const std::string block(MiB, '.');
        for (std::uint64_t written = 0; written < size; written += MiB) out << block;
    }
    probe("probe_a", "throw", "detect");
    const std::uint64_t before = bytesRead();
    runExtraction({(scratch / "input").string()});
    const std::uint64_t read = bytesRead() - before;

    const std::vector<Event> events = recorder->events();
    EXPECT_EQ(events.back().status, "COMPLETED");
    EXPECT_EQ(events.back().processed, size);
    EXPECT_EQ(std::count_if(events.begin(), events.end(), [](const Event& e) { return e.status == "EXTRACTED"; }), 1);
    // What the readers had taken ahead of the scan (its budget) at most, not the whole input.
    EXPECT_LT(read, size - 64 * MiB) << read;
}
