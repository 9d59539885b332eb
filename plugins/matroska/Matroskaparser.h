#pragma once

#include <cstdint>

class ByteCursor;
class SignatureSet;

// A Matroska or WebM file: the EBML header, whose DocType names the kind, then one Segment.
// A Segment of known size ends there, and its top-level elements must fill it exactly. One
// written to a stream that could not be rewound has the unknown size; it is walked by its
// top-level elements (SeekHead, Info, Tracks, Cluster, Cues...) and ends before the first thing
// that is none of them. A Cluster of unknown size is walked by its own children in the same way.
class MatroskaParser {
public:
    static constexpr unsigned windowSize = 64;

    static const SignatureSet& signatures();
    static bool detect(const unsigned char* data);
    // "mkv" or "webm" for the file that starts at data, a window of windowSize bytes, or null.
    static const char* kindOf(const unsigned char* data);

    std::uint64_t measure(ByteCursor& input);

    struct Element {
        std::uint32_t id = 0;
        std::uint64_t start = 0;
        std::uint64_t dataStart = 0;
        std::uint64_t size = 0;
        bool unknownSize = false;

        std::uint64_t end() const
        {
            return dataStart + size;
        }
    };

private:
    // Walks the children from position that passes accepts, up to containerEnd (UINT64_MAX: open);
    // position receives where the walk stopped. False for a broken child or one past the limit.
    bool walkSegment(ByteCursor& input, std::uint64_t& position, std::uint64_t containerEnd);
    bool walkCluster(ByteCursor& input, std::uint64_t& position, std::uint64_t containerEnd);

    bool sawCluster = false;
};
