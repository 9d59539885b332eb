#pragma once

#include "framework/IXMLCharacterData.h"
#include "framework/IXMLNode.h"
#include "framework/IXMLText.h"
#include "framework/Xmlcharacterdata.h"

#include <xercesc/util/XercesDefs.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class DOMText;
XERCES_CPP_NAMESPACE_END

// The wrapper of a text node made by the document's createTextNode.
class XMLText : public XMLCharacterData,
                public virtual IXMLNode,
                public virtual IXMLCharacterData,
                public virtual IXMLText {
public:
    XMLText(XERCES_CPP_NAMESPACE::DOMText* text, XMLDocument* document);
    ~XMLText() override;

private:
    // Nothing reads it yet; it keeps the node at its own type beside the base's DOMNode.
    [[maybe_unused]] XERCES_CPP_NAMESPACE::DOMText* text;
};
