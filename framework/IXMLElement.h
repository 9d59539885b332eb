#pragma once

#include "framework/IXMLNode.h"

#include <string>

// An element node. Besides XMLException for text that is not valid UTF-8, setAttribute lets the
// XML library's DOMException through for a name that is no XML name.
class IXMLElement : public virtual IXMLNode {
public:
    // Adds the attribute, or replaces its value when the element has it already.
    virtual void setAttribute(std::string name, std::string value) = 0;

protected:
    ~IXMLElement() override = default;
};
