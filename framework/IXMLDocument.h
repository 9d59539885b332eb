#pragma once

#include <string>

class IXMLElement;
class IXMLText;
class IXMLNode;
class IXMLNodeList;

// An XML document: one tree, created with an empty root element or read from a file, changed
// through the node interfaces and written back as pretty-printed UTF-8. All strings are UTF-8.
//
// Failures arrive as the framework's XMLException and IOException. The only exception of the XML
// library that gets through is its DOMException, and only from createElement (a tag that is no
// XML name) and from the node operations that IXMLNode.h and IXMLElement.h name. Code that hands
// values on to plug-ins must catch it there.
//
// Only the factory that made a document deletes it, so there is no virtual destructor here.
class IXMLDocument {
public:
    virtual IXMLElement* getDocumentElement() = 0;
    // A new element, attached nowhere until appendChild attaches it.
    virtual IXMLElement* createElement(std::string tag) = 0;
    // A new, unattached text node.
    virtual IXMLText* createTextNode(std::string text) = 0;
    // Every element named tag in document order, the root included; "*" matches every element.
    // Live: it follows later changes of the tree.
    virtual IXMLNodeList* getElementsByTagName(std::string tag) = 0;
    // The first element named tag in document order; XMLException when there is none.
    virtual IXMLNode* getNodeByTagName(std::string tag) = 0;
    // The value of the first child of that element (its text); XMLException when the element
    // is missing or has no child.
    virtual std::string getValueByTagName(std::string tag) = 0;
    virtual void setValueByTagName(std::string tag, std::string value) = 0;
    // True only for the exact text "true".
    virtual bool getBooleanByTagName(std::string tag) = 0;
    // Stores "true" or "false".
    virtual void setBooleanByTagName(std::string tag, bool value) = 0;
    // Replaces the tree by the file's. IOException when the file cannot be read, XMLException
    // when it is not well-formed (an empty file included), larger than 1 MiB (refused unread) or
    // nested deeper than 64 elements (refused as the parse reaches that depth); either way the
    // old tree stays, with its nodes. After a success every node pointer of the old tree is gone.
    virtual void parse(std::string fileName) = 0;
    // Writes the tree to fileName. The old file is replaced only once the whole document has been
    // written beside it, so a failed save (XMLException, or IOException when memory runs out)
    // leaves it as it was. A symbolic link keeps pointing where it did (its target is written),
    // the file keeps its owner and permissions, and a read-only file is refused (XMLException).
    virtual void serialize(std::string fileName) = 0;

protected:
    ~IXMLDocument() = default;
};
