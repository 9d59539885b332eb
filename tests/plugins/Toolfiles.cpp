#include "tests/plugins/Toolfiles.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

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
