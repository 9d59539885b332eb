// A plug-in for the dialogs' tests, built once per identifier. It finds the 4 bytes "GFDT" and
// extracts the 16 bytes that start there. What the dialogs do to it is left in the settings, where
// the tests can read it: showProperty counts its calls in the property "shown" and writes its
// parent in "parent".
//   DIALOG_PLUGIN_ID            getID and getName
//   DIALOG_PLUGIN_HAS_PROPERTY  what hasProperty answers (0 or 1)
//   DIALOG_PLUGIN_KEEPS_ENABLED the enabled flag lives in the property "enabled", as a real
//                               plug-in keeps it across reloads, not in the object
//   DIALOG_PLUGIN_SLOW          extract first makes the file named by the property "block" +
//                               ".started", then waits (up to a minute) until the file "block"
//                               exists, heeding no cancel, as a plug-in of the first contract
//                               busy with a long candidate would
//   DIALOG_PLUGIN_VERSION_THROWS getVersion throws a std::runtime_error
//   DIALOG_PLUGIN_VERSION_THROWS_ANY getVersion throws an int, no standard exception
//   DIALOG_PLUGIN_NO_CREATE, DIALOG_PLUGIN_NO_RELEASE, DIALOG_PLUGIN_NULL_OBJECT,
//   DIALOG_PLUGIN_NULL_ID       the ways a library breaks the contract

#include "engine/ExtractPlugin.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#define DIALOG_PLUGIN_TEXT(x) #x
#define DIALOG_PLUGIN_STRING(x) DIALOG_PLUGIN_TEXT(x)

namespace {

const char* const pluginId = DIALOG_PLUGIN_STRING(DIALOG_PLUGIN_ID);
const unsigned char magic[4] = {'G', 'F', 'D', 'T'};
const unsigned findSize = 16;

class DialogTestPlugin final : public IExtractPlugin {
public:
    const char* getID() override
    {
#ifdef DIALOG_PLUGIN_NULL_ID
        return nullptr;
#else
        return pluginId;
#endif
    }
    const char* getName() override { return pluginId; }
    const char* getVersion() override
    {
#if defined(DIALOG_PLUGIN_VERSION_THROWS)
        throw std::runtime_error("version unknown");
#elif defined(DIALOG_PLUGIN_VERSION_THROWS_ANY)
        throw 7;
#else
        return "1.0";
#endif
    }
    const char* getVendor() override { return "dialog tests"; }
    const char* getKind() override { return "bin"; }
    unsigned getWindowSize() override { return sizeof magic; }
    bool detect(const unsigned char* data) override { return std::memcmp(data, magic, sizeof magic) == 0; }

    unsigned extract(const char* inputPath, unsigned offsetHigh, unsigned offsetLow, const char* outputPath) override
    {
#ifdef DIALOG_PLUGIN_SLOW
        waitForRelease();
#endif
        std::FILE* input = std::fopen(inputPath, "rb");
        if (input == nullptr) {
            return 0;
        }
        const long long offset = (static_cast<long long>(offsetHigh) << 32) | offsetLow;
        unsigned char data[findSize];
        const bool found = fseeko(input, offset, SEEK_SET) == 0 && std::fread(data, 1, findSize, input) == findSize
            && std::memcmp(data, magic, sizeof magic) == 0;
        std::fclose(input);
        if (!found) {
            return 0;
        }
        std::FILE* output = std::fopen(outputPath, "wb");
        if (output == nullptr) {
            return 0;
        }
        const bool written = std::fwrite(data, 1, findSize, output) == findSize;
        return std::fclose(output) == 0 && written ? 1 : 0;
    }

    bool hasProperty() override { return DIALOG_PLUGIN_HAS_PROPERTY != 0; }

    void showProperty(void* parent) override
    {
        if (config == nullptr) {
            return;
        }
        const int length = config->getPropertyLength("shown", pluginId);
        std::vector<char> buffer(static_cast<std::size_t>(length > 0 ? length : 1));
        config->getProperty("shown", buffer.data(), pluginId);
        const int shown = buffer[0] == '\0' ? 0 : std::stoi(buffer.data());
        config->setProperty("shown", std::to_string(shown + 1).c_str(), pluginId);
        char address[32];
        std::snprintf(address, sizeof address, "%p", parent);
        config->setProperty("parent", address, pluginId);
    }

    bool isEnabled() override { return enabled; }

    void setEnabled(bool value) override
    {
        enabled = value;
#ifdef DIALOG_PLUGIN_KEEPS_ENABLED
        if (config != nullptr) {
            config->setProperty("enabled", value ? "true" : "false", pluginId);
        }
#endif
    }

    void setConfig(IExtractConfig* value) override
    {
        config = value;
#ifdef DIALOG_PLUGIN_KEEPS_ENABLED
        char buffer[8] = {};
        if (config->getPropertyLength("enabled", pluginId) <= static_cast<int>(sizeof buffer)) {
            config->getProperty("enabled", buffer, pluginId);
        }
        enabled = std::strcmp(buffer, "false") != 0;
#endif
    }

private:
#ifdef DIALOG_PLUGIN_SLOW
    void waitForRelease()
    {
        const int length = config->getPropertyLength("block", pluginId);
        if (length <= 1) {
            return;
        }
        std::string block(static_cast<std::size_t>(length), '\0');
        config->getProperty("block", &block[0], pluginId);
        block.resize(static_cast<std::size_t>(length) - 1);
        if (std::FILE* started = std::fopen((block + ".started").c_str(), "wb")) {
            std::fclose(started);
        }
        const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (std::chrono::steady_clock::now() < until) {
            if (std::FILE* released = std::fopen(block.c_str(), "rb")) {
                std::fclose(released);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
#endif

    bool enabled = true;
    IExtractConfig* config = nullptr;
};

}  // namespace

extern "C" {

#ifndef DIALOG_PLUGIN_NO_CREATE
IExtractPlugin* _createExtractPlugin()
{
#ifdef DIALOG_PLUGIN_NULL_OBJECT
    return nullptr;
#else
    return new DialogTestPlugin;
#endif
}
#endif

#ifndef DIALOG_PLUGIN_NO_RELEASE
int _releaseExtractPlugin(IExtractPlugin* plugin)
{
    delete static_cast<DialogTestPlugin*>(plugin);
    return 0;
}
#endif
}
