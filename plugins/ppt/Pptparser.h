#pragma once

#include "plugins/common/Compoundfileparser.h"

// A PowerPoint presentation (97 and later): a compound file with a "PowerPoint Document" stream.
class PptParser final : public CompoundFileParser {
public:
    PptParser() : CompoundFileParser(Kind::presentation)
    {
    }
};
