#pragma once

#include "tests/platform/shell/WithoutRoot.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

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

    // See tests/platform/shell/WithoutRoot.h.
    bool rerunWithoutRoot() { return withoutroot::rerunWithoutRoot(root); }

    std::filesystem::path root;
    std::filesystem::path home;

private:
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
