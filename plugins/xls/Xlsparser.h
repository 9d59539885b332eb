#pragma once

#include "plugins/common/Compoundfileparser.h"

// An Excel workbook (5.0 and later): a compound file with a "Workbook" or "Book" stream.
class XlsParser final : public CompoundFileParser {
public:
    XlsParser() : CompoundFileParser(Kind::workbook)
    {
    }
};
