#pragma once

#include <cstdint>

class ByteCursor;
class SignatureSet;

// A Standard MIDI File: the header chunk "MThd" (format 0, 1 or 2, the number of tracks, the time
// division), then that many track chunks "MTrk", each closed by its End of Track event. Chunks of
// other types between them are skipped, as players do; the file ends after its last track.
class MidParser {
public:
    // The header chunk whole.
    static constexpr unsigned windowSize = 14;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);
};
