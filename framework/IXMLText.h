#pragma once

#include "framework/IXMLCharacterData.h"
#include "framework/IXMLNode.h"

// A text node; its value (getNodeValue, setNodeValue) is the text.
class IXMLText : public virtual IXMLCharacterData, public virtual IXMLNode {
protected:
    ~IXMLText() override = default;
};
