#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

// A fresh folder below the system's temporary folder, removed with everything in it at the end of
// the test.
class TemporaryFolder {
public:
    TemporaryFolder() {
        static std::atomic<unsigned> serial{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        root = std::filesystem::temp_directory_path() /
               ("glintfetch-test-" + std::to_string(stamp) + "-" + std::to_string(serial++));
        std::filesystem::create_directories(root);
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    std::string path() const { return root.string(); }
    std::string path(const std::string& relative) const { return (root / relative).string(); }

    // Writes a file (making its folders) and returns its path.
    std::string file(const std::string& relative, const std::string& contents) const {
        const std::filesystem::path target = root / relative;
        std::filesystem::create_directories(target.parent_path());
        std::ofstream(target, std::ios::binary) << contents;
        return target.string();
    }
    std::string folder(const std::string& relative) const {
        std::filesystem::create_directories(root / relative);
        return (root / relative).string();
    }

private:
    std::filesystem::path root;
};
