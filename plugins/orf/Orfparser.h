#pragma once

#include <cstdint>

class ByteCursor;
class SignatureSet;

// An Olympus raw file: a TIFF IFD chain under the magic "RO" ("IIRO", "MMOR") or "RS" ("IIRS")
// in place of 42, with image data in its IFDs.
// It comes before the plain TIFF plug-in, which would take the same file under the wrong kind.
class OrfParser {
public:
    static constexpr unsigned windowSize = 8;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);
};
