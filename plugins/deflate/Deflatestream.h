#pragma once

#include <cstdint>

class ByteCursor;

// Finds where a raw deflate stream (RFC 1951) ends by inflating it with zlib. What it inflates to
// is thrown away a window at a time; only its CRC-32 and length are kept, for the formats that
// store them after the stream.
class DeflateStream {
public:
    enum class Outcome {
        // The final block ended; end is the position just past the stream's last byte.
        Ended,
        // The stream went on past the limit (or past the input's end, when asked to go there).
        Unfinished,
        // Not deflate data, or a read failed.
        Broken,
    };

    struct Result {
        Outcome outcome = Outcome::Broken;
        std::uint64_t end = 0;
        std::uint32_t crc = 0;
        // The inflated length, whole: gzip keeps it modulo 2^32.
        std::uint64_t inflatedLength = 0;
        // Whether Unfinished was met at the cursor's limit with the input going on.
        bool stoppedByLimit = false;
    };

    // Inflates from start. pastLimit lets it read on past the cursor's limit to the input's end,
    // for a stream that only decides where an earlier find ends.
    static Result inflate(ByteCursor& input, std::uint64_t start, bool pastLimit = false);
    // Moves the cursor past the deflate stream at its position; false, with the cursor anywhere,
    // when there is no whole stream within the limit.
    static bool skip(ByteCursor& input);
};
