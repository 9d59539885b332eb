#pragma once

#include "engine/IConfigModel.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>

// The saved settings with the command line's choices laid over them for one run. Every load
// (the run reloads the settings at its start) lays them over again; save writes nothing, so
// config.xml stays as the windowed program left it. A missing config.xml reads as the defaults.
class OverridingConfig final : public virtual IConfigModel {
public:
    // saved is not owned and outlives this object.
    explicit OverridingConfig(IConfigModel* saved);

    std::optional<bool> perInput;
    std::optional<bool> perKind;
    std::optional<std::uint64_t> minimumBytes;
    // 0: no upper limit, as the settings read it.
    std::optional<std::uint64_t> maximumBytes;
    std::optional<bool> keepDamaged;
    std::optional<bool> readFileSystems;
    std::optional<bool> carveWholeVolumes;
    std::optional<std::string> volumeChoice;
    // By plug-in identifier: on or off for this run.
    std::map<std::string, bool> enabled;
    // False when there is no config.xml beside the program.
    bool settingsSaved = true;

    void addObserver(IObserver* observer) override;
    void notifyObservers() override;
    void notifyObservers(IValueObject* values) override;

    int getMaxExtractSize() override;
    int getMinExtractSize() override;
    void getProperty(const char* key, char* buffer, const char* pluginId) override;
    int getPropertyLength(const char* key, const char* pluginId) override;
    void setProperty(const char* key, const char* value, const char* pluginId) override;

    void buildDefaultDocument() override;
    void load() override;
    void save() override;
    bool isCreateDirPerFile() override;
    void setCreateDirPerFile(bool value) override;
    bool isCreateDirPerData() override;
    void setCreateDirPerData(bool value) override;
    bool isKeepDamaged() override;
    void setKeepDamaged(bool value) override;
    long double getLimitFrom() override;
    void setLimitFrom(double megabytes) override;
    long double getLimitTo() override;
    void setLimitTo(double megabytes) override;
    std::string getLimitFromText() override;
    void setLimitFromText(std::string text) override;
    std::string getLimitToText() override;
    void setLimitToText(std::string text) override;
    void getExtractSizeWindow(std::uint64_t* minimum, std::uint64_t* maximum) override;
    std::string getOutputFolder() override;
    void setOutputFolder(std::string folder) override;
    bool getMainWindow(int* width, int* height, bool* maximized) override;
    void setMainWindow(int width, int height, bool maximized) override;
    bool isReadFileSystems() override;
    void setReadFileSystems(bool value) override;
    bool isCarveWholeVolumes() override;
    void setCarveWholeVolumes(bool value) override;
    std::string getVolumeChoice() override;
    void setVolumeChoice(std::string volumes) override;

private:
    const char* overriddenEnabled(const char* key, const char* pluginId) const;

    IConfigModel* saved;
    bool defaulted = false;
};
