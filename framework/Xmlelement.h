#pragma once

#include "framework/IXMLElement.h"
#include "framework/IXMLNode.h"
#include "framework/Xmlnode.h"

#include <xercesc/util/XercesDefs.hpp>

#include <string>

XERCES_CPP_NAMESPACE_BEGIN
class DOMElement;
XERCES_CPP_NAMESPACE_END

// The wrapper of an element made by the document itself: its root, or one from createElement.
class XMLElement : public XMLNode, public virtual IXMLNode, public virtual IXMLElement {
public:
    XMLElement(XERCES_CPP_NAMESPACE::DOMElement* element, XMLDocument* document);
    ~XMLElement() override;

    void setAttribute(std::string name, std::string value) override;

private:
    XERCES_CPP_NAMESPACE::DOMElement* element;
};
