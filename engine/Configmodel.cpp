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

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

const char* const perFileTag = "per_file";
const char* const perDataTag = "per_data";
const char* const keepDamagedTag = "keep_damaged";
const char* const limitFromTag = "limit_from";
const char* const limitToTag = "limit_to";
const char* const pluginOptionsTag = "plugin_options";
const char* const windowOptionsTag = "window_options";
const char* const outputFolderTag = "output_folder";
const char* const mainWindowTag = "main_window";
const char* const widthTag = "width";
const char* const heightTag = "height";
const char* const maximizedTag = "maximized";
const char* const diskOptionsTag = "disk_options";
const char* const readFileSystemsTag = "read_file_systems";
const char* const carveWholeVolumesTag = "carve_whole_volumes";
const char* const volumesTag = "volumes";

// A window larger than this is no size a screen gave it.
const long largestWindowSide = 100000;

// The child element of parent named tag, or null. Looked up below parent only: a plug-in may
// keep a property of the same name.
IXMLNode* childElement(IXMLNode* parent, const char* tag) {
    IXMLNodeList* children = parent->getChildNodes();
    for (unsigned i = 0; i < children->getLength(); ++i) {
        IXMLNode* child = children->item(i);
        if (child->getNodeName() == tag) return child;
    }
    return nullptr;
}

std::string textOf(IXMLNode* element) {
    try {
        return element->getFirstChild()->getNodeValue();
    } catch (const XMLException&) {
        return std::string();  // an empty element has no text node
    }
}

// A window side written as a plain decimal number, or -1.
long windowSide(const std::string& text) {
    if (text.empty() || text.size() > 6) return -1;
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value > 0 && value <= largestWindowSide ? value : -1;
}

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

// The default settings, parents before their children: an element and the index of its parent
// (-1: the root), and the text of a value element (empty for an element that only groups).
struct DefaultElement {
    const char* tag;
    int parent;
    std::string text;
};

std::vector<DefaultElement> defaultTree() {
    // Sizes are written as every size is written, so that the defaults read back under a decimal
    // comma too ("0.0001" would be no number there, and the lower bound would be lost).
    return {
        {"file_options", -1, ""},
        {"create_folder_method", 0, ""},
        {perFileTag, 1, "true"},
        {perDataTag, 1, "true"},
        {"size_limit", 0, ""},
        {limitFromTag, 4, FloatToStr(0.0001)},
        {limitToTag, 4, FloatToStr(500.0)},
        {keepDamagedTag, 0, "false"},
        {pluginOptionsTag, -1, ""},
    };
}

// The first element of the tree's tag at index, made with the parents it lacks when there is none.
IXMLNode* findOrAddDefault(IXMLDocument* document, const std::vector<DefaultElement>& tree, int index,
                           IXMLElement* root) {
    const DefaultElement& wanted = tree[static_cast<std::size_t>(index)];
    try {
        return document->getNodeByTagName(wanted.tag);
    } catch (const XMLException&) {
    }
    IXMLNode* parent = wanted.parent < 0 ? root : findOrAddDefault(document, tree, wanted.parent, root);
    return parent->appendChild(document->createElement(wanted.tag));
}

bool groupsOthers(const std::vector<DefaultElement>& tree, int index) {
    return std::any_of(tree.begin(), tree.end(),
                       [index](const DefaultElement& element) { return element.parent == index; });
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
    const std::vector<DefaultElement> tree = defaultTree();
    IXMLElement* root = document->getDocumentElement();
    std::vector<IXMLElement*> made;
    for (const DefaultElement& wanted : tree) {
        IXMLElement* element = document->createElement(wanted.tag);
        (wanted.parent < 0 ? root : made[static_cast<std::size_t>(wanted.parent)])->appendChild(element);
        if (!wanted.text.empty()) element->appendChild(document->createTextNode(wanted.text));
        made.push_back(element);
    }
}

void ConfigModel::repairDocument() {
    const std::vector<DefaultElement> tree = defaultTree();
    IXMLElement* root = document->getDocumentElement();
    for (int index = 0; index < static_cast<int>(tree.size()); ++index) {
        // A grouping element is made only when something missing must go into it.
        if (groupsOthers(tree, index)) continue;
        IXMLNode* element = findOrAddDefault(document, tree, index, root);
        if (tree[static_cast<std::size_t>(index)].text.empty()) continue;
        try {
            element->getFirstChild();
        } catch (const XMLException&) {
            element->appendChild(document->createTextNode(tree[static_cast<std::size_t>(index)].text));
        }
    }
}

void ConfigModel::load() {
    document->parse(settingsPath);
    repairDocument();
}

void ConfigModel::save() { document->serialize(settingsPath); }

bool ConfigModel::isCreateDirPerFile() { return document->getBooleanByTagName(perFileTag); }

void ConfigModel::setCreateDirPerFile(bool value) {
    document->setBooleanByTagName(perFileTag, value);
}

bool ConfigModel::isCreateDirPerData() { return document->getBooleanByTagName(perDataTag); }

void ConfigModel::setCreateDirPerData(bool value) {
    document->setBooleanByTagName(perDataTag, value);
}

bool ConfigModel::isKeepDamaged() {
    try {
        return document->getBooleanByTagName(keepDamagedTag);
    } catch (const XMLException&) {
        return false;
    }
}

void ConfigModel::setKeepDamaged(bool value) {
    try {
        document->setBooleanByTagName(keepDamagedTag, value);
    } catch (const XMLException&) {
        // Not loaded yet from a file of before the setting: made where the defaults have it.
        try {
            IXMLNode* options = document->getNodeByTagName("file_options");
            IXMLElement* element = document->createElement(keepDamagedTag);
            options->appendChild(element);
            element->appendChild(document->createTextNode(value ? "true" : "false"));
        } catch (const XMLException&) {
            // No settings at all: there is nowhere to keep it.
        }
    }
}

long double ConfigModel::readLimit(const char* tag) {
    const std::string text = document->getValueByTagName(tag);
    try {
        const long double value = StrToFloat(text);
        // Past the double range nothing could show it or store it again: no bound, as for a
        // text that is no number.
        return std::isfinite(static_cast<double>(value)) ? value : -1.0L;
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

std::string ConfigModel::getOutputFolder() {
    try {
        return document->getValueByTagName(outputFolderTag);
    } catch (const XMLException&) {
        return std::string();
    }
}

void ConfigModel::setOutputFolder(std::string folder) {
    if (!isStorableText(folder)) return;
    try {
        IXMLNode* options;
        try {
            options = document->getNodeByTagName(windowOptionsTag);
        } catch (const XMLException&) {
            options = document->getDocumentElement()->appendChild(document->createElement(windowOptionsTag));
        }
        IXMLNode* element;
        try {
            element = document->getNodeByTagName(outputFolderTag);
        } catch (const XMLException&) {
            element = options->appendChild(document->createElement(outputFolderTag));
        }
        try {
            element->getFirstChild()->setNodeValue(folder);
        } catch (const XMLException&) {
            element->appendChild(document->createTextNode(folder));
        }
    } catch (const XMLException&) {
        // A document that cannot take it keeps nothing: the next session starts at the default.
    }
}

bool ConfigModel::getMainWindow(int* width, int* height, bool* maximized) {
    try {
        IXMLNode* window = childElement(document->getNodeByTagName(windowOptionsTag), mainWindowTag);
        if (window == nullptr) return false;
        IXMLNode* widthElement = childElement(window, widthTag);
        IXMLNode* heightElement = childElement(window, heightTag);
        if (widthElement == nullptr || heightElement == nullptr) return false;
        const long w = windowSide(textOf(widthElement));
        const long h = windowSide(textOf(heightElement));
        if (w < 0 || h < 0) return false;
        IXMLNode* maximizedElement = childElement(window, maximizedTag);
        *width = static_cast<int>(w);
        *height = static_cast<int>(h);
        *maximized = maximizedElement != nullptr && textOf(maximizedElement) == "true";
        return true;
    } catch (const XMLException&) {
        return false;
    }
}

void ConfigModel::setMainWindow(int width, int height, bool maximized) {
    if (width <= 0 || height <= 0 || width > largestWindowSide || height > largestWindowSide) return;
    try {
        IXMLNode* options;
        try {
            options = document->getNodeByTagName(windowOptionsTag);
        } catch (const XMLException&) {
            options = document->getDocumentElement()->appendChild(document->createElement(windowOptionsTag));
        }
        IXMLNode* window = childElement(options, mainWindowTag);
        if (window == nullptr) window = options->appendChild(document->createElement(mainWindowTag));
        const std::pair<const char*, std::string> values[] = {
            {widthTag, std::to_string(width)},
            {heightTag, std::to_string(height)},
            {maximizedTag, maximized ? "true" : "false"},
        };
        for (const auto& [tag, value] : values) {
            IXMLNode* element = childElement(window, tag);
            if (element == nullptr) element = window->appendChild(document->createElement(tag));
            try {
                element->getFirstChild()->setNodeValue(value);
            } catch (const XMLException&) {
                element->appendChild(document->createTextNode(value));
            }
        }
    } catch (const XMLException&) {
        // A document that cannot take it keeps nothing: the next session opens at the default size.
    }
}

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

std::string ConfigModel::diskOption(const char* tag, const std::string& fallback) {
    try {
        IXMLNode* element = childElement(document->getNodeByTagName(diskOptionsTag), tag);
        return element != nullptr ? textOf(element) : fallback;
    } catch (const XMLException&) {
        return fallback;
    }
}

void ConfigModel::setDiskOption(const char* tag, const std::string& value) {
    if (!isStorableText(value)) return;
    try {
        IXMLNode* options;
        try {
            options = document->getNodeByTagName(diskOptionsTag);
        } catch (const XMLException&) {
            options = document->getDocumentElement()->appendChild(document->createElement(diskOptionsTag));
        }
        IXMLNode* element = childElement(options, tag);
        if (element == nullptr) element = options->appendChild(document->createElement(tag));
        try {
            element->getFirstChild()->setNodeValue(value);
        } catch (const XMLException&) {
            if (!value.empty()) element->appendChild(document->createTextNode(value));
        }
    } catch (const XMLException&) {
        // A document that cannot take it keeps the default.
    }
}

bool ConfigModel::isReadFileSystems() { return diskOption(readFileSystemsTag, "true") == "true"; }

void ConfigModel::setReadFileSystems(bool value) { setDiskOption(readFileSystemsTag, value ? "true" : "false"); }

bool ConfigModel::isCarveWholeVolumes() { return diskOption(carveWholeVolumesTag, "false") == "true"; }

void ConfigModel::setCarveWholeVolumes(bool value) {
    setDiskOption(carveWholeVolumesTag, value ? "true" : "false");
}

std::string ConfigModel::getVolumeChoice() { return diskOption(volumesTag, ""); }

void ConfigModel::setVolumeChoice(std::string volumes) { setDiskOption(volumesTag, volumes); }
