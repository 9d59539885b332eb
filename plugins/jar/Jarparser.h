#pragma once

#include "plugins/zip/Zipparser.h"

#include <cstdint>
#include <vector>

class ByteCursor;
class SignatureSet;

// A Java archive: its first entry is the "META-INF/" folder or the manifest in it, and the
// manifest is there.
class JarParser {
public:
    // The first local header with the longest name it may have.
    static constexpr unsigned windowSize = 50;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);
    const std::vector<std::uint64_t>& members() const;
    const std::vector<std::uint64_t>& refused() const;

private:
    ZipParser zip;
};
