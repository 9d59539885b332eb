#include "framework/Xmldocument.h"

#include "framework/Exception.h"
#include "framework/Xmlelement.h"
#include "framework/Xmlnamednodemap.h"
#include "framework/Xmlnode.h"
#include "framework/Xmlnodelist.h"
#include "framework/Xmltext.h"
#include "platform/os/WholeFile.h"

#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/MemBufFormatTarget.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/sax/ErrorHandler.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/TransService.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLUni.hpp>

#include <memory>
#include <mutex>
#include <string>
#include <utility>

namespace xml = XERCES_CPP_NAMESPACE;

namespace {

const char* const creationFailed = "XML作成時にエラーが発生しました。再度起動し直してください。";
const char* const outOfMemory = "メモリ不足です。メモリを確保した上で、再度起動してください。";
const char* const tagNotFound = "指定されたタグが見つかりません。";
const char* const notUtf8 = "UTF-8 として正しくない文字列です。";
const XMLCh* const utf8 = u"UTF-8";

// The library counts its initialisations, but the count is a plain integer: documents made on
// two threads must not race on it.
std::mutex& libraryUseGuard() {
    static std::mutex guard;
    return guard;
}

// Documents are read from files that anyone may edit by hand, and whole, into memory: a file
// past this size is not read at all, and nesting past this depth ends the parse where it stands,
// before the tree grows any deeper.
const std::size_t largestDocument = 1024 * 1024;
const int deepestNesting = 64;

// Counts the open elements as the scanner reports them and raises once one lies too deep; the
// framework's own exception passes through the library's scanner untouched.
class NestingBoundParser : public xml::XercesDOMParser {
public:
    explicit NestingBoundParser(std::string refusal)
        : xml::XercesDOMParser(nullptr, xml::XMLPlatformUtils::fgMemoryManager, nullptr)
        , refusal(std::move(refusal))
    {
    }

    void startElement(const xml::XMLElementDecl& elemDecl, const unsigned int urlId,
                      const XMLCh* const elemPrefix, const xml::RefVectorOf<xml::XMLAttr>& attrList,
                      const XMLSize_t attrCount, const bool isEmpty, const bool isRoot) override {
        if (depth >= deepestNesting) throw XMLException(refusal, "XMLDocument::parse");
        // An empty element gets no end of its own.
        if (!isEmpty) ++depth;
        xml::XercesDOMParser::startElement(elemDecl, urlId, elemPrefix, attrList, attrCount, isEmpty,
                                           isRoot);
    }

    void endElement(const xml::XMLElementDecl& elemDecl, const unsigned int urlId, const bool isRoot,
                    const XMLCh* const elemPrefix) override {
        --depth;
        xml::XercesDOMParser::endElement(elemDecl, urlId, isRoot, elemPrefix);
    }

private:
    std::string refusal;
    int depth = 0;
};

// Without a handler the parser stops quietly at the first fatal error and keeps what it read so
// far, so a truncated or empty file would load as a partial tree. Raising here makes such a
// file a failed parse instead.
class FatalErrorRaiser : public xml::ErrorHandler {
public:
    void warning(const xml::SAXParseException&) override {}
    void error(const xml::SAXParseException&) override {}
    void fatalError(const xml::SAXParseException& exception) override { throw exception; }
    void resetErrors() override {}
};

template <typename Released>
struct ReleaseDeleter {
    void operator()(Released* object) const { object->release(); }
};
template <typename Released>
using Releasing = std::unique_ptr<Released, ReleaseDeleter<Released>>;

}  // namespace

XMLDocument::XMLDocument(std::string rootName) : document(nullptr) {
    try {
        std::lock_guard<std::mutex> lock(libraryUseGuard());
        xml::XMLPlatformUtils::Initialize();
    } catch (const xml::XMLException&) {
        throw XMLException(creationFailed, "XMLDocument::XMLDocument");
    }

    try {
        xml::DOMImplementation* implementation =
            xml::DOMImplementationRegistry::getDOMImplementation(u"Core");
        if (implementation == nullptr) {
            errorMessage = creationFailed;
            return;
        }
        const std::u16string root = toLibraryText(rootName, "XMLDocument::XMLDocument");
        document = implementation->createDocument(nullptr, root.c_str(), nullptr,
                                                  xml::XMLPlatformUtils::fgMemoryManager);
    } catch (const xml::OutOfMemoryException&) {
        errorMessage = outOfMemory;
    } catch (const xml::DOMException&) {
        errorMessage = creationFailed;
    } catch (const XMLException&) {
        errorMessage = creationFailed;
    } catch (...) {
        // No destructor runs for a constructor that throws: give the library use back here.
        std::lock_guard<std::mutex> lock(libraryUseGuard());
        xml::XMLPlatformUtils::Terminate();
        throw;
    }
}

XMLDocument::~XMLDocument() {
    deleteWrappers();
    if (document != nullptr) document->release();
    std::lock_guard<std::mutex> lock(libraryUseGuard());
    xml::XMLPlatformUtils::Terminate();
}

void XMLDocument::deleteWrappers() {
    for (auto& entry : nodes) delete entry.second;
    for (auto& entry : nodeLists) delete entry.second;
    for (auto& entry : namedNodeMaps) delete entry.second;
    nodes.clear();
    nodeLists.clear();
    namedNodeMaps.clear();
}

xml::DOMDocument* XMLDocument::requireTree(const char* origin) {
    if (document == nullptr) {
        throw XMLException(errorMessage.empty() ? creationFailed : errorMessage, origin);
    }
    return document;
}

IXMLElement* XMLDocument::getDocumentElement() {
    xml::DOMElement* root = requireTree("XMLDocument::getDocumentElement")->getDocumentElement();
    if (root == nullptr) throw XMLException(tagNotFound, "XMLDocument::getDocumentElement");
    XMLNode* wrapper = findNode(root);
    if (wrapper == nullptr) {
        auto fresh = std::make_unique<XMLElement>(root, this);
        registerNode(root, fresh.get());
        wrapper = fresh.release();
    }
    // A root first met by tag or by position has a plain node wrapper, which is no element.
    auto* element = dynamic_cast<XMLElement*>(wrapper);
    if (element == nullptr) throw XMLException(tagNotFound, "XMLDocument::getDocumentElement");
    return element;
}

IXMLElement* XMLDocument::createElement(std::string tag) {
    xml::DOMDocument* tree = requireTree("XMLDocument::createElement");
    xml::DOMElement* element =
        tree->createElement(toLibraryText(tag, "XMLDocument::createElement").c_str());
    auto fresh = std::make_unique<XMLElement>(element, this);
    registerNode(element, fresh.get());
    return fresh.release();
}

IXMLText* XMLDocument::createTextNode(std::string text) {
    xml::DOMDocument* tree = requireTree("XMLDocument::createTextNode");
    xml::DOMText* node =
        tree->createTextNode(toLibraryText(text, "XMLDocument::createTextNode").c_str());
    auto fresh = std::make_unique<XMLText>(node, this);
    registerNode(node, fresh.get());
    return fresh.release();
}

IXMLNodeList* XMLDocument::getElementsByTagName(std::string tag) {
    xml::DOMDocument* tree = requireTree("XMLDocument::getElementsByTagName");
    xml::DOMNodeList* list = tree->getElementsByTagName(
        toLibraryText(tag, "XMLDocument::getElementsByTagName").c_str());
    XMLNodeList* wrapper = findNodeList(list);
    if (wrapper == nullptr) {
        auto fresh = std::make_unique<XMLNodeList>(list, this);
        registerNodeList(list, fresh.get());
        wrapper = fresh.release();
    }
    return wrapper;
}

IXMLNode* XMLDocument::getNodeByTagName(std::string tag) {
    xml::DOMDocument* tree = requireTree("XMLDocument::getNodeByTagName");
    xml::DOMNodeList* list = tree->getElementsByTagName(
        toLibraryText(tag, "XMLDocument::getNodeByTagName").c_str());
    // The first match only: the length would walk the whole tree, on every settings lookup.
    xml::DOMNode* first = list->item(0);
    if (first == nullptr) throw XMLException(tagNotFound, "XMLDocument::getNodeByTagName");
    return XMLNode::wrap(first, this);
}

std::string XMLDocument::getValueByTagName(std::string tag) {
    IXMLNode* element = getNodeByTagName(std::move(tag));
    return element->getFirstChild()->getNodeValue();
}

void XMLDocument::setValueByTagName(std::string tag, std::string value) {
    IXMLNode* element = getNodeByTagName(std::move(tag));
    element->getFirstChild()->setNodeValue(std::move(value));
}

bool XMLDocument::getBooleanByTagName(std::string tag) {
    return getValueByTagName(std::move(tag)) == "true";
}

void XMLDocument::setBooleanByTagName(std::string tag, bool value) {
    setValueByTagName(std::move(tag), value ? "true" : "false");
}

void XMLDocument::parse(std::string fileName) {
    // The file is read here rather than by the parser: the parser would turn the path into
    // UTF-16 and back through the process locale, and lose names that the locale cannot spell.
    std::string contents;
    switch (os::readWholeFile(fileName, contents, largestDocument)) {
    case os::ReadResult::Read:
        break;
    case os::ReadResult::TooLarge:
        throw XMLException(fileName + "は大きすぎるため読み込みません（上限 1 MiB）。", "XMLDocument::parse");
    case os::ReadResult::Unreadable:
        throw IOException(fileName + "を読み込めません。存在を確認した上で、再度起動してください。",
                          "XMLDocument::parse");
    }
    try {
        std::u16string systemId;
        try {
            systemId = toLibraryText(fileName, "XMLDocument::parse");
        } catch (const XMLException&) {
            // Only relative references inside the file need the name; the bytes are read already.
        }
        NestingBoundParser parser(fileName + "は要素の入れ子が深すぎるため読み込みません（上限 " +
                                  std::to_string(deepestNesting) + " 段）。");
        FatalErrorRaiser errors;
        parser.setErrorHandler(&errors);
        // The settings file can be edited by hand: it never makes the parser read another file or
        // the network, and an entity cannot blow up into gigabytes.
        parser.setLoadExternalDTD(false);
        parser.setDisableDefaultEntityResolution(true);
        xml::SecurityManager entityLimits;
        parser.setSecurityManager(&entityLimits);
        xml::MemBufInputSource source(reinterpret_cast<const XMLByte*>(contents.data()),
                                      contents.size(), systemId.c_str(), false,
                                      xml::XMLPlatformUtils::fgMemoryManager);
        parser.parse(source);
        Releasing<xml::DOMDocument> fresh(parser.adoptDocument());
        if (!fresh || fresh->getDocumentElement() == nullptr) {
            throw XMLException(fileName + "が壊れています。削除した上で再度起動してください。",
                               "XMLDocument::parse");
        }
        deleteWrappers();
        if (document != nullptr) document->release();
        document = fresh.release();
    } catch (const xml::OutOfMemoryException&) {
        throw IOException(outOfMemory, "XMLDocument::parse");
    } catch (const xml::XMLException&) {
        throw XMLException(fileName + "が壊れています。削除した上で再度起動してください。",
                           "XMLDocument::parse");
    } catch (const xml::SAXException&) {
        throw XMLException(fileName + "が壊れています。削除した上で再度起動してください。",
                           "XMLDocument::parse");
    } catch (const xml::DOMException&) {
        throw XMLException(fileName + "が壊れています。削除した上で再度起動してください。",
                           "XMLDocument::parse");
    }
}

void XMLDocument::serialize(std::string fileName) {
    const std::string failure =
        "XMLを保存中にエラーが発生しました。" + fileName + "のバックアップを取り、再度起動してください。";
    const char* const origin = "XMLDocument::serialize";
    if (document == nullptr) throw XMLException(failure, origin);

    // The document goes to memory first and reaches the disk in one replacing write, so that a
    // failure anywhere leaves the previous file whole.
    std::string bytes;
    try {
        auto* implementation = static_cast<xml::DOMImplementationLS*>(
            xml::DOMImplementationRegistry::getDOMImplementation(u"LS"));
        if (implementation == nullptr) throw XMLException(failure, origin);
        Releasing<xml::DOMLSSerializer> writer(
            implementation->createLSSerializer(xml::XMLPlatformUtils::fgMemoryManager));
        Releasing<xml::DOMLSOutput> output(
            implementation->createLSOutput(xml::XMLPlatformUtils::fgMemoryManager));
        xml::MemBufFormatTarget target(1023, xml::XMLPlatformUtils::fgMemoryManager);
        writer->getDomConfig()->setParameter(xml::XMLUni::fgDOMWRTFormatPrettyPrint, true);
        output->setByteStream(&target);
        output->setEncoding(utf8);
        // The writer reports some failures only by its result; a false is a failed save too.
        if (!writer->write(document, output.get())) throw XMLException(failure, origin);
        bytes.assign(reinterpret_cast<const char*>(target.getRawBuffer()), target.getLen());
    } catch (const xml::OutOfMemoryException&) {
        throw IOException(outOfMemory, origin);
    } catch (const xml::XMLException&) {
        throw XMLException(failure, origin);
    } catch (const xml::DOMException&) {
        throw XMLException(failure, origin);
    }
    switch (os::replaceWholeFile(fileName, bytes.data(), bytes.size())) {
    case os::ReplaceResult::Replaced:
        break;
    case os::ReplaceResult::ReadOnly:
        // A read-only file is the user's choice; it is reported rather than replaced.
        throw XMLException(fileName + "は読み取り専用のため保存できません。書き込みを許可した上で、もう一度保存してください。",
                           origin);
    case os::ReplaceResult::Failed:
        throw XMLException(failure, origin);
    }
}

XMLNode* XMLDocument::findNode(const xml::DOMNode* node) {
    const auto found = nodes.find(node);
    return found == nodes.end() ? nullptr : found->second;
}

void XMLDocument::registerNode(const xml::DOMNode* node, XMLNode* wrapper) {
    nodes.emplace(node, wrapper);
}

XMLNodeList* XMLDocument::findNodeList(const xml::DOMNodeList* list) {
    const auto found = nodeLists.find(list);
    return found == nodeLists.end() ? nullptr : found->second;
}

void XMLDocument::registerNodeList(const xml::DOMNodeList* list, XMLNodeList* wrapper) {
    nodeLists.emplace(list, wrapper);
}

XMLNamedNodeMap* XMLDocument::findNamedNodeMap(const xml::DOMNamedNodeMap* map) {
    const auto found = namedNodeMaps.find(map);
    return found == namedNodeMaps.end() ? nullptr : found->second;
}

void XMLDocument::registerNamedNodeMap(const xml::DOMNamedNodeMap* map, XMLNamedNodeMap* wrapper) {
    namedNodeMaps.emplace(map, wrapper);
}

std::string XMLDocument::getErrorMessage() { return errorMessage; }

std::u16string XMLDocument::toLibraryText(const std::string& text, const char* origin) {
    try {
        xml::TranscodeFromStr converted(reinterpret_cast<const XMLByte*>(text.data()), text.size(),
                                        "UTF-8", xml::XMLPlatformUtils::fgMemoryManager);
        if (converted.length() == 0) return std::u16string();
        return std::u16string(converted.str(), converted.length());
    } catch (const xml::OutOfMemoryException&) {
        throw XMLException(outOfMemory, origin);
    } catch (const xml::XMLException&) {
        throw XMLException(notUtf8, origin);
    }
}

std::string XMLDocument::fromLibraryText(const XMLCh* text, const char* origin) {
    if (text == nullptr) return std::string();
    try {
        xml::TranscodeToStr converted(text, "UTF-8", xml::XMLPlatformUtils::fgMemoryManager);
        if (converted.length() == 0) return std::string();
        return std::string(reinterpret_cast<const char*>(converted.str()), converted.length());
    } catch (const xml::OutOfMemoryException&) {
        throw XMLException(outOfMemory, origin);
    } catch (const xml::XMLException&) {
        throw XMLException(notUtf8, origin);
    }
}
