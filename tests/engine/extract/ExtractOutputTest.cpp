// Where the finds go: names that are the run's alone, nothing of anyone else's written over or
// removed, folders made again when they go, and no empty folder left behind.
#include "tests/engine/extract/ExtractFixture.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

using namespace extracttest;

namespace {

std::vector<std::string> errorLines(const std::vector<Event>& events) {
    std::vector<std::string> lines;
    for (const Event& event : events) {
        if (event.log.rfind("エラー発生：", 0) == 0) lines.push_back(event.log);
    }
    return lines;
}

// Makes path as a careful program does: only where nothing is. False when something was there.
bool makeExclusively(const std::string& path, const std::string& content) {
    std::FILE* file = std::fopen(path.c_str(), "wx");
    if (file == nullptr) return false;
    std::fputs(content.c_str(), file);
    return std::fclose(file) == 0;
}

}  // namespace

class ExtractOutputTest : public ExtractFixture {
protected:
    // Every entry below the output folder, folders too, relative to it, sorted.
    std::vector<std::string> outputEntries() {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(output)) {
            names.push_back(fs::relative(entry.path(), output).string() + (entry.is_directory() ? "/" : ""));
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

// A file that another program makes, between two attempts, at the name the run used last must be
// neither written over by the next find nor removed after the next failed attempt.
TEST_F(ExtractOutputTest, ANameTakenBetweenTwoAttemptsIsNeitherWrittenOverNorRemoved) {
    struct Case {
        const char* name;
        const char* laterResult;
        std::vector<std::string> files;
    };
    const Case cases[] = {
        {"the later attempt writes a find", "1", {"aaa00000.aaa", "aaa00001.aaa"}},
        {"the later attempt fails", "0", {"aaa00000.aaa"}},
    };
    // probe_a fails at 0 (and the run removes what it wrote); probe_b, of the same kind, is asked
    // at 5000, after the "PROCESSING" at 3996 in which the other program makes its file.
    probe("probe_a", "result", "0");
    probe("probe_b", "enabled", "true");
    probe("probe_b", "kind", "aaa");
    probe("probe_b", "magic", "##");
    std::string content(6000, '.');
    content.replace(0, 2, "@@");
    content.replace(5000, 2, "##");
    const std::string input = writeFile("input", content);
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        useOutput("out" + std::to_string(n++));
        probe("probe_b", "result", c.laterResult);
        const std::string theirs = output + "/aaa00000.aaa";
        bool made = false;
        recorder->onEvent = [&](const Event& event) {
            if (event.status == "PROCESSING" && event.log.empty() && !made) {
                made = makeExclusively(theirs, "theirs");
            }
        };
        runExtraction({input});
        recorder->onEvent = nullptr;

        ASSERT_TRUE(made);
        EXPECT_EQ(readFile(theirs), "theirs");
        EXPECT_EQ(outputFiles(), c.files);
        if (c.files.size() > 1) {
            EXPECT_EQ(readFile(output + "/aaa00001.aaa"), "##");
        }
    }
}

// Runs at once into one output folder, each in a process of its own, as several glintfetch-cli
// would be: every find of every run is written whole under a name of its own, and nothing else
// is left there. The finds are all of one kind, with failed attempts of that kind between them
// (whose files are removed), so that the runs contend for the same names all the time.
TEST_F(ExtractOutputTest, RunsAtOnceIntoOneFolderKeepEveryFindOfEveryRunWhole) {
    constexpr int runs = 4;
    constexpr int finds = 300;
    probe("probe_a", "log", "");
    probe("probe_a", "length", "8");
    probe("probe_b", "log", "");
    probe("probe_b", "enabled", "true");
    probe("probe_b", "kind", "aaa");
    probe("probe_b", "magic", "##");
    probe("probe_b", "length", "6");
    probe("probe_b", "result", "0");
    std::string content;
    for (int i = 0; i < finds; ++i) {
        char find[16];
        std::snprintf(find, sizeof find, "@@%06d", i);
        content += std::string(find) + "##....";
    }
    const std::string input = writeFile("input", content);
    fillModel({input});

    std::vector<pid_t> children;
    std::vector<std::string> records;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    for (int run = 0; run < runs; ++run) {
        const std::string record = (scratch / ("run" + std::to_string(run) + ".txt")).string();
        records.push_back(record);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(ready[1]);
            char go = 0;
            // All start together, once every one of them exists.
            if (::read(ready[0], &go, 1) < 0) ::_exit(4);
            struct Found : IObserver {
                std::ofstream out;
                void update(IObservable*, IValueObject* values) override {
                    if (values->getValue("status") == "FOUND") {
                        out << values->getValue("offset") << '\t' << values->getValue("outputFile") << '\n';
                    } else if (values->getValue("status") == "COMPLETED") {
                        out << "end\t" << values->getValue("log") << '\n';
                    }
                }
            } found;
            found.out.open(record);
            model->addObserver(&found);
            model->run();
            found.out.close();
            ::_exit(found.out ? 0 : 3);
        }
        children.push_back(child);
    }
    ::close(ready[0]);
    // Closing the pipe wakes every child at once.
    ::close(ready[1]);
    for (pid_t child : children) {
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        ASSERT_TRUE(WIFEXITED(status)) << status;
        ASSERT_EQ(WEXITSTATUS(status), 0);
    }

    std::set<std::string> names;
    std::size_t written = 0;
    for (const std::string& record : records) {
        SCOPED_TRACE(record);
        std::ifstream in(record);
        std::size_t ofThisRun = 0;
        std::string ending;
        for (std::string line; std::getline(in, line);) {
            const std::size_t tab = line.find('\t');
            const std::string first = line.substr(0, tab);
            const std::string second = line.substr(tab + 1);
            if (first == "end") {
                ending = second;
                continue;
            }
            ++ofThisRun;
            EXPECT_TRUE(names.insert(second).second) << second << " written by two runs";
            EXPECT_EQ(readFile(second), content.substr(std::stoul(first), 8)) << second;
        }
        EXPECT_EQ(ofThisRun, static_cast<std::size_t>(finds));
        EXPECT_EQ(ending, "抽出完了. " + std::to_string(finds) + " 件のファイルを抽出しました（aaa " +
                              std::to_string(finds) + " 件）。");
        written += ofThisRun;
    }
    // Nothing else: no file of a failed attempt, no claim left behind.
    EXPECT_EQ(outputFiles().size(), written);
}

// A plug-in of the first contract cannot say that it failed to write: the folder of its find is
// made sure of at every find, so that one removed since the last find does not cost the next.
TEST_F(ExtractOutputTest, AFolderRemovedBetweenFindsCostsAPluginOfTheFirstContractNothing) {
    probe("probe_a", "contract", "first");
    probe("probe_a", "checked", "true");
    config->setCreateDirPerData(true);
    const std::string kindFolder = output + "/aaa";
    int found = 0;
    recorder->onEvent = [&](const Event& event) {
        if (event.status == "FOUND" && ++found == 1) fs::remove_all(kindFolder);
    };
    runExtraction({writeFile("input", "@@..@@..@@")});

    EXPECT_EQ(model->getExtractedCount(), 3u);
    EXPECT_EQ(outputFiles(), (std::vector<std::string>{"aaa/aaa00001.aaa", "aaa/aaa00002.aaa"}));
    EXPECT_EQ(recorder->events().back().log, "抽出完了. 3 件のファイルを抽出しました（aaa 3 件）。");
}

// The folder goes while the plug-in of the first contract is writing into it: the run finds its
// claim gone with its folder, makes the folder again and asks once more.
TEST_F(ExtractOutputTest, AFolderRemovedDuringTheWriteIsMadeAgainAndTheFindAskedForOnceMore) {
    const std::string go = (scratch / "go").string();
    probe("probe_a", "contract", "first");
    probe("probe_a", "checked", "true");
    probe("probe_a", "block", go);
    probe("probe_a", "heed", "false");
    config->setCreateDirPerData(true);
    const std::string kindFolder = output + "/aaa";
    fillModel({writeFile("input", "..@@..")});
    std::thread worker([&] { model->run(); });
    const bool asked = eventually([&] { return !extractCalls().empty(); });
    fs::remove_all(kindFolder);
    writeFile("go", "");
    worker.join();

    ASSERT_TRUE(asked);
    EXPECT_EQ(extractCalls().size(), 2u);
    EXPECT_EQ(model->getExtractedCount(), 1u);
    EXPECT_EQ(outputFiles(), (std::vector<std::string>{"aaa/aaa00000.aaa"}));
    EXPECT_EQ(readFile(kindFolder + "/aaa00000.aaa"), "@@");
    EXPECT_EQ(recorder->events().back().log, "抽出完了. 1 件のファイルを抽出しました（aaa 1 件）。");
}

// A promise that a failed extract leaves nothing is void for a call that threw: what it wrote
// before it threw is removed.
TEST_F(ExtractOutputTest, APluginThatPromisedAndThrewMidWriteLeavesNothing) {
    probe("probe_a", "promise", "true");
    probe("probe_a", "throw", "write");
    runExtraction({writeFile("input", "..@@..")});

    EXPECT_EQ(model->getExtractedCount(), 0u);
    EXPECT_EQ(errorLines(recorder->events()).size(), 1u);
    EXPECT_TRUE(outputFiles().empty());
}

// The per-file and per-kind folders that the run made for attempts that wrote nothing are removed
// when it ends; a folder that was there before the run stays, empty or not, and so does one that
// holds a find.
TEST_F(ExtractOutputTest, NoFolderMadeForNothingIsLeftAndNoFolderOfBeforeIsRemoved) {
    struct Case {
        const char* name;
        const char* resultA;
        std::vector<std::string> before;
        std::vector<std::string> after;
    };
    const Case cases[] = {
        {"every attempt fails", "0", {}, {}},
        {"the per-file folder was there", "0", {"input/"}, {"input/"}},
        {"the per-kind folder was there", "0", {"input/", "input/aaa/"}, {"input/", "input/aaa/"}},
        {"one kind is written, the other fails", "1", {},
         {"input/", "input/aaa/", "input/aaa/aaa00000.aaa"}},
    };
    config->setCreateDirPerFile(true);
    config->setCreateDirPerData(true);
    probe("probe_b", "enabled", "true");
    probe("probe_b", "magic", "##");
    probe("probe_b", "result", "0");
    const std::string input = writeFile("input", "@@..##..");
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        useOutput("out" + std::to_string(n++));
        for (const std::string& folder : c.before) fs::create_directories(output + "/" + folder);
        probe("probe_a", "result", c.resultA);
        runExtraction({input});
        EXPECT_EQ(outputEntries(), c.after);
    }
}

// Settings that a plug-in's setConfig refuses with an exception leave that plug-in out, named in
// the log; the others go on.
TEST_F(ExtractOutputTest, APluginWhoseSetConfigThrowsIsLeftOutAndTheRunGoesOn) {
    probe("probe_a", "throw", "setConfig");
    probe("probe_b", "enabled", "true");
    runExtraction({writeFile("input", "@@..@@")});

    const std::vector<Event> events = recorder->events();
    const std::vector<std::string> errors = errorLines(events);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("setConfig で例外が発生しました"), std::string::npos) << errors[0];
    EXPECT_EQ(events.back().status, "COMPLETED");
    EXPECT_EQ(outputFiles(), (std::vector<std::string>{"bbb00000.bbb", "bbb00001.bbb"}));
}

// A find of one kind moves the running number past the claim of another kind, which follows it:
// the failed attempts of the other kind are asked under the numbers a run would give a find of
// theirs, and nothing of them is left.
TEST_F(ExtractOutputTest, AClaimFollowsTheRunningNumberPastTheFindsOfAnotherKind) {
    probe("probe_a", "result", "0");
    probe("probe_a", "promise", "true");
    probe("probe_a", "write", "false");
    probe("probe_b", "enabled", "true");
    probe("probe_b", "magic", "##");
    runExtraction({writeFile("input", "@@..##..@@..##..@@")});

    std::vector<std::string> asked;
    for (const ExtractCall& call : extractCalls()) {
        asked.push_back(fs::path(call.output).filename().string());
        EXPECT_EQ(call.sizeBefore, 0) << call.output;
    }
    EXPECT_EQ(asked, (std::vector<std::string>{"aaa00000.aaa", "bbb00000.bbb", "aaa00001.aaa", "bbb00001.bbb",
                                               "aaa00002.aaa"}));
    EXPECT_EQ(outputFiles(), (std::vector<std::string>{"bbb00000.bbb", "bbb00001.bbb"}));
}
