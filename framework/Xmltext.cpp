#include "framework/Xmltext.h"

#include <xercesc/dom/DOMText.hpp>

namespace xml = XERCES_CPP_NAMESPACE;

XMLText::XMLText(xml::DOMText* text, XMLDocument* document)
    : XMLCharacterData(text, document), text(text) {}

XMLText::~XMLText() = default;
