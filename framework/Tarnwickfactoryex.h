#pragma once

#include "framework/ITarnwickFactory.h"
#include "framework/ITarnwickFactoryEx.h"
#include "framework/Tarnwickfactory.h"

#include <string>
#include <vector>

class XMLDocument;

// The framework factory extended by XML documents, and the base of the application factory.
// Destruction deletes the documents, first made first, before the framework factory's own
// products and threads.
class TarnwickFactoryEx : public TarnwickFactory,
                          public virtual ITarnwickFactory,
                          public virtual ITarnwickFactoryEx {
public:
    TarnwickFactoryEx();
    ~TarnwickFactoryEx() override;

    IXMLDocument* createXMLDocument(std::string rootName) override;
    IXMLDocument* createXMLDocumentFromResource(std::string fileName) override;

private:
    std::vector<XMLDocument*> xmlDocuments;
};
