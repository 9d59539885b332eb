#include "tests/plugins/Toolfiles.h"

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <stdexcept>

#include <unistd.h>

Bytes ToolFiles::make(const std::string& command, const std::string& output)
{
    return make(command, "", Bytes(), output);
}

Bytes ToolFiles::make(const std::string& command, const std::string& inputName, const Bytes& input,
                      const std::string& output)
{
    TemporaryFolder folder;
    if (!inputName.empty()) {
        folder.write(inputName, input);
    }
    const std::string line = "cd '" + folder.path().string() + "' && " + command + " >/dev/null 2>&1";
    if (std::system(line.c_str()) != 0 || !std::filesystem::exists(folder.file(output))) {
        throw std::runtime_error("the tool failed: " + command);
    }
    Bytes bytes = TemporaryFolder::read(folder.file(output));
    if (bytes.empty()) {
        throw std::runtime_error("the tool wrote an empty file: " + command);
    }
    return bytes;
}

std::string ToolFiles::picture(int width, int height, int seed)
{
    // A gradient for smooth areas, with seeded noise over it so that compressors have work to do.
    return "-size " + std::to_string(width) + "x" + std::to_string(height) + " gradient:red-blue -seed " +
           std::to_string(seed) + " -attenuate 0.4 +noise Uniform";
}
namespace {

std::string replaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::filesystem::path cacheFolder()
{
    std::filesystem::path folder = std::filesystem::path(GLINTFETCH_TOOL_SAMPLE_DIR);
    std::filesystem::create_directories(folder);
    return folder;
}

}

Bytes ToolFiles::make(const std::string& command, const Bytes& input)
{
    const std::string key = command + '\n' + std::string(input.begin(), input.end());
    const std::filesystem::path cached =
        cacheFolder() / ("sample-" + std::to_string(std::hash<std::string>()(key)) + ".bin");
    if (std::filesystem::exists(cached)) {
        return TemporaryFolder::read(cached.string());
    }
    TemporaryFolder work;
    std::string line = replaceAll(command, "{out}", "'" + work.file("out") + "'");
    if (!input.empty()) {
        line = replaceAll(line, "{in}", "'" + work.write("in", input) + "'");
    }
    line = "cd '" + work.path().string() + "' && ( " + line + " ) >/dev/null 2>&1";
    if (std::system(line.c_str()) != 0 || !std::filesystem::exists(work.file("out"))) {
        throw std::runtime_error("the tool failed: " + command);
    }
    Bytes made = TemporaryFolder::read(work.file("out"));
    if (made.empty()) {
        throw std::runtime_error("the tool wrote nothing: " + command);
    }
    // Another test process may be making the same file: each writes its own and renames it into place.
    const std::filesystem::path partial = cached.string() + "." + std::to_string(getpid());
    std::filesystem::copy_file(work.file("out"), partial, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::rename(partial, cached);
    return made;
}
