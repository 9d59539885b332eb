#pragma once

#include <string>

class IXMLNode;

// The attributes of an element, by name. It belongs to its document like the nodes do (see
// IXMLNode.h); nobody else deletes it.
class IXMLNamedNodeMap {
public:
    // The attribute node, whose getNodeValue is the attribute's value. XMLException when the
    // element has no attribute of that name.
    virtual IXMLNode* getNamedItem(std::string name) = 0;

protected:
    ~IXMLNamedNodeMap() = default;
};
