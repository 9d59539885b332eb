#pragma once

#include "framework/IXMLNode.h"

// A node that holds text. It adds nothing to IXMLNode; it is the base of IXMLText.
class IXMLCharacterData : public virtual IXMLNode {
protected:
    ~IXMLCharacterData() override = default;
};
