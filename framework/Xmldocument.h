#pragma once

#include "framework/IXMLDocument.h"

#include <xercesc/util/XercesDefs.hpp>

#include <map>
#include <string>

// The implementation's own header: the factory and the node wrappers include it, users of the
// XML layer include IXMLDocument.h and the node interfaces only. It names the XML library's
// types by forward declaration; the library's headers stay in the sources.
XERCES_CPP_NAMESPACE_BEGIN
class DOMDocument;
class DOMNode;
class DOMNodeList;
class DOMNamedNodeMap;
XERCES_CPP_NAMESPACE_END

class XMLNode;
class XMLNodeList;
class XMLNamedNodeMap;

// A document over one Xerces-C DOM tree. It owns the tree and every wrapper that stands for a
// node, node list or attribute map of it: the registries hand out one wrapper per DOM pointer,
// made on first request, so the same node always comes back as the same interface pointer.
//
// Each document keeps the library initialised while it lives; the library counts, so any number
// of documents may live together or one after another. Documents are made and destroyed on one
// thread at a time; the count is guarded all the same.
//
// Strings cross into the library as UTF-8, converted explicitly, never through the locale.
// Besides the DOMException named in IXMLDocument.h, getDocumentElement, createElement and
// createTextNode raise XMLException for a document without a tree, and getDocumentElement also
// when the root was first reached as a plain node (by tag or by position).
class XMLDocument : public IXMLDocument {
public:
    // A tree holding one empty root element named rootName. When the library cannot make it
    // (an empty root name, for one, as used before a parse), the document has no tree and
    // getErrorMessage says why; nothing is raised for that.
    explicit XMLDocument(std::string rootName);

    IXMLElement* getDocumentElement() override;
    IXMLElement* createElement(std::string tag) override;
    IXMLText* createTextNode(std::string text) override;
    IXMLNodeList* getElementsByTagName(std::string tag) override;
    IXMLNode* getNodeByTagName(std::string tag) override;
    std::string getValueByTagName(std::string tag) override;
    void setValueByTagName(std::string tag, std::string value) override;
    bool getBooleanByTagName(std::string tag) override;
    void setBooleanByTagName(std::string tag, bool value) override;
    void parse(std::string fileName) override;
    void serialize(std::string fileName) override;

    XMLDocument(const XMLDocument&) = delete;
    XMLDocument& operator=(const XMLDocument&) = delete;
    virtual ~XMLDocument();

    // The registries. find gives null for a pointer without a wrapper; register keeps the pair
    // it has when the key is present already. Registered wrappers belong to the document.
    virtual XMLNode* findNode(const XERCES_CPP_NAMESPACE::DOMNode* node);
    virtual void registerNode(const XERCES_CPP_NAMESPACE::DOMNode* node, XMLNode* wrapper);
    virtual XMLNodeList* findNodeList(const XERCES_CPP_NAMESPACE::DOMNodeList* list);
    virtual void registerNodeList(const XERCES_CPP_NAMESPACE::DOMNodeList* list, XMLNodeList* wrapper);
    virtual XMLNamedNodeMap* findNamedNodeMap(const XERCES_CPP_NAMESPACE::DOMNamedNodeMap* map);
    virtual void registerNamedNodeMap(const XERCES_CPP_NAMESPACE::DOMNamedNodeMap* map,
                                      XMLNamedNodeMap* wrapper);

    // Why the constructor made no tree; empty when it did.
    virtual std::string getErrorMessage();

    // UTF-8 to and from the library's UTF-16. Text that does not convert (bytes that are not
    // UTF-8, say) raises XMLException with the given origin. A null text converts to "".
    static std::u16string toLibraryText(const std::string& text, const char* origin);
    static std::string fromLibraryText(const XMLCh* text, const char* origin);

private:
    XERCES_CPP_NAMESPACE::DOMDocument* requireTree(const char* origin);
    void deleteWrappers();

    XERCES_CPP_NAMESPACE::DOMDocument* document;
    std::map<const XERCES_CPP_NAMESPACE::DOMNode*, XMLNode*> nodes;
    std::map<const XERCES_CPP_NAMESPACE::DOMNodeList*, XMLNodeList*> nodeLists;
    std::map<const XERCES_CPP_NAMESPACE::DOMNamedNodeMap*, XMLNamedNodeMap*> namedNodeMaps;
    std::string errorMessage;
};
