#pragma once

class IXMLNode;

// An ordered, live list of nodes: it follows later changes of the tree. It belongs to its
// document like the nodes do (see IXMLNode.h); nobody else deletes it.
class IXMLNodeList {
public:
    virtual unsigned getLength() = 0;
    // XMLException for an index at or past the length.
    virtual IXMLNode* item(unsigned index) = 0;

protected:
    ~IXMLNodeList() = default;
};
