// glintfetch-cli as a user meets it: run as a child process over generated inputs, beside its own
// plug-ins and config.xml.

#include "app/IGlintfetchFactory.h"
#include "engine/IConfigModel.h"
#include "tests/plugins/Mediafiles.h"
#include "tests/plugins/Samplefiles.h"
#include "tests/plugins/Temporaryfolder.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

fs::path programFolder() { return fs::read_symlink("/proc/self/exe").parent_path(); }

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// The program started with arguments, its standard output and error going to files of folder.
class Child {
public:
    // environment: NAME=value settings in place of this process's own of the same names.
    // program: the program laid out beside the test by default.
    Child(const TemporaryFolder& folder, const std::vector<std::string>& arguments,
          const std::vector<std::string>& environment = {},
          const std::string& program = (programFolder() / "glintfetch-cli").string())
        : outPath(folder.file("stdout.txt")), errPath(folder.file("stderr.txt")) {
        std::vector<std::string> words{program};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::vector<std::string> settings = environment;
        std::vector<char*> envp;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string inherited = *entry;
            const std::string name = inherited.substr(0, inherited.find('=') + 1);
            const bool replaced = std::any_of(settings.begin(), settings.end(),
                                              [&](const std::string& setting) { return setting.rfind(name, 0) == 0; });
            if (!replaced) envp.push_back(*entry);
        }
        for (std::string& setting : settings) envp.push_back(setting.data());
        envp.push_back(nullptr);
        if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Child() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }

    bool started() const { return pid > 0; }
    void interrupt() const { kill(pid, SIGINT); }
    std::string errorsSoFar() const { return readText(errPath); }

    Outcome wait() {
        Outcome outcome;
        int status = 0;
        if (pid > 0 && waitpid(pid, &status, 0) == pid) {
            outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        pid = -1;
        outcome.out = readText(outPath);
        outcome.err = readText(errPath);
        return outcome;
    }

private:
    std::string outPath;
    std::string errPath;
    pid_t pid = -1;
};

Outcome runCli(const TemporaryFolder& folder, const std::vector<std::string>& arguments,
              const std::vector<std::string>& environment = {}) {
    Child child(folder, arguments, environment);
    EXPECT_TRUE(child.started());
    return child.wait();
}

// The program laid out anew in a folder of its own, beside the plug-ins a test chooses: sample
// plug-ins by file name and the test plug-ins that misbehave.
class CliLayout {
public:
    CliLayout(const std::vector<std::string>& samples, const std::vector<std::string>& misbehaving) {
        fs::create_directories(folder.path() / "plugins");
        fs::copy_file(programFolder() / "glintfetch-cli", program());
        for (const std::string& name : samples) {
            fs::copy_file(fs::path(CLI_SAMPLE_PLUGIN_DIR) / name, folder.path() / "plugins" / name);
        }
        for (const std::string& name : misbehaving) {
            fs::copy_file(fs::path(CLI_TEST_PLUGIN_DIR) / (name + ".so"), folder.path() / "plugins" / (name + ".so"));
        }
    }
    std::string program() const { return (folder.path() / "glintfetch-cli").string(); }
    // Settings with property key of plug-in id set to value, where this program reads them.
    void saveProperty(const std::string& id, const std::string& key, const std::string& value) const {
        const fs::path saved = programFolder() / "config.xml";
        {
            std::unique_ptr<IGlintfetchFactory> factory = createGlintfetchFactory();
            IConfigModel* config = factory->createConfigModel();
            config->buildDefaultDocument();
            config->setCreateDirPerFile(false);
            config->setCreateDirPerData(false);
            config->setProperty(key.c_str(), value.c_str(), id.c_str());
            config->save();
        }
        fs::rename(saved, folder.path() / "config.xml");
    }

private:
    TemporaryFolder folder;
};

Outcome runCli(const TemporaryFolder& folder, const CliLayout& layout, const std::vector<std::string>& arguments) {
    Child child(folder, arguments, {}, layout.program());
    EXPECT_TRUE(child.started());
    return child.wait();
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A sanitized program takes a library preloaded before its sanitizer's runtime only when told so;
// the options it was given otherwise stay.
std::string preloadableSanitizerOptions() {
    const char* given = std::getenv("ASAN_OPTIONS");
    return std::string("ASAN_OPTIONS=") + (given != nullptr && *given != '\0' ? std::string(given) + ":" : "") +
           "verify_asan_link_order=0";
}

struct Embedded {
    std::uint64_t offset;
    std::string kind;
    Bytes bytes;
};

// One sample file of every kind in random data, at odd and even offsets.
std::vector<Embedded> corpusFiles() {
    std::size_t ignored = 0;
    std::vector<std::size_t> frames;
    return {
        {1001, "png", SampleFiles::png(31, 17, 11)},
        {40000, "jpg", SampleFiles::jpeg(33, 19, 12)},
        {90001, "gif", SampleFiles::gif(71, 53, 13)},
        {130000, "bmp", SampleFiles::bmp(23, 11, 14)},
        {170003, "wav", SampleFiles::wav(SampleFiles::random(3000, 15), ignored)},
        {200000, "avi", SampleFiles::avi({SampleFiles::random(900, 16), SampleFiles::random(700, 17)}, frames)},
    };
}

std::string writeCorpus(const TemporaryFolder& folder, const std::vector<Embedded>& files) {
    Bytes content = SampleFiles::random(260000, 7);
    for (const Embedded& file : files) std::copy(file.bytes.begin(), file.bytes.end(), content.begin() + file.offset);
    return folder.write("corpus.bin", content);
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
}

std::vector<std::string> split(const std::string& line, char separator) {
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == separator) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

// The value of key in one JSON Lines object of our report (strings without escapes, numbers).
std::string jsonValue(const std::string& line, const std::string& key) {
    const std::string marker = "\"" + key + "\":";
    std::size_t at = line.find(marker);
    if (at == std::string::npos) return "<missing>";
    at += marker.size();
    if (line[at] == '"') {
        const std::size_t end = line.find('"', at + 1);
        return line.substr(at + 1, end - at - 1);
    }
    const std::size_t end = line.find_first_of(",}", at);
    return line.substr(at, end - at);
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::remove(settingsFile);
        output = folder.path() / "out";
        fs::create_directories(output);
    }
    void TearDown() override { fs::remove(settingsFile); }

    // Settings saved as the windowed program saves them, with the PNG plug-in switched off.
    std::string saveSettings() {
        std::unique_ptr<IGlintfetchFactory> factory = createGlintfetchFactory();
        IConfigModel* config = factory->createConfigModel();
        config->buildDefaultDocument();
        config->setCreateDirPerFile(false);
        config->setCreateDirPerData(false);
        config->setProperty("enabled", "false", "glintfetch.png");
        config->save();
        return readText(settingsFile);
    }

    const fs::path settingsFile = programFolder() / "config.xml";
    TemporaryFolder folder;
    fs::path output;
};

TEST_F(CliTest, BadUsageExitsWithTwoAndAHint) {
    const std::string input = folder.write("in.bin", SampleFiles::random(100, 1));
    const std::string out = output.string();
    const std::vector<std::vector<std::string>> cases = {
        {},
        {input},
        {"-o", out},
        {"-o"},
        {"--frobnicate", "-o", out, input},
        {"-o", out, "--max-size", "12q", input},
        {"-o", out, "--volumes", "x", input},
        {"-o", out, "--volumes=0", input},
        {"-o", out, "--min-size", "2M", "--max-size", "1M", input},
        {"-o", out, "--report-format", "xml", input},
        {"-o", out, "--kinds", "jpg,nosuchkind", input},
        {"-o", out, "--help=yes", input},
    };
    for (const auto& arguments : cases) {
        std::string shown;
        for (const std::string& argument : arguments) shown += argument + " ";
        SCOPED_TRACE(shown);
        const Outcome outcome = runCli(folder, arguments);
        EXPECT_EQ(outcome.status, 2);
        EXPECT_TRUE(contains(outcome.err, "詳しくは 'glintfetch-cli --help' を見て下さい。")) << outcome.err;
        EXPECT_EQ(outcome.out, "");
    }
    EXPECT_TRUE(fs::is_empty(output));
}

TEST_F(CliTest, HelpAndVersionGoToStandardOutput) {
    Outcome help = runCli(folder, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("使い方: glintfetch-cli -o OUTPUT", 0), 0u) << help.out;
    for (const char* option : {"--per-input", "--per-kind", "--min-size", "--max-size", "--kinds", "--list-plugins",
                               "--report", "--report-format", "--version", "終了コード"}) {
        EXPECT_TRUE(contains(help.out, option)) << option;
    }
    EXPECT_EQ(help.err, "");
    Outcome version = runCli(folder, {"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("glintfetch-cli ", 0), 0u);
}

// The plug-in files laid out beside the program, one row of the list each.
std::size_t pluginFiles() {
    std::size_t count = 0;
    const fs::path plugins = fs::read_symlink("/proc/self/exe").parent_path() / "plugins";
    for (const fs::directory_entry& entry : fs::directory_iterator(plugins)) {
        if (entry.path().extension() == ".so") ++count;
    }
    return count;
}

TEST_F(CliTest, ListsThePluginsWithTheirStateInTheSettings) {
    Outcome defaults = runCli(folder, {"--list-plugins"});
    EXPECT_EQ(defaults.status, 0);
    const std::vector<std::string> rows = lines(defaults.out);
    ASSERT_GE(pluginFiles(), 6u);
    ASSERT_EQ(rows.size(), 1 + pluginFiles()) << defaults.out;
    EXPECT_EQ(rows[0].rfind("ID", 0), 0u);
    std::map<std::string, std::string> stateByKind;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        std::istringstream row(rows[i]);
        std::string id, kind;
        row >> id >> kind;
        stateByKind[kind] = rows[i].substr(rows[i].size() - std::string("有効").size());
    }
    for (const char* kind : {"png", "jpg", "gif", "bmp", "wav", "avi"}) {
        ASSERT_EQ(stateByKind.count(kind), 1u) << kind;
        EXPECT_TRUE(contains(stateByKind[kind], "有効")) << kind;
    }

    saveSettings();
    const std::vector<std::string> saved = lines(runCli(folder, {"--list-plugins"}).out);
    ASSERT_EQ(saved.size(), rows.size());
    for (const std::string& row : saved) {
        if (contains(row, "glintfetch.png")) {
            EXPECT_EQ(row.substr(row.size() - std::string("無効").size()), "無効") << row;
        }
    }
}

// The report, CSV or JSON Lines, names every find of a generated corpus with its input, offset,
// size, kind and output file, and each output file holds exactly the embedded file.
class CliReportTest : public CliTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(CliReportTest, NamesEveryFindOfTheCorpus) {
    const std::vector<Embedded> files = corpusFiles();
    const std::string input = writeCorpus(folder, files);
    const std::string report = folder.file("report");
    const std::string format = GetParam();
    const Outcome outcome =
        runCli(folder, {"-o", output.string(), "--no-per-input", "--no-per-kind", "--report", report,
                        "--report-format", format, input});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_TRUE(contains(outcome.err, "抽出完了. 6 件のファイルを抽出しました")) << outcome.err;

    std::vector<std::string> rows = lines(readText(report));
    if (format == "csv") {
        ASSERT_FALSE(rows.empty());
        EXPECT_EQ(rows.front(), "input,offset,size,kind,output,method,original_path,state,contents,offsets");
        rows.erase(rows.begin());
    }
    ASSERT_EQ(rows.size(), files.size()) << readText(report);
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i].kind);
        std::string inputField, offset, size, kind, outputFile, method, pieces;
        if (format == "csv") {
            const std::vector<std::string> fields = split(rows[i], ',');
            ASSERT_EQ(fields.size(), 10u) << rows[i];
            inputField = fields[0], offset = fields[1], size = fields[2], kind = fields[3], outputFile = fields[4];
            method = fields[5], pieces = fields[9];
        } else {
            inputField = jsonValue(rows[i], "input"), offset = jsonValue(rows[i], "offset");
            size = jsonValue(rows[i], "size"), kind = jsonValue(rows[i], "kind");
            outputFile = jsonValue(rows[i], "output"), method = jsonValue(rows[i], "method");
            pieces = jsonValue(rows[i], "offsets");
        }
        EXPECT_EQ(method, "carving");
        EXPECT_EQ(pieces, std::to_string(files[i].offset) + ":" + std::to_string(files[i].bytes.size()));
        EXPECT_EQ(inputField, input);
        EXPECT_EQ(offset, std::to_string(files[i].offset));
        EXPECT_EQ(size, std::to_string(files[i].bytes.size()));
        EXPECT_EQ(kind, files[i].kind);
        EXPECT_EQ(fs::path(outputFile).parent_path(), output);
        EXPECT_EQ(TemporaryFolder::read(outputFile), files[i].bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, CliReportTest, ::testing::Values("csv", "jsonl"),
                         [](const auto& info) { return std::string(info.param); });

// Options change the run, not the settings: the saved file is the same byte for byte afterwards.
TEST_F(CliTest, OptionsOverrideTheSettingsForTheRunOnly) {
    const std::string before = saveSettings();
    const std::vector<Embedded> files = corpusFiles();
    const std::string input = writeCorpus(folder, files);

    // Saved: PNG off, no folders.
    Outcome plain = runCli(folder, {"-o", output.string(), input});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_FALSE(fs::exists(output / "png00000.png"));
    EXPECT_TRUE(fs::exists(output / "jpg00000.jpg"));
    EXPECT_TRUE(contains(plain.err, "5 件のファイルを抽出しました")) << plain.err;

    const fs::path second = folder.path() / "second";
    fs::create_directories(second);
    Outcome overridden = runCli(folder, {"-o", second.string(), "--per-input", "--per-kind", "--kinds", "png,gif",
                                         "--max-size", std::to_string(files[0].bytes.size()), input});
    ASSERT_EQ(overridden.status, 0) << overridden.err;
    const fs::path perInput = second / "corpus.bin";
    EXPECT_EQ(TemporaryFolder::read((perInput / "png" / "png00000.png").string()), files[0].bytes);
    // The GIF is larger than the size window allows; the other kinds were not asked for.
    EXPECT_FALSE(fs::exists(perInput / "gif" / "gif00000.gif"));
    EXPECT_FALSE(fs::exists(perInput / "jpg"));
    EXPECT_TRUE(contains(overridden.err, "1 件のファイルを抽出しました（png 1 件）")) << overridden.err;
    EXPECT_LT(files[0].bytes.size(), files[2].bytes.size());

    const fs::path third = folder.path() / "third";
    fs::create_directories(third);
    Outcome window = runCli(folder, {"-o", third.string(), "--min-size", "1k", "--max-size", "3G", "--kinds", "gif",
                                     input});
    ASSERT_EQ(window.status, 0) << window.err;
    EXPECT_EQ(TemporaryFolder::read((third / "gif00000.gif").string()), files[2].bytes);

    EXPECT_EQ(readText(settingsFile), before);
}

TEST_F(CliTest, EveryFailureExitsWithOneAndSaysWhy) {
    const std::vector<Embedded> files = corpusFiles();
    const std::string input = writeCorpus(folder, files);
    const std::string notAFolder = folder.write("plain.txt", Bytes{'x'});
    struct Case {
        const char* what;
        std::vector<std::string> arguments;
        const char* said;
    };
    fs::create_directories(folder.path() / "blocked");
    // A file where the per-kind folder would go: those finds cannot be written.
    folder.write("blocked/png", Bytes{'x'});
    const std::vector<Case> cases = {
        {"missing input", {"-o", output.string(), input, folder.file("missing.bin")}, "件の入力を読み込めませんでした"},
        {"input is a folder", {"-o", output.string(), folder.path().string()}, "件の入力を読み込めませんでした"},
        {"output folder below a file", {"-o", notAFolder + "/below", input}, "を作れません：途中にフォルダーでないものがあります"},
        {"output is a file", {"-o", notAFolder, input}, "を作れません：同じ名前のファイルがあります"},
        {"report cannot be made", {"-o", output.string(), "--report", folder.file("no/such/r.csv"), input},
         "を書けません：途中のフォルダーがありません"},
        {"finds cannot be written",
         {"-o", (folder.path() / "blocked").string(), "--no-per-input", "--per-kind", "--kinds", "png", input},
         "件のファイルを書き込めませんでした"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome outcome = runCli(folder, c.arguments);
        EXPECT_EQ(outcome.status, 1);
        EXPECT_TRUE(contains(outcome.err, c.said)) << outcome.err;
        EXPECT_TRUE(contains(outcome.err, "glintfetch-cli: ")) << outcome.err;
    }
}

// Ctrl-C while the run scans a large input: the program ends with 1, and every find it wrote
// is whole and in the report.
TEST_F(CliTest, AnInterruptCancelsTheRunLeavingWholeFinds) {
    const std::string input = folder.file("large.bin");
    const std::vector<Embedded> files = corpusFiles();
    {
        std::ofstream out(input, std::ios::binary);
        for (const Embedded& file : files) {
            out.seekp(static_cast<std::streamoff>(file.offset));
            out.write(reinterpret_cast<const char*>(file.bytes.data()), static_cast<std::streamsize>(file.bytes.size()));
        }
    }
    // Holes after the finds: long enough that the run is still scanning when the interrupt comes.
    fs::resize_file(input, std::uint64_t{1} << 42);
    const std::string report = folder.file("report.csv");
    Child child(folder, {"-o", output.string(), "--no-per-input", "--no-per-kind", "--report", report, input});
    ASSERT_TRUE(child.started());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (lines(readText(report)).size() < 1 + files.size() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    child.interrupt();
    const Outcome outcome = child.wait();
    EXPECT_EQ(outcome.status, 1) << outcome.err;
    EXPECT_TRUE(contains(outcome.err, "中断しました")) << outcome.err;

    std::vector<std::string> rows = lines(readText(report));
    ASSERT_EQ(rows.size(), 1 + files.size());
    std::size_t outputs = 0;
    for (const auto& entry : fs::directory_iterator(output)) outputs += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(outputs, files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::vector<std::string> fields = split(rows[1 + i], ',');
        ASSERT_EQ(fields.size(), 10u);
        EXPECT_EQ(TemporaryFolder::read(fields[4]), files[i].bytes) << fields[4];
    }
}

}  // namespace

// A failing card as a user meets it: 1 MB of a 64 MB input cannot be read (read and pread fail
// there with an input/output error, through a preloaded stand-in for the device). Every find
// clear of it is written whole, the stretch is named on standard error and in the report, and
// the run ends with 1.
TEST_F(CliTest, ReadsPastAnUnreadableMegabyteAndNamesIt) {
    constexpr std::uint64_t mebibyte = 1024 * 1024;
    constexpr std::uint64_t badFrom = 40 * mebibyte + 100000;
    constexpr std::uint64_t badLength = 1000000;
    const std::vector<Embedded> kinds = corpusFiles();
    std::vector<Embedded> files;
    for (std::uint64_t k = 0; k < 16; ++k) {
        Embedded file = kinds[k % kinds.size()];
        file.offset = k * 4 * mebibyte + 1001 + k;
        files.push_back(file);
    }
    // Two inside the stretch.
    for (const std::uint64_t at : {badFrom + 200001, badFrom + 600000}) {
        Embedded file = kinds[files.size() % kinds.size()];
        file.offset = at;
        files.push_back(file);
    }
    Bytes content(64 * mebibyte);
    const Bytes noise = SampleFiles::random(mebibyte, 21);
    for (std::uint64_t at = 0; at < content.size(); at += mebibyte) {
        std::copy(noise.begin(), noise.end(), content.begin() + static_cast<std::ptrdiff_t>(at));
    }
    for (const Embedded& file : files) {
        std::copy(file.bytes.begin(), file.bytes.end(), content.begin() + static_cast<std::ptrdiff_t>(file.offset));
    }
    const std::string input = folder.write("card.img", content);
    const std::string report = folder.file("report.csv");
    const Outcome outcome = runCli(
        folder, {"-o", output.string(), "--no-per-input", "--no-per-kind", "--report", report, input},
        {"LD_PRELOAD=" + (programFolder() / "failing_reads.so").string(), "GLINTFETCH_FAILING_FILE=" + input,
         "GLINTFETCH_FAILING_RANGES=" + std::to_string(badFrom) + ":" + std::to_string(badLength),
         preloadableSanitizerOptions()});
    EXPECT_EQ(outcome.status, 1) << outcome.err;
    EXPECT_TRUE(contains(outcome.err, "16 件のファイルを抽出しました")) << outcome.err;
    // The stretch as the device loses it: whole sectors.
    const std::uint64_t namedFrom = badFrom / 512 * 512;
    const std::uint64_t namedLength = (badFrom + badLength + 511) / 512 * 512 - namedFrom;
    EXPECT_TRUE(contains(outcome.err, "読めない範囲：" + input + "：位置 " + std::to_string(namedFrom) + " から " +
                                          std::to_string(namedLength) + " バイト"))
        << outcome.err;
    EXPECT_TRUE(contains(outcome.err, "抽出完了（問題あり）.")) << outcome.err;

    const std::vector<std::string> rows = lines(readText(report));
    std::map<std::uint64_t, std::string> written;
    unsigned unreadableRows = 0;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const std::vector<std::string> fields = split(rows[i], ',');
        ASSERT_EQ(fields.size(), 10u) << rows[i];
        if (fields[3] == "unreadable") {
            ++unreadableRows;
            EXPECT_EQ(fields[1], std::to_string(namedFrom));
            EXPECT_EQ(fields[2], std::to_string(namedLength));
            EXPECT_TRUE(fields[4].empty());
            continue;
        }
        written[std::stoull(fields[1])] = fields[4];
    }
    EXPECT_EQ(unreadableRows, 1u);
    ASSERT_EQ(written.size(), 16u) << readText(report);
    for (std::size_t i = 0; i < 16; ++i) {
        SCOPED_TRACE(files[i].offset);
        ASSERT_EQ(written.count(files[i].offset), 1u);
        EXPECT_TRUE(TemporaryFolder::read(written[files[i].offset]) == files[i].bytes);
    }
}

// A find that needs unreadable bytes is left out, or written with zeros for them and marked as
// damaged when asked; a device that goes away ends its input with its own message.
TEST_F(CliTest, DamagedFindsOnRequestAndAVanishedDevice) {
    const Bytes picture = SampleFiles::bmp(120, 80, 5);
    // Larger than one block of the run, whatever the machine, so that the device can go after a
    // find was written.
    Bytes content(40 * 1024 * 1024);
    const Bytes noise = SampleFiles::random(1024 * 1024, 6);
    for (std::size_t from = 0; from < content.size(); from += noise.size()) {
        std::copy(noise.begin(), noise.end(), content.begin() + static_cast<std::ptrdiff_t>(from));
    }
    // On a sector's boundary, as a device loses its bytes.
    const std::uint64_t at = 600 * 512;
    std::copy(picture.begin(), picture.end(), content.begin() + static_cast<std::ptrdiff_t>(at));
    const std::string input = folder.write("card.img", content);
    const std::string shim = "LD_PRELOAD=" + (programFolder() / "failing_reads.so").string();
    const std::vector<std::string> failing{shim, "GLINTFETCH_FAILING_FILE=" + input,
                                           "GLINTFETCH_FAILING_RANGES=" + std::to_string(at + 4096) + ":512",
                                           preloadableSanitizerOptions()};
    struct Case {
        bool keep;
        std::size_t written;
    };
    for (const Case c : {Case{false, 0}, Case{true, 1}}) {
        SCOPED_TRACE(c.keep);
        fs::remove_all(output);
        fs::create_directories(output);
        const std::string report = folder.file(c.keep ? "kept.jsonl" : "left.jsonl");
        std::vector<std::string> arguments{"-o", output.string(), "--no-per-input", "--no-per-kind", "--kinds",
                                           "bmp", "--report", report, "--report-format", "jsonl", input};
        if (c.keep) arguments.insert(arguments.begin(), "--keep-damaged");
        const Outcome outcome = runCli(folder, arguments, failing);
        EXPECT_EQ(outcome.status, 1) << outcome.err;
        EXPECT_EQ(std::distance(fs::directory_iterator(output), fs::directory_iterator()),
                  static_cast<std::ptrdiff_t>(c.written));
        const std::vector<std::string> rows = lines(readText(report));
        ASSERT_EQ(rows.size(), c.written + 1) << readText(report);
        EXPECT_EQ(jsonValue(rows.back(), "kind"), "unreadable");
        EXPECT_EQ(jsonValue(rows.back(), "offset"), std::to_string(at + 4096));
        if (!c.keep) {
            EXPECT_TRUE(contains(outcome.err, "書き出しませんでした")) << outcome.err;
            continue;
        }
        EXPECT_EQ(jsonValue(rows.front(), "damaged"), "true");
        Bytes expected = picture;
        std::fill(expected.begin() + 4096, expected.begin() + 4096 + 512, 0);
        EXPECT_TRUE(TemporaryFolder::read(jsonValue(rows.front(), "output")) == expected);
        EXPECT_TRUE(contains(outcome.err, "損傷あり：" + jsonValue(rows.front(), "output"))) << outcome.err;
    }

    std::vector<std::string> gone = failing;
    gone[2] = "GLINTFETCH_FAILING_RANGES=" + std::to_string(content.size() - 1024 * 1024) + ":1099511627776";
    gone.push_back("GLINTFETCH_FAILING_ERRNO=ENODEV");
    fs::remove_all(output);
    fs::create_directories(output);
    const Outcome outcome = runCli(folder, {"-o", output.string(), "--no-per-input", "--no-per-kind", input}, gone);
    EXPECT_EQ(outcome.status, 1) << outcome.err;
    EXPECT_TRUE(contains(outcome.err, input + "（デバイスが見つからない")) << outcome.err;
    // What was found before the device went stays.
    EXPECT_TRUE(contains(outcome.err, "1 件のファイルを抽出しました（bmp 1 件）")) << outcome.err;
}

// A card image made by the file system's tools: its files come out by name, the report says how
// each was found, and --carve-only gives the run without file systems.
TEST_F(CliTest, CardFilesComeOutByNameAndTheReportSaysHowTheyWereFound) {
    const Bytes kept = SampleFiles::jpeg(40, 30, 21);
    const Bytes gone = SampleFiles::jpeg(44, 28, 22);
    folder.write("kept.jpg", kept);
    folder.write("gone.jpg", gone);
    const std::string line = "cd '" + folder.path().string() + "' && export MTOOLS_SKIP_CHECK=1 && ( "
                             "mkfs.vfat -C -n CARD card.img 4096 && mmd -i card.img ::DCIM && "
                             "mcopy -i card.img kept.jpg ::DCIM/DSC00001.JPG && mcopy -i card.img gone.jpg ::DCIM/DSC00002.JPG && "
                             "mdel -i card.img ::DCIM/DSC00002.JPG ) >/dev/null 2>&1";
    ASSERT_EQ(std::system(line.c_str()), 0);
    const std::string input = folder.file("card.img");
    const std::string report = folder.file("report.csv");
    const Outcome outcome = runCli(folder, {"-o", output.string(), "--per-input", "--per-kind", "-k", "jpg",
                                            "--report", report, input});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const fs::path volume = output / "card.img" / "ボリューム1";
    EXPECT_EQ(TemporaryFolder::read((volume / "DCIM" / "DSC00001.JPG").string()), kept);
    EXPECT_EQ(TemporaryFolder::read((volume / "削除済み" / "DCIM" / "DSC00002.JPG").string()), gone);
    EXPECT_TRUE(contains(outcome.err, "ラベル「CARD」")) << outcome.err;
    // The deleted picture lies in free space, but it is written once.
    const fs::path carved = output / "card.img" / "jpg";
    EXPECT_TRUE(!fs::exists(carved) || fs::is_empty(carved));

    std::vector<std::string> rows = lines(readText(report));
    ASSERT_EQ(rows.size(), 3u) << readText(report);
    std::map<std::string, std::vector<std::string>> byPath;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const std::vector<std::string> fields = split(rows[i], ',');
        ASSERT_EQ(fields.size(), 10u) << rows[i];
        byPath[fields[6]] = fields;
    }
    const std::vector<std::string>& live = byPath["ボリューム1/DCIM/DSC00001.JPG"];
    ASSERT_EQ(live.size(), 10u);
    EXPECT_EQ(live[5], "filesystem");
    EXPECT_EQ(live[7], "live");
    EXPECT_EQ(live[2], std::to_string(kept.size()));
    const std::vector<std::string>& deleted = byPath["ボリューム1/DCIM/DSC00002.JPG"];
    ASSERT_EQ(deleted.size(), 10u);
    EXPECT_EQ(deleted[7], "deleted");
    EXPECT_EQ(deleted[8], "intact");

    const fs::path second = folder.path() / "carving";
    fs::create_directories(second);
    const Outcome carving = runCli(folder, {"-o", second.string(), "--no-per-input", "--no-per-kind", "-k", "jpg",
                                            "--carve-only", input});
    ASSERT_EQ(carving.status, 0) << carving.err;
    EXPECT_FALSE(fs::exists(second / "ボリューム1"));
    EXPECT_EQ(TemporaryFolder::read((second / "jpg00000.jpg").string()), kept);
    EXPECT_EQ(TemporaryFolder::read((second / "jpg00001.jpg").string()), gone);
}

namespace {

// Output files below folder, at any depth.
std::vector<fs::path> outputFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    if (!fs::exists(folder)) return files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The README's own example, in a folder with no "recovered" yet: the output folder and its
// parents are made.
TEST_F(CliTest, TheReadmeExampleMakesItsOutputFolder) {
    const std::vector<Embedded> files = corpusFiles();
    const std::string input = writeCorpus(folder, files);
    const fs::path recovered = folder.path() / "new" / "recovered";
    const std::string report = folder.file("finds.csv");
    const Outcome outcome =
        runCli(folder, {"-o", recovered.string(), "--per-kind", "--kinds", "jpg,png", "--report", report, input});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(TemporaryFolder::read((recovered / "corpus.bin" / "png" / "png00000.png").string()), files[0].bytes);
    EXPECT_EQ(TemporaryFolder::read((recovered / "corpus.bin" / "jpg" / "jpg00001.jpg").string()), files[1].bytes);
    EXPECT_EQ(lines(readText(report)).size(), 3u);
}

// The kinds of the README's tables ("| png | ...", "| ico, cur | ...").
std::vector<std::string> readmeKinds() {
    std::ifstream readme(CLI_README);
    std::vector<std::string> kinds;
    bool inKinds = false;
    for (std::string line; std::getline(readme, line);) {
        if (line.rfind("## ", 0) == 0) inKinds = line == "## Kinds it finds";
        if (!inKinds || line.rfind("| ", 0) != 0 || line.rfind("| kind ", 0) == 0) continue;
        const std::string cell = line.substr(2, line.find(" |", 2) - 2);
        for (std::string kind : split(cell, ',')) {
            kind.erase(0, kind.find_first_not_of(' '));
            kinds.push_back(kind);
        }
    }
    return kinds;
}

TEST_F(CliTest, EveryKindTheReadmeListsIsListedAndAccepted) {
    const std::vector<std::string> kinds = readmeKinds();
    ASSERT_GT(kinds.size(), 60u);
    const Outcome listed = runCli(folder, {"--list-plugins"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    std::set<std::string> shown;
    for (const std::string& row : lines(listed.out)) {
        std::istringstream words(row);
        std::string id, column;
        words >> id >> column;
        for (const std::string& kind : split(column, ',')) shown.insert(kind);
    }
    std::string all;
    for (const std::string& kind : kinds) {
        EXPECT_EQ(shown.count(kind), 1u) << kind;
        all += (all.empty() ? "" : ",") + kind;
    }
    const std::string input = folder.write("in.bin", SampleFiles::random(4096, 3));
    const Outcome run = runCli(folder, {"-o", output.string(), "--kinds", all, input});
    EXPECT_EQ(run.status, 0) << run.err;
}

// One plug-in finds MP4, QuickTime and HEIC files; --kinds keeps the finds of the kinds asked
// for, whichever plug-in finds them.
TEST_F(CliTest, KindsChooseEachFindByItsOwnKind) {
    const std::vector<std::string> names = {"mp4", "mov", "heic"};
    Bytes content = SampleFiles::random(300000, 9);
    std::map<std::string, Bytes> embedded;
    std::size_t at = 1000;
    for (const std::string& name : names) {
        const Bytes& file = MediaFiles::get(name);
        ASSERT_LT(at + file.size(), content.size());
        std::copy(file.begin(), file.end(), content.begin() + static_cast<std::ptrdiff_t>(at));
        embedded[name] = file;
        at += file.size() + 5001;
    }
    const std::string input = folder.write("media.bin", content);
    struct Case {
        std::string kinds;
        std::vector<std::string> found;
    };
    const std::vector<Case> cases = {{"mp4", {"mp4"}}, {"heic,mov", {"heic", "mov"}}, {"mov,mp4,heic", names}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kinds);
        const fs::path out = folder.path() / ("out-" + c.kinds);
        const Outcome outcome = runCli(folder, {"-o", out.string(), "--per-kind", "--no-per-input", "--kinds", c.kinds,
                                                input});
        ASSERT_EQ(outcome.status, 0) << outcome.err;
        const std::vector<fs::path> written = outputFiles(out);
        ASSERT_EQ(written.size(), c.found.size());
        for (std::size_t i = 0; i < written.size(); ++i) {
            // The run numbers its finds through all kinds; the kinds' folders sort by name.
            std::vector<std::string> kinds = c.found;
            std::sort(kinds.begin(), kinds.end());
            EXPECT_EQ(written[i].parent_path(), out / kinds[i]);
            EXPECT_EQ(written[i].extension(), "." + kinds[i]);
            EXPECT_EQ(TemporaryFolder::read(written[i].string()), embedded[kinds[i]]);
        }
    }
}

// The settings and the dialog read a largest size of 0 as no upper limit; so does the option.
TEST_F(CliTest, AMaximumSizeOfZeroIsNoUpperLimit) {
    const std::vector<Embedded> files = corpusFiles();
    const std::string input = writeCorpus(folder, files);
    const Outcome outcome = runCli(folder, {"-o", output.string(), "--min-size", "1k", "--max-size", "0", input});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    std::size_t large = 0;
    for (const Embedded& file : files) large += file.bytes.size() >= 1024 ? 1 : 0;
    ASSERT_GT(large, 0u);
    EXPECT_EQ(outputFiles(output).size(), large);
}

std::string fromBase64(const std::string& text) {
    const std::string digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bytes;
    std::uint32_t group = 0;
    int bits = 0;
    for (char c : text) {
        const std::size_t digit = digits.find(c);
        if (digit == std::string::npos) break;
        group = group << 6 | static_cast<std::uint32_t>(digit);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes += static_cast<char>((group >> bits) & 0xFF);
        }
    }
    return bytes;
}

bool validUtf8(const std::string& text) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder.decode(QByteArray::fromStdString(text));
    return !decoder.hasError();
}

// A file system takes any bytes for a name; a JSON string takes only text. The line stays JSON
// and the exact name is beside it.
TEST_F(CliTest, AJsonLinesReportStaysJsonForANameThatIsNoUtf8) {
    const std::vector<Embedded> files = corpusFiles();
    Bytes content = SampleFiles::random(260000, 7);
    std::copy(files[0].bytes.begin(), files[0].bytes.end(), content.begin() + 1001);
    const std::string input = folder.write("bad\xff" "name.bin", content);
    const std::string report = folder.file("report.jsonl");
    const Outcome outcome = runCli(folder, {"-o", output.string(), "--per-input", "--no-per-kind", "--kinds", "png", "--report", report,
                                            "--report-format", "jsonl", input});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const std::vector<std::string> rows = lines(readText(report));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_TRUE(validUtf8(rows[0])) << rows[0];
    EXPECT_EQ(jsonValue(rows[0], "input"), folder.file("bad\\ufffdname.bin"));
    EXPECT_EQ(fromBase64(jsonValue(rows[0], "input_base64")), input);
    const std::string written = fromBase64(jsonValue(rows[0], "output_base64"));
    EXPECT_EQ(written, (output / "bad\xff" "name.bin" / "png00000.png").string());
    EXPECT_EQ(TemporaryFolder::read(written), files[0].bytes);
    EXPECT_EQ(jsonValue(rows[0], "kind"), "png");
    EXPECT_EQ(jsonValue(rows[0], "kind_base64"), "<missing>");
}

// Ctrl-C while a plug-in that heeds no cancel writes its find: when the run is over, the folder
// and the report agree.
TEST_F(CliTest, AFindFinishedAfterAnInterruptIsNotLeftBehind) {
    CliLayout layout({}, {"slow"});
    const std::string block = folder.file("block");
    layout.saveProperty("slow", "block", block);
    Bytes content = SampleFiles::random(5000, 4);
    const Bytes magic = {'G', 'F', 'D', 'T'};
    std::copy(magic.begin(), magic.end(), content.begin() + 100);
    const std::string input = folder.write("in.bin", content);
    const std::string report = folder.file("report.csv");
    Child child(folder, {"-o", output.string(), "--report", report, input}, {}, layout.program());
    ASSERT_TRUE(child.started());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!fs::exists(block + ".started") && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(fs::exists(block + ".started"));
    child.interrupt();
    // The program has taken the interrupt before the plug-in is let go.
    while (!contains(child.errorsSoFar(), "中断します") && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::ofstream(block).put('x');
    const Outcome outcome = child.wait();
    EXPECT_EQ(outcome.status, 1) << outcome.err;
    EXPECT_TRUE(contains(outcome.err, "抽出中断. 抽出したファイルはありません。")) << outcome.err;
    EXPECT_EQ(lines(readText(report)), std::vector<std::string>{"input,offset,size,kind,output,method,original_path,state,contents,offsets"});
    EXPECT_EQ(outputFiles(output), std::vector<fs::path>{});
}

// A plug-in whose getVersion throws, a standard exception or any other, is left out with a
// message; the others list and run.
class CliThrowingPluginTest : public CliTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(CliThrowingPluginTest, IsLeftOutWithAMessage) {
    CliLayout layout({"pngextract.so"}, {GetParam()});
    const Outcome listed = runCli(folder, layout, {"--list-plugins"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_TRUE(contains(listed.err, "の getVersion で例外が発生しました")) << listed.err;
    const std::vector<std::string> rows = lines(listed.out);
    ASSERT_EQ(rows.size(), 2u) << listed.out;
    EXPECT_EQ(rows[1].rfind("glintfetch.png ", 0), 0u);

    const std::vector<Embedded> files = corpusFiles();
    Bytes content = SampleFiles::random(5000, 4);
    const Bytes magic = {'G', 'F', 'D', 'T'};
    std::copy(magic.begin(), magic.end(), content.begin() + 100);
    content.insert(content.end(), files[0].bytes.begin(), files[0].bytes.end());
    const std::string input = folder.write("in.bin", content);
    const Outcome run = runCli(folder, layout, {"-o", output.string(), "--no-per-input", "--no-per-kind", input});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(contains(run.err, "このプラグインは使用しません。")) << run.err;
    EXPECT_EQ(outputFiles(output), std::vector<fs::path>{output / "png00000.png"});
}

INSTANTIATE_TEST_SUITE_P(Exceptions, CliThrowingPluginTest, ::testing::Values("versionthrows", "versionthrowsany"));

// The command line speaks Japanese, as its log does: every line it writes of its own, in a run
// with finds, a failure and a usage error, holds Japanese text (paths and kinds aside).
TEST_F(CliTest, ItsOwnTextsAreJapaneseLikeItsLog) {
    const std::vector<Embedded> files = corpusFiles();
    const std::string input = writeCorpus(folder, files);
    const std::vector<std::vector<std::string>> runs = {
        {"-o", output.string(), input, folder.file("missing.bin")},
        {"-o", output.string(), "--kinds", "nosuchkind", input},
        {"-o", output.string(), "--report", folder.file("no/such/report.csv"), input},
        {"-o", output.string(), "--max-size", "2X", input},
    };
    for (const auto& arguments : runs) {
        SCOPED_TRACE(arguments[2]);
        const Outcome outcome = runCli(folder, arguments);
        ASSERT_NE(outcome.status, 0);
        for (const std::string& line : lines(outcome.err)) {
            const bool japanese = std::any_of(line.begin(), line.end(), [](char c) { return (c & 0x80) != 0; });
            EXPECT_TRUE(japanese) << line;
        }
    }
}

// The report on a full disk: the reason is told.
class CliFullReportTest : public CliTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(CliFullReportTest, SaysWhyTheReportCannotBeWritten) {
    const std::string input = writeCorpus(folder, corpusFiles());
    const Outcome outcome =
        runCli(folder, {"-o", output.string(), "--report", "/dev/full", "--report-format", GetParam(), input});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_TRUE(contains(outcome.err, "「/dev/full」を") && contains(outcome.err, "：ディスクの空き容量が足りません"))
        << outcome.err;
}

INSTANTIATE_TEST_SUITE_P(Formats, CliFullReportTest, ::testing::Values("csv", "jsonl"));

}  // namespace
