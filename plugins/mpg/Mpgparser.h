#pragma once

#include <cstdint>
#include <vector>

class ByteCursor;
class SignatureSet;

// An MPEG program stream (MPEG-1 system stream or MPEG-2 PS): packs, each a pack header with its
// marker bits, the first followed by the system header, then PES packets by their lengths, up to
// the end code 0x000001B9. Many writers leave the end code out; such a stream ends after its last
// whole packet, before what is no start code or before a pack whose clock does not go forward,
// the first of another stream laid right after it. A system header must hold its marker bits and
// whole stream entries, and a stream counts only with a packet of audio, video or private stream 1.
class MpgParser {
public:
    static constexpr unsigned windowSize = 16;

    static const SignatureSet& signatures();
    static bool detect(const unsigned char* data);
    std::uint64_t measure(ByteCursor& input);
    // Once measure has found no stream: the packs after the first that the walk passed. A walk
    // from any of them meets the same packets and fails where this one failed (or sooner, at a
    // packet before the next system header), as long as it ends where this one's cursor ended.
    const std::vector<std::uint64_t>& refused() const;

private:
    std::uint64_t walk(ByteCursor& input);

    std::vector<std::uint64_t> packs;
};
