#pragma once

#include <string>

// Hands a folder to the desktop's file manager, as a double click on it in another window would.
namespace ShellLauncher {

// Starts the desktop's opener (xdg-open) on the folder and returns without waiting for it; false
// when the folder is none or the opener cannot be started. Whether a window then shows is up to
// the desktop.
bool openFolder(const std::string& folder);

}  // namespace ShellLauncher
