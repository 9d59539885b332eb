#include "platform/os/Program.h"
#include "platform/os/SharedLibrary.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

TEST(ProgramTest, ExecutablePathIsTheResolvedPathOfThisProgram) {
    const std::string path = os::executablePath();
    EXPECT_EQ(path, std::filesystem::canonical("/proc/self/exe").string());
    EXPECT_EQ(std::filesystem::path(path).filename(), "os_tests");
}

TEST(ProgramTest, SleepSuspendsAtLeastTheGivenTime) {
    const auto before = std::chrono::steady_clock::now();
    os::sleep(20);
    EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(20));
    os::sleep(0);
}

TEST(SharedLibraryTest, EmptyOrMissingNamesLoadNothing) {
    EXPECT_EQ(os::loadLibrary(""), nullptr);
    EXPECT_EQ(os::loadLibrary("/no/such/library.so"), nullptr);
    EXPECT_EQ(os::findSymbol(nullptr, "main"), nullptr);
    os::freeLibrary(nullptr);
}

// A load that fails says why, in the program's words where the loader's reason is a usual one.
TEST(SharedLibraryTest, AFailedLoadSaysWhy) {
    const std::string bin = GLINTFETCH_TESTS_BIN;
    const std::string text = std::filesystem::temp_directory_path() / "glintfetch-not-a-library.so";
    std::ofstream(text) << "not a shared library, only text long enough to be read as a header of one";
    const struct {
        std::string file;
        std::string reason;
    } cases[] = {
        {"", "ファイルまたはフォルダーが見つかりません"},
        {"/no/such/library.so", "ファイルまたはフォルダーが見つかりません"},
        {text, "ELF 形式のファイルではありません"},
        {bin + "/os_needs_library_probe.so", "必要なライブラリ「libglintfetchneeded.so」が見つかりません"},
        {bin + "/os_needs_symbol_probe.so", "どこにも定義のないシンボル「glintfetchNobodyDefinesThis」を使っています"},
    };
    for (const auto& c : cases) {
        std::string reason = "left from before";
        EXPECT_EQ(os::loadLibrary(c.file, reason), nullptr) << c.file;
        EXPECT_EQ(reason, c.reason) << c.file;
    }
    std::filesystem::remove(text);

    std::string reason = "left from before";
    os::LibraryHandle self = os::loadLibrary("libc.so.6", reason);
    EXPECT_NE(self, nullptr);
    EXPECT_EQ(reason, "");
    os::freeLibrary(self);
}
