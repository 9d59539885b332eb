#pragma once

#include <cstdint>

class ByteCursor;
class SignatureSet;

// A bzip2 stream: "BZh" and the block size, blocks each with its CRC, and the end-of-stream
// marker with the combined CRC of all blocks, padded to a whole byte. libbz2 decodes it to that
// end and checks every CRC on the way; what it decodes is thrown away.
class Bz2Parser {
public:
    // The stream header and the first block's magic.
    static constexpr unsigned windowSize = 10;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);
};
