#pragma once

#include "tests/plugins/Temporaryfolder.h"

#include <string>

// Files written by real tools (sox, ffmpeg, cwebp...) run through the shell. Every process of a
// test run shares one cache in the build tree, keyed by the command itself, so that each file is
// made once however many test processes ask for it; a changed command makes a new file.
class ToolFiles {
public:
    // Runs command, in which every "{out}" stands for the file it must write, and "{in}" for a
    // file that holds input (when given), and returns what it wrote. Throws std::runtime_error
    // when the tool fails or writes nothing.
    static Bytes make(const std::string& command, const Bytes& input = Bytes());
};
