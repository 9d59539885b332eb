#pragma once

#include <cstdint>

class ByteCursor;
class SignatureSet;

// A RAR archive, in the block layout of RAR 1.5 to 4 or of RAR 5, walked from block to block
// to the end-of-archive block, which ends it. Every block header's CRC is checked, and each
// block's data is skipped by the size its header gives. Archives whose headers are encrypted
// cannot be walked, and the volumes of a multi-volume archive are parts of a file, not files: both
// are refused.
class RarParser {
public:
    // The RAR 5 signature, the longer of the two.
    static constexpr unsigned windowSize = 8;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);

private:
    std::uint64_t measureRar4(ByteCursor& input);
    std::uint64_t measureRar5(ByteCursor& input);
};
