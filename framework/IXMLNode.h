#pragma once

#include <string>

class IXMLNodeList;
class IXMLNamedNodeMap;

// One node of an XML document. Every node interface takes this one as a virtual base, so a node
// handed out as an element or a text is still exactly one IXMLNode and can be passed on as such
// (to appendChild, for example).
//
// Nodes belong to their document: it makes them, hands out the same pointer for the same node
// every time, and deletes them when it dies or when a successful parse replaces its tree. Never
// delete one, and never use one after its tree is gone.
//
// Strings are UTF-8 in both directions. Besides the XMLException named below, appendChild lets
// the XML library's DOMException through (a node of another document, a node appended to itself
// or to one of its descendants, a child for a text node), and setNodeValue lets it through for a
// read-only node. Text that is not valid UTF-8 raises XMLException.
class IXMLNode {
public:
    // Attaches child as the last child of this node, moving it if it already has a parent, and
    // returns child itself. child must be a node of this framework: any other implementation,
    // and a null pointer, raise std::bad_cast.
    virtual IXMLNode* appendChild(IXMLNode* child) = 0;
    // Live: it follows later changes of the children.
    virtual IXMLNodeList* getChildNodes() = 0;
    // XMLException when the node has no child (an element with empty content has none).
    virtual IXMLNode* getFirstChild() = 0;
    // XMLException for any node that is not an element; an element without attributes gives an
    // empty map.
    virtual IXMLNamedNodeMap* getAttributes() = 0;
    // The tag of an element, the name of an attribute, "#text" for a text node.
    virtual std::string getNodeName() = 0;
    // The text of a text node, the value of an attribute; "" for nodes without a value.
    virtual std::string getNodeValue() = 0;
    // Ignored on nodes without a value, such as elements.
    virtual void setNodeValue(std::string value) = 0;

protected:
    virtual ~IXMLNode() = default;
};
