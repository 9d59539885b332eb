#pragma once

#include "plugins/zip/Zipparser.h"

#include <cstdint>
#include <vector>

class ByteCursor;
class SignatureSet;

// An OpenDocument presentation: a package whose stored "mimetype" entry comes first and names the
// kind, with its content.
class OdpParser {
public:
    // The first local header with the longest name it may have.
    static constexpr unsigned windowSize = 38;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);
    const std::vector<std::uint64_t>& members() const;
    const std::vector<std::uint64_t>& refused() const;

private:
    ZipParser zip;
};
