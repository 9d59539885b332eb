#include "framework/Xmlelement.h"

#include "framework/Xmldocument.h"

#include <xercesc/dom/DOMElement.hpp>

namespace xml = XERCES_CPP_NAMESPACE;

XMLElement::XMLElement(xml::DOMElement* element, XMLDocument* document)
    : XMLNode(element, document), element(element) {}

XMLElement::~XMLElement() = default;

void XMLElement::setAttribute(std::string name, std::string value) {
    element->setAttribute(XMLDocument::toLibraryText(name, "XMLElement::setAttribute").c_str(),
                          XMLDocument::toLibraryText(value, "XMLElement::setAttribute").c_str());
}
