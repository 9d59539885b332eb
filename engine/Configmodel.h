#pragma once

#include "engine/IConfigModel.h"
#include "framework/Observable.h"

#include <memory>
#include <string>

class IGlintfetchFactory;
class IXMLDocument;
class IXMLNode;

// The settings model over config.xml beside the executable. It keeps no value of its own: every
// read and write goes to its XML document, and the file is read or written only by load and save.
// It never notifies by itself; controllers notify its observers.
//
// A loaded file that lacks settings (an element missing, a value element without text, even a
// file of another root) gets the defaults for what it lacks, where the default document has
// them; everything it holds stays as it is. Nothing is written until the next save.
//
// The plug-in face (IExtractConfig) never lets an exception through, since a plug-in has no way
// to take one: missing or unreadable sizes read as no bound, a property that cannot be read is
// the empty text, and a write that cannot be made is dropped. So is a value or an identifier that
// XML cannot hold (control characters other than tab and line breaks), which would otherwise
// keep every later save from succeeding.
class ConfigModel : public Observable, public virtual IObservable, public virtual IConfigModel {
public:
    ConfigModel();
    ~ConfigModel() override;
    ConfigModel(const ConfigModel&) = delete;
    ConfigModel& operator=(const ConfigModel&) = delete;

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

    // Sizes in bytes. A byte count past the largest int is given as the largest int.
    int getMaxExtractSize() override;
    int getMinExtractSize() override;
    void getProperty(const char* key, char* buffer, const char* pluginId) override;
    int getPropertyLength(const char* key, const char* pluginId) override;
    void setProperty(const char* key, const char* value, const char* pluginId) override;
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

    // A property's value; reading one creates its elements as writing does. Without a
    // "plugin_options" element, or for a property element without text, the empty text.
    virtual std::string getPluginProperty(std::string pluginId, std::string key);
    // Without a "plugin_options" element nothing changes.
    virtual void setPluginProperty(std::string pluginId, std::string value, std::string key);

private:
    void repairDocument();
    long double readLimit(const char* tag);
    void writeLimitText(const char* tag, const std::string& text);
    int extractSize(const char* tag, int unbounded);
    IXMLNode* findOrCreateProperty(const std::string& pluginId, const std::string& key);
    // A value of "disk_options", or fallback when the file has none.
    std::string diskOption(const char* tag, const std::string& fallback);
    void setDiskOption(const char* tag, const std::string& value);

    std::unique_ptr<IGlintfetchFactory> factory;
    std::string settingsPath;
    IXMLDocument* document;
};
