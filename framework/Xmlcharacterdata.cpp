#include "framework/Xmlcharacterdata.h"

#include <xercesc/dom/DOMCharacterData.hpp>

namespace xml = XERCES_CPP_NAMESPACE;

XMLCharacterData::XMLCharacterData(xml::DOMCharacterData* characterData, XMLDocument* document)
    : XMLNode(characterData, document), characterData(characterData) {}

XMLCharacterData::~XMLCharacterData() = default;
