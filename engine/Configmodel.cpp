#include "engine/Configmodel.h"

#include "app/IGlintfetchFactory.h"
#include "framework/Exception.h"
#include "framework/IProcess.h"
#include "framework/IResource.h"
#include "framework/IXMLDocument.h"
#include "framework/IXMLElement.h"
#include "framework/IXMLNamedNodeMap.h"
#include "framework/IXMLNode.h"
#include "framework/IXMLNodeList.h"
#include "framework/IXMLText.h"
#include "platform/classlib/core/Numconv.h"
#include "platform/classlib/core/Sysutils.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

const char* const perFileTag = "per_file";
const char* const perDataTag = "per_data";
const char* const limitFromTag = "limit_from";
const char* const limitToTag = "limit_to";
const char* const pluginOptionsTag = "plugin_options";

// The exact constant in extended precision: the size window multiplies by it rather than
// dividing, so that "0.001" megabytes gives 999 bytes as it always has.
constexpr long double bytesPerMegabyte = 1000000.0L;

// Whether XML 1.0 can hold the text: no control characters but tab, line feed and carriage
// return, and neither U+FFFE nor U+FFFF. The document would take such a text, but no save would
// succeed after it, so one careless plug-in would keep every setting from being saved.
bool isStorableText(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') return false;
        if (c == 0xEF && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xBF &&
            (static_cast<unsigned char>(text[i + 2]) & 0xFE) == 0xBE) {
            return false;
        }
    }
    return true;
}

}  // namespace

ConfigModel::ConfigModel() : factory(createGlintfetchFactory()), document(nullptr) {
    document = factory->createXMLDocument("glintfetch");
    IProcess* process = factory->createProcess();
    IResource* executable = factory->createResource();
    executable->setPath(process->getModuleFileName());
    settingsPath = executable->getParent() + "/config.xml";
}

ConfigModel::~ConfigModel() = default;

void ConfigModel::buildDefaultDocument() {
    IXMLElement* root = document->getDocumentElement();
    IXMLElement* fileOptions = document->createElement("file_options");
    root->appendChild(fileOptions);
    IXMLElement* createFolderMethod = document->createElement("create_folder_method");
    fileOptions->appendChild(createFolderMethod);
    IXMLElement* perFile = document->createElement(perFileTag);
    createFolderMethod->appendChild(perFile);
    IXMLElement* perData = document->createElement(perDataTag);
    createFolderMethod->appendChild(perData);
    perFile->appendChild(document->createTextNode("true"));
    perData->appendChild(document->createTextNode("true"));
    IXMLElement* sizeLimit = document->createElement("size_limit");
    fileOptions->appendChild(sizeLimit);
    IXMLElement* limitFrom = document->createElement(limitFromTag);
    sizeLimit->appendChild(limitFrom);
    IXMLElement* limitTo = document->createElement(limitToTag);
    sizeLimit->appendChild(limitTo);
    // Written as every size is written, so that the defaults read back under a decimal comma
    // too ("0.0001" would be no number there, and the lower bound would be lost).
    limitFrom->appendChild(document->createTextNode(FloatToStr(0.0001)));
    limitTo->appendChild(document->createTextNode(FloatToStr(500.0)));
    root->appendChild(document->createElement(pluginOptionsTag));
}

void ConfigModel::load() { document->parse(settingsPath); }

void ConfigModel::save() { document->serialize(settingsPath); }

bool ConfigModel::isCreateDirPerFile() { return document->getBooleanByTagName(perFileTag); }

void ConfigModel::setCreateDirPerFile(bool value) {
    document->setBooleanByTagName(perFileTag, value);
}

bool ConfigModel::isCreateDirPerData() { return document->getBooleanByTagName(perDataTag); }

void ConfigModel::setCreateDirPerData(bool value) {
    document->setBooleanByTagName(perDataTag, value);
}

long double ConfigModel::readLimit(const char* tag) {
    const std::string text = document->getValueByTagName(tag);
    try {
        return StrToFloat(text);
    } catch (const EConvertError&) {
        return -1.0L;
    }
}

long double ConfigModel::getLimitFrom() { return readLimit(limitFromTag); }

void ConfigModel::setLimitFrom(double megabytes) {
    document->setValueByTagName(limitFromTag, FloatToStr(megabytes));
}

long double ConfigModel::getLimitTo() { return readLimit(limitToTag); }

void ConfigModel::setLimitTo(double megabytes) {
    document->setValueByTagName(limitToTag, FloatToStr(megabytes));
}

std::string ConfigModel::getLimitFromText() {
    const double value = static_cast<double>(getLimitFrom());
    return value < 0 ? std::string() : FloatToStr(value);
}

std::string ConfigModel::getLimitToText() {
    const double value = static_cast<double>(getLimitTo());
    return value < 0 ? std::string() : FloatToStr(value);
}

void ConfigModel::writeLimitText(const char* tag, const std::string& text) {
    if (text.empty()) {
        document->setValueByTagName(tag, "-1");
        return;
    }
    double value;
    try {
        value = static_cast<double>(StrToFloat(text));
    } catch (const EConvertError&) {
        return;
    }
    // A number past the double range would be stored as "INF", which reads back as no bound.
    if (value < 0 || !std::isfinite(value)) return;
    document->setValueByTagName(tag, FloatToStr(value));
}

void ConfigModel::setLimitFromText(std::string text) { writeLimitText(limitFromTag, text); }

void ConfigModel::setLimitToText(std::string text) { writeLimitText(limitToTag, text); }

int ConfigModel::extractSize(const char* tag, int unbounded) {
    try {
        if (!(static_cast<double>(readLimit(tag)) > 0)) return unbounded;
        const long double bytes = std::trunc(readLimit(tag) * bytesPerMegabyte);
        // Clamped rather than wrapped: the low 32 bits of a larger count could be any size,
        // negative included.
        if (bytes >= static_cast<long double>(INT_MAX)) return INT_MAX;
        return static_cast<int>(bytes);
    } catch (...) {
        // A plug-in cannot take an exception; a window it cannot read is no window.
        return unbounded;
    }
}

int ConfigModel::getMaxExtractSize() { return extractSize(limitToTag, -1); }

void ConfigModel::getExtractSizeWindow(std::uint64_t* minimum, std::uint64_t* maximum) {
    // The same reading as the int view, without its cut at the largest int.
    const auto bytes = [this](const char* tag, std::uint64_t unbounded) {
        try {
            const long double megabytes = readLimit(tag);
            if (!(megabytes > 0)) return unbounded;
            const long double count = std::trunc(megabytes * bytesPerMegabyte);
            if (!(count < static_cast<long double>(UINT64_MAX))) return UINT64_MAX;
            return static_cast<std::uint64_t>(count);
        } catch (...) {
            return unbounded;
        }
    };
    *minimum = bytes(limitFromTag, 0);
    *maximum = bytes(limitToTag, UINT64_MAX);
}

int ConfigModel::getMinExtractSize() { return extractSize(limitFromTag, 0); }

void ConfigModel::getProperty(const char* key, char* buffer, const char* pluginId) {
    if (buffer == nullptr) return;
    std::string value;
    try {
        if (key != nullptr && pluginId != nullptr) value = getPluginProperty(pluginId, key);
    } catch (...) {
        value.clear();
    }
    std::memcpy(buffer, value.c_str(), value.size() + 1);
}

int ConfigModel::getPropertyLength(const char* key, const char* pluginId) {
    try {
        if (key == nullptr || pluginId == nullptr) return 1;
        const std::string value = getPluginProperty(pluginId, key);
        if (value.size() >= static_cast<std::size_t>(INT_MAX)) return INT_MAX;
        return static_cast<int>(value.size()) + 1;
    } catch (...) {
        return 1;
    }
}

void ConfigModel::setProperty(const char* key, const char* value, const char* pluginId) {
    if (key == nullptr || value == nullptr || pluginId == nullptr) return;
    try {
        setPluginProperty(pluginId, value, key);
    } catch (...) {
        // A key that is no element name, or a text the document cannot hold: the write is
        // dropped, as the plug-in cannot be told.
    }
}

std::string ConfigModel::getPluginProperty(std::string pluginId, std::string key) {
    if (!isStorableText(pluginId)) return std::string();
    try {
        return findOrCreateProperty(pluginId, key)->getFirstChild()->getNodeValue();
    } catch (const XMLException&) {
        return std::string();
    }
}

void ConfigModel::setPluginProperty(std::string pluginId, std::string value, std::string key) {
    if (!isStorableText(pluginId) || !isStorableText(value)) return;
    IXMLNode* property;
    try {
        property = findOrCreateProperty(pluginId, key);
    } catch (const XMLException&) {
        return;
    }
    IXMLNode* text;
    try {
        text = property->getFirstChild();
    } catch (const XMLException&) {
        // Saved with the empty text, the element came back from the file without content.
        text = property->appendChild(document->createTextNode(""));
    }
    text->setNodeValue(value);
}

IXMLNode* ConfigModel::findOrCreateProperty(const std::string& pluginId, const std::string& key) {
    IXMLNode* pluginOptions = document->getNodeByTagName(pluginOptionsTag);

    IXMLNode* plugin = nullptr;
    IXMLNodeList* plugins = pluginOptions->getChildNodes();
    for (unsigned i = 0; plugin == nullptr && i < plugins->getLength(); ++i) {
        IXMLNode* child = plugins->item(i);
        try {
            // Text and comments have no attributes; elements without "id" are passed over too.
            if (child->getAttributes()->getNamedItem("id")->getNodeValue() == pluginId) {
                plugin = child;
            }
        } catch (const XMLException&) {
        }
    }
    if (plugin == nullptr) {
        IXMLElement* element = document->createElement("plugin");
        element->setAttribute("id", pluginId);
        plugin = pluginOptions->appendChild(element);
    }

    IXMLNodeList* properties = plugin->getChildNodes();
    for (unsigned i = 0; i < properties->getLength(); ++i) {
        IXMLNode* child = properties->item(i);
        // Only elements are properties: "#text" or "#comment" as a key must not reach a text
        // or a comment.
        const std::string name = child->getNodeName();
        if (name == key && !name.empty() && name[0] != '#') return child;
    }
    IXMLElement* property = document->createElement(key);
    property->appendChild(document->createTextNode(""));
    return plugin->appendChild(property);
}
