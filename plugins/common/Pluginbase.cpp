#include "plugins/common/Pluginbase.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Filesource.h"

#include <cstdio>
#include <fstream>
#include <limits>
#include <vector>

namespace {
constexpr std::size_t copyBlockSize = 256 * 1024;
}

PluginBase::PluginBase(const Identity& identity) : identity(identity)
{
}

PluginBase::~PluginBase() = default;

const char* PluginBase::getID()
{
    return identity.id;
}

const char* PluginBase::getName()
{
    return identity.name;
}

const char* PluginBase::getVersion()
{
    return "1.0";
}

const char* PluginBase::getVendor()
{
    return "glintfetch";
}

const char* PluginBase::getKind()
{
    return identity.kind;
}

unsigned PluginBase::getWindowSize()
{
    return identity.windowSize;
}

unsigned PluginBase::extract(const char* inputPath, unsigned offsetHigh, unsigned offsetLow,
                             const char* outputPath)
{
    // Nothing may leave a plug-in call, whatever the input holds.
    try {
        if (inputPath == nullptr || outputPath == nullptr) {
            return 0;
        }
        std::uint64_t offset = std::uint64_t{offsetHigh} << 32 | offsetLow;
        std::uint64_t minimum = 0;
        std::uint64_t maximum = std::numeric_limits<std::uint64_t>::max();
        if (config != nullptr) {
            int low = config->getMinExtractSize();
            int high = config->getMaxExtractSize();
            if (low > 0) {
                minimum = static_cast<std::uint64_t>(low);
            }
            if (high >= 0) {
                maximum = static_cast<std::uint64_t>(high);
            }
        }
        FileSource input(inputPath);
        if (!input.isOpen()) {
            return 0;
        }
        std::uint64_t length = 0;
        {
            ByteCursor cursor(input, offset, maximum);
            length = measure(cursor);
        }
        if (length == 0 || length < minimum || length > maximum) {
            return 0;
        }
        if (!copy(input, offset, length, outputPath)) {
            return 0;
        }
        return length > std::numeric_limits<unsigned>::max() ? std::numeric_limits<unsigned>::max()
                                                            : static_cast<unsigned>(length);
    } catch (...) {
        return 0;
    }
}

bool PluginBase::copy(IByteSource& input, std::uint64_t offset, std::uint64_t length,
                      const char* outputPath)
{
    std::vector<unsigned char> block(copyBlockSize);
    bool written = false;
    {
        std::ofstream output(outputPath, std::ios::binary | std::ios::trunc);
        std::uint64_t done = 0;
        while (output && done < length) {
            std::uint64_t left = length - done;
            std::size_t wanted = left < copyBlockSize ? static_cast<std::size_t>(left) : copyBlockSize;
            if (input.readAt(offset + done, block.data(), wanted) != wanted) {
                break;
            }
            output.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(wanted));
            done += wanted;
        }
        output.close();
        written = done == length && !output.fail();
    }
    if (!written) {
        std::remove(outputPath);
    }
    return written;
}

bool PluginBase::hasProperty()
{
    return false;
}

void PluginBase::showProperty(void*)
{
}

bool PluginBase::isEnabled()
{
    return enabled;
}

void PluginBase::setEnabled(bool enabled)
{
    this->enabled = enabled;
    writeProperty(enabledKey, enabled ? "true" : "false");
}

void PluginBase::setConfig(IExtractConfig* config)
{
    this->config = config;
    enabled = readProperty(enabledKey) != "false";
}

std::string PluginBase::readProperty(const char* key) const
{
    if (config == nullptr) {
        return std::string();
    }
    int length = config->getPropertyLength(key, identity.id);
    if (length <= 0) {
        return std::string();
    }
    std::string buffer(static_cast<std::size_t>(length), '\0');
    config->getProperty(key, &buffer[0], identity.id);
    return std::string(buffer.c_str());
}

void PluginBase::writeProperty(const char* key, const std::string& value) const
{
    if (config != nullptr) {
        config->setProperty(key, value.c_str(), identity.id);
    }
}
