#pragma once

#include "plugins/common/Compoundfileparser.h"

// A Word document (97 and later): a compound file with a "WordDocument" stream.
class DocParser final : public CompoundFileParser {
public:
    DocParser() : CompoundFileParser(Kind::document)
    {
    }
};
