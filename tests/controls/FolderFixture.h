#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

// A temporary folder tree that is also HOME, so that the namespace's places lie inside it:
//   home/visible/inner/deep    home/visible/.hiddenSub    home/visible/note.txt
//   home/hiddenOnly/.secret    home/Beta/                 home/alpha.txt  home/.dotfile
class FolderFixture : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/controls-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        home = root / "home";
        std::filesystem::create_directories(home / "visible" / "inner" / "deep");
        std::filesystem::create_directories(home / "visible" / ".hiddenSub");
        std::filesystem::create_directories(home / "hiddenOnly" / ".secret");
        std::filesystem::create_directories(home / "Beta");
        std::ofstream(home / "visible" / "note.txt") << "note";
        std::ofstream(home / "alpha.txt") << "alpha";
        std::ofstream(home / ".dotfile") << "hidden";
        previousHome = saveVariable("HOME");
        previousConfig = saveVariable("XDG_CONFIG_HOME");
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    }

    void TearDown() override {
        restoreVariable("HOME", previousHome);
        restoreVariable("XDG_CONFIG_HOME", previousConfig);
        std::error_code ignored;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(
                 root, std::filesystem::directory_options::skip_permission_denied, ignored)) {
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        }
        std::filesystem::remove_all(root, ignored);
    }

    std::string pathOf(const std::string& relative) const { return (home / relative).string(); }

    // Swaps a folder for a file of the same name: an item made before still believes it is a
    // folder, and reading it fails as an unreadable folder does, even for root.
    void replaceFolderWithFile(const std::string& relative) {
        std::filesystem::remove_all(home / relative);
        std::ofstream(home / relative) << "no longer a folder";
    }

    void restoreFolder(const std::string& relative) {
        std::filesystem::remove(home / relative);
        std::filesystem::create_directories(home / relative);
    }

    // Permission bits never stop root. Run as root, the current test is run once more by a child
    // process that hands the fixture's folders to an ordinary user and becomes that user before the
    // test goes on; true in the parent, which has checked the child's outcome and must stop.
    bool rerunWithoutRoot() {
        if (geteuid() != 0) {
            return false;
        }
        if (getenv(childVariable) != nullptr) {
            leaveRoot();
            return ::testing::Test::HasFatalFailure();
        }
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::string filter = std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name();
        const std::string output = (root / "child-output.txt").string();
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
        std::string filterArgument = filter;
        char* argv[] = {program.data(), filterArgument.data(), nullptr};
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

    std::filesystem::path root;
    std::filesystem::path home;

private:
    static constexpr const char* childVariable = "GLINTFETCH_TEST_WITHOUT_ROOT";
    static constexpr uid_t nobody = 65534;

    void leaveRoot() {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root, ignored)) {
            ASSERT_EQ(lchown(entry.path().c_str(), nobody, nobody), 0) << entry.path();
        }
        ASSERT_EQ(chown(root.c_str(), nobody, nobody), 0);
        ASSERT_EQ(setgroups(0, nullptr), 0);
        ASSERT_EQ(setgid(nobody), 0);
        ASSERT_EQ(setuid(nobody), 0);
        ASSERT_NE(geteuid(), 0u);
        // A change of user makes the process undumpable, which would keep the leak checker from
        // stopping its threads.
        prctl(PR_SET_DUMPABLE, 1);
    }

    static std::optional<std::string> saveVariable(const char* name) {
        const char* value = getenv(name);
        return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
    }
    static void restoreVariable(const char* name, const std::optional<std::string>& value) {
        if (value) {
            setenv(name, value->c_str(), 1);
        } else {
            unsetenv(name);
        }
    }

    std::optional<std::string> previousHome;
    std::optional<std::string> previousConfig;
};
