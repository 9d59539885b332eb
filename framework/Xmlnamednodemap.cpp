#include "framework/Xmlnamednodemap.h"

#include "framework/Exception.h"
#include "framework/Xmldocument.h"
#include "framework/Xmlnode.h"

#include <xercesc/dom/DOMNamedNodeMap.hpp>
#include <xercesc/dom/DOMNode.hpp>

namespace xml = XERCES_CPP_NAMESPACE;

XMLNamedNodeMap::XMLNamedNodeMap(xml::DOMNamedNodeMap* map, XMLDocument* document)
    : map(map), document(document) {}

XMLNamedNodeMap::~XMLNamedNodeMap() = default;

IXMLNode* XMLNamedNodeMap::getNamedItem(std::string name) {
    xml::DOMNode* attribute = map->getNamedItem(
        XMLDocument::toLibraryText(name, "XMLNamedNodeMap::getNamedItem").c_str());
    // A missing attribute is the common case for the settings search, which skips such a child
    // on XMLException; a null interface pointer would only crash later.
    if (attribute == nullptr) {
        throw XMLException("指定された属性が見つかりません。", "XMLNamedNodeMap::getNamedItem");
    }
    return XMLNode::wrap(attribute, document);
}
