#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

// A fresh folder for one test's files, removed with everything in it when the test ends.
class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    std::filesystem::path path() const;
    std::string file(const std::string& name) const;

    std::string write(const std::string& name, const Bytes& content) const;
    static Bytes read(const std::string& path);

private:
    std::filesystem::path root;
};
