#include "framework/Xmlnode.h"

#include "framework/Exception.h"
#include "framework/Xmldocument.h"
#include "framework/Xmlnamednodemap.h"
#include "framework/Xmlnodelist.h"

#include <xercesc/dom/DOMException.hpp>
#include <xercesc/dom/DOMNamedNodeMap.hpp>
#include <xercesc/dom/DOMNode.hpp>
#include <xercesc/dom/DOMNodeList.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include <memory>
#include <typeinfo>

namespace xml = XERCES_CPP_NAMESPACE;

XMLNode::XMLNode(xml::DOMNode* node, XMLDocument* document) : node(node), document(document) {}

XMLNode::~XMLNode() = default;

XMLNode* XMLNode::wrap(xml::DOMNode* node, XMLDocument* document) {
    XMLNode* wrapper = document->findNode(node);
    if (wrapper == nullptr) {
        auto fresh = std::make_unique<XMLNode>(node, document);
        document->registerNode(node, fresh.get());
        wrapper = fresh.release();
    }
    return wrapper;
}

IXMLNode* XMLNode::appendChild(IXMLNode* child) {
    if (child == nullptr) throw std::bad_cast();
    XMLNode& wrapper = dynamic_cast<XMLNode&>(*child);
    // The library checks this node's ancestors but not the node itself, and would make a node
    // its own child: a cycle that every later walk of the tree runs round forever.
    if (wrapper.node == node) {
        throw xml::DOMException(xml::DOMException::HIERARCHY_REQUEST_ERR, 0,
                                xml::XMLPlatformUtils::fgMemoryManager);
    }
    node->appendChild(wrapper.node);
    return child;
}

IXMLNodeList* XMLNode::getChildNodes() {
    xml::DOMNodeList* list = node->getChildNodes();
    XMLNodeList* wrapper = document->findNodeList(list);
    if (wrapper == nullptr) {
        auto fresh = std::make_unique<XMLNodeList>(list, document);
        document->registerNodeList(list, fresh.get());
        wrapper = fresh.release();
    }
    return wrapper;
}

IXMLNode* XMLNode::getFirstChild() {
    xml::DOMNode* first = node->getFirstChild();
    if (first == nullptr) {
        throw XMLException("このノードは子ノードを持っていません。", "XMLNode::getFirstChild");
    }
    return wrap(first, document);
}

IXMLNamedNodeMap* XMLNode::getAttributes() {
    xml::DOMNamedNodeMap* map = node->getAttributes();
    if (map == nullptr) {
        throw XMLException("このノードは属性を持っていません。", "XMLNode::getAttributes");
    }
    XMLNamedNodeMap* wrapper = document->findNamedNodeMap(map);
    if (wrapper == nullptr) {
        auto fresh = std::make_unique<XMLNamedNodeMap>(map, document);
        document->registerNamedNodeMap(map, fresh.get());
        wrapper = fresh.release();
    }
    return wrapper;
}

std::string XMLNode::getNodeName() {
    return XMLDocument::fromLibraryText(node->getNodeName(), "XMLNode::getNodeName");
}

std::string XMLNode::getNodeValue() {
    return XMLDocument::fromLibraryText(node->getNodeValue(), "XMLNode::getNodeValue");
}

void XMLNode::setNodeValue(std::string value) {
    node->setNodeValue(XMLDocument::toLibraryText(value, "XMLNode::setNodeValue").c_str());
}
