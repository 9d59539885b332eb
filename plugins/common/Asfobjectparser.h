#pragma once

#include <cstdint>

class ByteCursor;
class SignatureSet;

// An Advanced Systems Format file (Windows Media): the header object, the data object and any
// index objects after it, each by its own size. The header's stream properties tell what the file
// carries, and so its kind: video makes it WMV, sound alone WMA, anything else plain ASF. Each
// of the three kinds has a plug-in of its own that accepts only its own files, so that the kind
// of a find is known before it is measured whatever plug-in comes first.
class AsfObjectParser {
public:
    enum class Kind { video, audio, other };

    static constexpr unsigned windowSize = 32;

    explicit AsfObjectParser(Kind wanted);

    static const SignatureSet& signatures();
    static bool detect(const unsigned char* data);
    std::uint64_t measure(ByteCursor& input);

private:
    bool readHeader(ByteCursor& input, std::uint64_t size, std::uint32_t count, Kind& kind);

    Kind wanted;
};
