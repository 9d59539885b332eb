#pragma once

#include "framework/ITarnwickFactory.h"

#include <string>

class IXMLDocument;

// The framework factory that also makes XML documents. Documents live, like every product, until
// the factory is destroyed.
class ITarnwickFactoryEx : public virtual ITarnwickFactory {
public:
    ~ITarnwickFactoryEx() override = default;

    // A document holding one empty root element named rootName.
    virtual IXMLDocument* createXMLDocument(std::string rootName) = 0;
    // A document read from fileName. FactoryException when the file cannot be read or is not
    // well-formed XML; then nothing is left behind.
    virtual IXMLDocument* createXMLDocumentFromResource(std::string fileName) = 0;
};
