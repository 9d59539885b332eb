#pragma once

#include <cstdint>

class ByteCursor;
class SignatureSet;

// An xz stream: the stream header, blocks, the index, and the stream footer, which ends it.
// liblzma decodes it to that end, checking every block's check value, the index against the
// blocks it lists, and the footer against the header and the index; what it decodes is thrown
// away. Streams that xz would read on into (stream padding, further streams) are not part of it.
class XzParser {
public:
    // The stream header: magic, stream flags and their CRC-32.
    static constexpr unsigned windowSize = 12;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);
};
