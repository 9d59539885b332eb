#include "framework/Xmlnodelist.h"

#include "framework/Exception.h"
#include "framework/Xmldocument.h"
#include "framework/Xmlnode.h"

#include <xercesc/dom/DOMNodeList.hpp>

namespace xml = XERCES_CPP_NAMESPACE;

XMLNodeList::XMLNodeList(xml::DOMNodeList* list, XMLDocument* document)
    : list(list), document(document) {}

XMLNodeList::~XMLNodeList() = default;

unsigned XMLNodeList::getLength() { return static_cast<unsigned>(list->getLength()); }

IXMLNode* XMLNodeList::item(unsigned index) {
    xml::DOMNode* node = list->item(index);
    // Past the end the library gives no node; a null interface pointer would only crash later.
    if (node == nullptr) {
        throw XMLException("指定された位置にノードがありません。", "XMLNodeList::item");
    }
    return XMLNode::wrap(node, document);
}
