#pragma once

#include <string>

// A plug-in file that a load found and could not use, and why, in words for the user.
struct PluginLoadFailure {
    std::string path;
    std::string reason;
};
