#pragma once

#include "framework/IXMLNamedNodeMap.h"

#include <xercesc/util/XercesDefs.hpp>

#include <string>

XERCES_CPP_NAMESPACE_BEGIN
class DOMNamedNodeMap;
XERCES_CPP_NAMESPACE_END

class XMLDocument;

// The wrapper of an element's DOM attribute map; owned by the document like the nodes.
class XMLNamedNodeMap : public IXMLNamedNodeMap {
public:
    XMLNamedNodeMap(XERCES_CPP_NAMESPACE::DOMNamedNodeMap* map, XMLDocument* document);
    XMLNamedNodeMap(const XMLNamedNodeMap&) = delete;
    XMLNamedNodeMap& operator=(const XMLNamedNodeMap&) = delete;

    IXMLNode* getNamedItem(std::string name) override;
    virtual ~XMLNamedNodeMap();

private:
    XERCES_CPP_NAMESPACE::DOMNamedNodeMap* map;
    XMLDocument* document;
};
