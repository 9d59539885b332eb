#pragma once

#include "plugins/zip/Zipparser.h"

#include <cstdint>
#include <vector>

class ByteCursor;
class SignatureSet;

// An Office Open XML workbook: its package begins with the content types or the package
// relationships and holds its sheets below "xl/".
class XlsxParser {
public:
    // The first local header with the longest name it may have.
    static constexpr unsigned windowSize = 49;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);
    const std::vector<std::uint64_t>& members() const;
    const std::vector<std::uint64_t>& refused() const;

private:
    ZipParser zip;
};
