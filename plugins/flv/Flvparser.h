#pragma once

#include <cstdint>

class ByteCursor;
class SignatureSet;

// A Flash Video file: its header, then a chain of audio, video and script tags, each followed by
// the size of the tag before it, which must match. The file ends after the last tag: what follows
// is no tag header. A tag header that follows but does not fit, its data reaching past the input
// or its trailing size wrong, means the file was cut or broken, and nothing is found.
class FlvParser {
public:
    static constexpr unsigned windowSize = 16;

    static const SignatureSet& signatures();
    static bool detect(const unsigned char* data);
    std::uint64_t measure(ByteCursor& input);
};
