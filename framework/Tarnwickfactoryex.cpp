#include "framework/Tarnwickfactoryex.h"

#include "framework/Exception.h"
#include "framework/Xmldocument.h"

#include <memory>
#include <utility>

TarnwickFactoryEx::TarnwickFactoryEx() = default;

TarnwickFactoryEx::~TarnwickFactoryEx() {
    for (XMLDocument* document : xmlDocuments) delete document;
    xmlDocuments.clear();
}

namespace {

// The creator rule: list, register, hand out; a document that cannot be listed or registered is
// neither, and is freed.
IXMLDocument* keep(TarnwickFactoryEx& factory, std::vector<XMLDocument*>& list,
                   std::unique_ptr<XMLDocument> document) {
    list.push_back(document.get());
    IXMLDocument* handedOut = document.get();
    try {
        factory.registerCreatedObject(handedOut, document.get());
    } catch (...) {
        list.pop_back();
        throw;
    }
    document.release();
    return handedOut;
}

}  // namespace

IXMLDocument* TarnwickFactoryEx::createXMLDocument(std::string rootName) {
    return keep(*this, xmlDocuments, std::make_unique<XMLDocument>(std::move(rootName)));
}

IXMLDocument* TarnwickFactoryEx::createXMLDocumentFromResource(std::string fileName) {
    auto document = std::make_unique<XMLDocument>("");
    try {
        document->parse(std::move(fileName));
    } catch (const XMLException&) {
        throw FactoryException("指定されたファイルは xml 形式でないか、壊れています。",
                               "TarnwickFactory::createXMLDocumentFromResource");
    } catch (const IOException&) {
        throw FactoryException("指定された xml ファイルが読み込めません。",
                               "TarnwickFactory::createXMLDocumentFromResource");
    }
    return keep(*this, xmlDocuments, std::move(document));
}
