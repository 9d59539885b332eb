#include "platform/shell/ShellPlaces.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

namespace {

std::string& blockListFolder() {
    static std::string folder;
    return folder;
}

std::string& devicesFolder() {
    static std::string folder;
    return folder;
}

// Devices that hold no medium of their own: files mounted as disks and memory.
bool isVirtualDisk(const std::string& name) {
    for (const char* prefix : {"loop", "ram", "zram"}) {
        if (name.compare(0, std::strlen(prefix), prefix) == 0) return true;
    }
    return false;
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

std::string passwordHome() {
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
        found->pw_dir == nullptr) {
        return std::string();
    }
    return found->pw_dir;
}

// The value of XDG_DESKTOP_DIR in user-dirs.dirs: a quoted absolute path or one that starts with
// $HOME, as xdg-user-dirs writes it.
std::string xdgDesktop(const std::string& home) {
    std::string config = environment("XDG_CONFIG_HOME");
    if (config.empty() || config[0] != '/') {
        config = ShellPlaces::join(home, ".config");
    }
    std::ifstream file(ShellPlaces::join(config, "user-dirs.dirs"));
    const std::string key = "XDG_DESKTOP_DIR=\"";
    for (std::string line; std::getline(file, line);) {
        if (line.compare(0, key.size(), key) != 0) {
            continue;
        }
        const std::size_t close = line.find('"', key.size());
        if (close == std::string::npos) {
            return std::string();
        }
        const std::string value = line.substr(key.size(), close - key.size());
        const std::string homeVariable = "$HOME";
        if (value.compare(0, homeVariable.size(), homeVariable) == 0) {
            const std::string rest = value.substr(homeVariable.size());
            if (rest.empty() || rest == "/") {
                return home;
            }
            return rest[0] == '/' ? ShellPlaces::join(home, rest.substr(1)) : std::string();
        }
        return !value.empty() && value[0] == '/' ? value : std::string();
    }
    return std::string();
}

}  // namespace

std::string ShellPlaces::homePath() {
    std::string home = environment("HOME");
    if (home.empty() || home[0] != '/') {
        home = passwordHome();
    }
    return !home.empty() && home[0] == '/' ? home : std::string();
}

std::string ShellPlaces::desktopPath() {
    const std::string home = homePath();
    if (home.empty()) {
        return std::string();
    }
    const std::string configured = xdgDesktop(home);
    return configured.empty() ? join(home, "Desktop") : configured;
}

bool ShellPlaces::hasDesktop() {
    const std::string desktop = desktopPath();
    struct stat desktopStatus {};
    struct stat homeStatus {};
    if (desktop.empty() || stat(desktop.c_str(), &desktopStatus) != 0 || !S_ISDIR(desktopStatus.st_mode)) {
        return false;
    }
    return stat(homePath().c_str(), &homeStatus) != 0 || homeStatus.st_dev != desktopStatus.st_dev ||
           homeStatus.st_ino != desktopStatus.st_ino;
}

bool ShellPlaces::resolve(const std::vector<ShellItemId>& items, std::string& path) {
    path.clear();
    if (items.empty()) {
        return false;
    }
    std::string resolved;
    switch (items.front().kind) {
    case ShellItemId::Home:
        resolved = homePath();
        break;
    case ShellItemId::Desktop:
        resolved = desktopPath();
        break;
    case ShellItemId::Root:
        resolved = "/";
        break;
    case ShellItemId::Entry:
        // A relative list: it has no path until it is joined to its folder's.
        return false;
    }
    if (resolved.empty()) {
        return false;
    }
    for (std::size_t index = 1; index < items.size(); ++index) {
        resolved = join(resolved, items[index].name);
    }
    path = resolved;
    return true;
}

std::string ShellPlaces::join(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/') {
        return folder + name;
    }
    return folder + "/" + name;
}

std::vector<std::string> ShellPlaces::blockDevices() {
    std::vector<std::string> devices;
    const std::string list = blockListFolder().empty() ? "/sys/class/block" : blockListFolder();
    DIR* folder = opendir(list.c_str());
    if (folder == nullptr) return devices;
    while (dirent* entry = readdir(folder)) {
        std::string name = entry->d_name;
        if (name.empty() || name[0] == '.' || isVirtualDisk(name)) continue;
        // The kernel writes a device below a subfolder of /dev with "!" for "/" ("cciss!c0d0").
        std::replace(name.begin(), name.end(), '!', '/');
        devices.push_back(join(deviceFolder(), name));
    }
    closedir(folder);
    std::sort(devices.begin(), devices.end());
    return devices;
}

std::string ShellPlaces::deviceFolder() { return devicesFolder().empty() ? "/dev" : devicesFolder(); }

void ShellPlaces::setDeviceFolders(const std::string& listFolder, const std::string& devices) {
    blockListFolder() = listFolder;
    devicesFolder() = devices;
}
