#pragma once

#include "framework/IXMLNodeList.h"

#include <xercesc/util/XercesDefs.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class DOMNodeList;
XERCES_CPP_NAMESPACE_END

class XMLDocument;

// The wrapper of a DOM node list of an XMLDocument; owned by the document like the nodes.
class XMLNodeList : public IXMLNodeList {
public:
    XMLNodeList(XERCES_CPP_NAMESPACE::DOMNodeList* list, XMLDocument* document);
    XMLNodeList(const XMLNodeList&) = delete;
    XMLNodeList& operator=(const XMLNodeList&) = delete;

    unsigned getLength() override;
    IXMLNode* item(unsigned index) override;
    virtual ~XMLNodeList();

private:
    XERCES_CPP_NAMESPACE::DOMNodeList* list;
    XMLDocument* document;
};
