#pragma once

// Permission bits never stop root, so a test of a folder that may not be read would prove nothing
// when the tests run as root (as they do in containers). Such a test calls rerunWithoutRoot
// first: run as root, the test is run once more by a child process, which hands the test's
// temporary folders to an ordinary user and becomes that user before the test goes on.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace withoutroot {

constexpr const char* childVariable = "GLINTFETCH_TEST_WITHOUT_ROOT";
constexpr uid_t nobody = 65534;

inline void leaveRoot(const std::filesystem::path& folders)
{
    std::error_code ignored;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folders, ignored)) {
        ASSERT_EQ(lchown(entry.path().c_str(), nobody, nobody), 0) << entry.path();
    }
    ASSERT_EQ(chown(folders.c_str(), nobody, nobody), 0);
    ASSERT_EQ(setgroups(0, nullptr), 0);
    ASSERT_EQ(setgid(nobody), 0);
    ASSERT_EQ(setuid(nobody), 0);
    ASSERT_NE(geteuid(), 0u);
    // A change of user makes the process undumpable, which would keep the leak checker from
    // stopping its threads.
    prctl(PR_SET_DUMPABLE, 1);
}

// folders: the test's temporary folders, made by its fixture and removed by it. true in the
// parent, which has checked the child's outcome, and when the child could not leave root: the
// test must stop then. false where the test goes on (an ordinary user, or the child).
inline bool rerunWithoutRoot(const std::filesystem::path& folders)
{
    if (geteuid() != 0) {
        return false;
    }
    if (std::getenv(childVariable) != nullptr) {
        leaveRoot(folders);
        return ::testing::Test::HasFatalFailure();
    }
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string filter = std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name();
    const std::string output = (folders / "child-output.txt").string();
    std::vector<std::string> environment{std::string(childVariable) + "=1"};
    for (char** variable = environ; *variable != nullptr; ++variable) {
        environment.emplace_back(*variable);
    }
    std::vector<char*> envp;
    for (std::string& variable : environment) {
        envp.push_back(variable.data());
    }
    envp.push_back(nullptr);
    std::string program = "/proc/self/exe";
    char* argv[] = {program.data(), filter.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        ADD_FAILURE() << "cannot run the test again: " << spawned;
        return true;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    std::stringstream text;
    text << std::ifstream(output).rdbuf();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << text.str();
    EXPECT_NE(text.str().find("[  PASSED  ] 1 test."), std::string::npos) << text.str();
    return true;
}

}  // namespace withoutroot
