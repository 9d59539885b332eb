#include "cli/Overridingconfig.h"

#include "framework/Exception.h"

#include <climits>
#include <cstring>
#include <limits>

namespace {

const char enabledKey[] = "enabled";

int asInt(std::uint64_t bytes) {
    return bytes > static_cast<std::uint64_t>(INT_MAX) ? INT_MAX : static_cast<int>(bytes);
}

}  // namespace

OverridingConfig::OverridingConfig(IConfigModel* saved) : saved(saved) {}

void OverridingConfig::addObserver(IObserver* observer) { saved->addObserver(observer); }
void OverridingConfig::notifyObservers() { saved->notifyObservers(); }
void OverridingConfig::notifyObservers(IValueObject* values) { saved->notifyObservers(values); }

int OverridingConfig::getMaxExtractSize() {
    if (maximumBytes) return *maximumBytes == 0 ? -1 : asInt(*maximumBytes);
    return saved->getMaxExtractSize();
}

int OverridingConfig::getMinExtractSize() {
    if (minimumBytes) return asInt(*minimumBytes);
    return saved->getMinExtractSize();
}

const char* OverridingConfig::overriddenEnabled(const char* key, const char* pluginId) const {
    if (key == nullptr || pluginId == nullptr || std::strcmp(key, enabledKey) != 0) return nullptr;
    const auto found = enabled.find(pluginId);
    if (found == enabled.end()) return nullptr;
    return found->second ? "true" : "false";
}

void OverridingConfig::getProperty(const char* key, char* buffer, const char* pluginId) {
    if (const char* value = overriddenEnabled(key, pluginId)) {
        std::memcpy(buffer, value, std::strlen(value) + 1);
        return;
    }
    saved->getProperty(key, buffer, pluginId);
}

int OverridingConfig::getPropertyLength(const char* key, const char* pluginId) {
    if (const char* value = overriddenEnabled(key, pluginId)) return static_cast<int>(std::strlen(value) + 1);
    return saved->getPropertyLength(key, pluginId);
}

void OverridingConfig::setProperty(const char* key, const char* value, const char* pluginId) {
    // Held in memory only: nothing here is saved.
    saved->setProperty(key, value, pluginId);
}

void OverridingConfig::buildDefaultDocument() { saved->buildDefaultDocument(); }

void OverridingConfig::load() {
    if (!settingsSaved) {
        // No settings saved yet: the windowed program's defaults, in memory, made once.
        if (!defaulted) saved->buildDefaultDocument();
        defaulted = true;
        return;
    }
    saved->load();
}

void OverridingConfig::save() {}

bool OverridingConfig::isCreateDirPerFile() { return perInput ? *perInput : saved->isCreateDirPerFile(); }
void OverridingConfig::setCreateDirPerFile(bool value) { perInput = value; }
bool OverridingConfig::isCreateDirPerData() { return perKind ? *perKind : saved->isCreateDirPerData(); }
void OverridingConfig::setCreateDirPerData(bool value) { perKind = value; }
bool OverridingConfig::isKeepDamaged() { return keepDamaged ? *keepDamaged : saved->isKeepDamaged(); }
void OverridingConfig::setKeepDamaged(bool value) { keepDamaged = value; }

long double OverridingConfig::getLimitFrom() { return saved->getLimitFrom(); }
void OverridingConfig::setLimitFrom(double megabytes) { saved->setLimitFrom(megabytes); }
long double OverridingConfig::getLimitTo() { return saved->getLimitTo(); }
void OverridingConfig::setLimitTo(double megabytes) { saved->setLimitTo(megabytes); }
std::string OverridingConfig::getLimitFromText() { return saved->getLimitFromText(); }
void OverridingConfig::setLimitFromText(std::string text) { saved->setLimitFromText(std::move(text)); }
std::string OverridingConfig::getLimitToText() { return saved->getLimitToText(); }
void OverridingConfig::setLimitToText(std::string text) { saved->setLimitToText(std::move(text)); }

void OverridingConfig::getExtractSizeWindow(std::uint64_t* minimum, std::uint64_t* maximum) {
    saved->getExtractSizeWindow(minimum, maximum);
    if (minimumBytes) *minimum = *minimumBytes;
    if (maximumBytes) *maximum = *maximumBytes == 0 ? std::numeric_limits<std::uint64_t>::max() : *maximumBytes;
}

std::string OverridingConfig::getOutputFolder() { return saved->getOutputFolder(); }

// The command line names its output folder every time, and has no window: what the windows
// remember stays theirs.
void OverridingConfig::setOutputFolder(std::string) {}

bool OverridingConfig::getMainWindow(int* width, int* height, bool* maximized) {
    return saved->getMainWindow(width, height, maximized);
}

void OverridingConfig::setMainWindow(int, int, bool) {}

bool OverridingConfig::isReadFileSystems() { return readFileSystems.value_or(saved->isReadFileSystems()); }

void OverridingConfig::setReadFileSystems(bool value) { saved->setReadFileSystems(value); }

bool OverridingConfig::isCarveWholeVolumes() { return carveWholeVolumes.value_or(saved->isCarveWholeVolumes()); }

void OverridingConfig::setCarveWholeVolumes(bool value) { saved->setCarveWholeVolumes(value); }

std::string OverridingConfig::getVolumeChoice() { return volumeChoice.value_or(saved->getVolumeChoice()); }

void OverridingConfig::setVolumeChoice(std::string volumes) { saved->setVolumeChoice(volumes); }
