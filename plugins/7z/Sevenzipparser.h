#pragma once

#include <cstdint>

class ByteCursor;
class SignatureSet;

// A 7z archive: the signature header (signature, format version, and the CRC-32 of the start
// header that follows: where the next header lies after the signature header, its size and its
// CRC-32), the packed streams, and the next header, which ends the file. Both CRCs are checked.
// An archive with no next header (an empty one) is not taken: 32 bytes tell nothing.
class SevenZipParser {
public:
    static constexpr unsigned signatureHeaderSize = 32;
    static constexpr unsigned windowSize = signatureHeaderSize;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);
};
