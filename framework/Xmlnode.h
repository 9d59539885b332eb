#pragma once

#include "framework/IXMLNode.h"

#include <xercesc/util/XercesDefs.hpp>

#include <string>

XERCES_CPP_NAMESPACE_BEGIN
class DOMNode;
XERCES_CPP_NAMESPACE_END

class XMLDocument;

// The wrapper of one DOM node of an XMLDocument. It forwards to the node and hands further
// results out through the document's registries. Only the document makes and deletes wrappers;
// a wrapper never touches the DOM when it dies, the nodes belong to the tree.
class XMLNode : public virtual IXMLNode {
public:
    XMLNode(XERCES_CPP_NAMESPACE::DOMNode* node, XMLDocument* document);
    XMLNode(const XMLNode&) = delete;
    XMLNode& operator=(const XMLNode&) = delete;
    virtual ~XMLNode();

    IXMLNode* appendChild(IXMLNode* child) override;
    IXMLNodeList* getChildNodes() override;
    IXMLNode* getFirstChild() override;
    IXMLNamedNodeMap* getAttributes() override;
    std::string getNodeName() override;
    std::string getNodeValue() override;
    void setNodeValue(std::string value) override;

    // The registered wrapper of node, or a new plain XMLNode registered in document. Every
    // operation that hands out a node it did not create itself goes through here.
    static XMLNode* wrap(XERCES_CPP_NAMESPACE::DOMNode* node, XMLDocument* document);

private:
    XERCES_CPP_NAMESPACE::DOMNode* node;
    XMLDocument* document;
};
