#pragma once

#include "tests/plugins/Temporaryfolder.h"

#include <string>

// Files written by Debian's own tools (ImageMagick, exiftool, libjpeg-turbo's programs, sox,
// ffmpeg, cwebp...), which scripts/setup.sh installs. A tool that fails or writes nothing throws
// std::runtime_error with the command.
class ToolFiles {
public:
    // Runs command (a shell command line) inside a fresh folder in which it writes output.
    static Bytes make(const std::string& command, const std::string& output);
    // The same, with input written into the folder first under inputName.
    static Bytes make(const std::string& command, const std::string& inputName, const Bytes& input,
                      const std::string& output);

    // Runs command, in which every "{out}" stands for the file it must write, and "{in}" for a
    // file that holds input (when given), and returns what it wrote. Every process of a test run
    // shares one cache in the build tree, keyed by the command itself, so that each file is made
    // once however many test processes ask for it; a changed command makes a new file.
    static Bytes make(const std::string& command, const Bytes& input = Bytes());

    // A picture ImageMagick draws the same way every time, as "-size WxH <it>" wants it.
    static std::string picture(int width, int height, int seed);
};
