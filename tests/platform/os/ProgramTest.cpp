#include "platform/os/Program.h"
#include "platform/os/SharedLibrary.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

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
