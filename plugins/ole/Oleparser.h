#pragma once

#include "plugins/common/Compoundfileparser.h"

// A compound file that is none of a Word document, an Excel workbook and a PowerPoint
// presentation: an installer package, a mail message, a thumbnail cache and the like.
class OleParser final : public CompoundFileParser {
public:
    OleParser() : CompoundFileParser(Kind::other)
    {
    }
};
