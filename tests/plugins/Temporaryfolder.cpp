#include "tests/plugins/Temporaryfolder.h"

#include <unistd.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <stdexcept>

TemporaryFolder::TemporaryFolder()
{
    static std::atomic<int> counter{0};
    root = std::filesystem::temp_directory_path() /
           ("glintfetch-plugins-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root);
}

TemporaryFolder::~TemporaryFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

std::filesystem::path TemporaryFolder::path() const
{
    return root;
}

std::string TemporaryFolder::file(const std::string& name) const
{
    return (root / name).string();
}

std::string TemporaryFolder::write(const std::string& name, const Bytes& content) const
{
    std::string target = file(name);
    std::ofstream output(target, std::ios::binary | std::ios::trunc);
    output.write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
    if (!output) {
        throw std::runtime_error("cannot write " + target);
    }
    return target;
}

Bytes TemporaryFolder::read(const std::string& path)
{
    std::ifstream input(path, std::ios::binary);
    if (!input) {
        throw std::runtime_error("cannot read " + path);
    }
    return Bytes(std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>());
}
