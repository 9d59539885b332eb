#pragma once

#include "framework/IXMLCharacterData.h"
#include "framework/IXMLNode.h"
#include "framework/Xmlnode.h"

#include <xercesc/util/XercesDefs.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class DOMCharacterData;
XERCES_CPP_NAMESPACE_END

// The wrapper of a node that holds text; made only as the base of XMLText.
class XMLCharacterData : public XMLNode, public virtual IXMLNode, public virtual IXMLCharacterData {
public:
    XMLCharacterData(XERCES_CPP_NAMESPACE::DOMCharacterData* characterData, XMLDocument* document);
    ~XMLCharacterData() override;

private:
    // Nothing reads it yet; it keeps the node at its own type beside the base's DOMNode.
    [[maybe_unused]] XERCES_CPP_NAMESPACE::DOMCharacterData* characterData;
};
