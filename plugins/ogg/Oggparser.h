#pragma once

#include <cstdint>
#include <vector>

class ByteCursor;
class SignatureSet;

// An Ogg physical stream: pages ("OggS", each with its CRC) of one or more logical streams. The
// logical streams of a group begin together (multiplexed, each with its first page) and each runs,
// page by page in sequence, to its end-of-stream page; when all of them have ended, a new group may
// follow (a chained stream). The file ends after the last end-of-stream page not followed by the
// first page of a new group. Streams of Vorbis, Opus, FLAC, Speex, Theora and Skeleton are taken.
class OggParser {
public:
    // The header of the first page.
    static constexpr unsigned windowSize = 27;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);

private:
    struct Stream {
        std::uint32_t serial;
        std::uint32_t nextSequence;
        bool ended;
    };

    struct Page {
        unsigned char flags;
        std::uint32_t serial;
        std::uint32_t sequence;
        std::uint64_t length;
        bool startsKnownCodec;
    };

    // Reads and checks the page at position; false when there is no valid page there.
    static bool readPage(ByteCursor& input, std::uint64_t position, Page& page);
    // The same for a page that may reach past the cursor's limit: it is read only to tell whether
    // a new group begins there.
    static bool peekFirstPage(ByteCursor& input, std::uint64_t position);
    bool take(const Page& page);
    bool allEnded() const;

    std::vector<Stream> streams;
    bool groupHasData = false;
};
