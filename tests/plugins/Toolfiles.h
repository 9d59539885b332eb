#pragma once

#include "tests/plugins/Temporaryfolder.h"

#include <string>

// Files written by Debian's own tools (ImageMagick, exiftool, libjpeg-turbo's programs), which
// scripts/setup.sh installs. Each call runs its command line in a fresh folder and returns the
// bytes of the file it names there; a tool that fails or writes nothing throws
// std::runtime_error with the command.
class ToolFiles {
public:
    // Runs command (a shell command line) inside a fresh folder in which it writes output.
    static Bytes make(const std::string& command, const std::string& output);
    // The same, with input written into the folder first under inputName.
    static Bytes make(const std::string& command, const std::string& inputName, const Bytes& input,
                      const std::string& output);

    // A picture ImageMagick draws the same way every time, as "-size WxH <it>" wants it.
    static std::string picture(int width, int height, int seed);
};
