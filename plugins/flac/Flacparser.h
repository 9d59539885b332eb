#pragma once

#include <cstdint>

class ByteCursor;
class SignatureSet;

// A native FLAC stream: "fLaC", the metadata blocks (STREAMINFO first, the last one marked), then
// audio frames. Each frame's header is checked by its CRC-8, its subframes are walked to find
// where it ends, and the whole frame is checked by its CRC-16. The stream ends after the frame
// that completes the total samples STREAMINFO gives or, when it gives none, after the last valid
// frame in sequence.
class FlacParser {
public:
    // "fLaC" and the header of the STREAMINFO block.
    static constexpr unsigned windowSize = 8;
    // Without a total in STREAMINFO, the last valid frame within the size window ends the stream.
    static constexpr bool mayEndAtLimit = true;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);

private:
    struct FrameHeader {
        std::uint32_t blockSize;
        unsigned channels;
        unsigned channelAssignment;
        unsigned bitsPerSample;
        std::uint64_t number;
        bool variable;
    };

    bool readStreamInfo(ByteCursor& input);
    // Walks the frame at position; its length, or 0 when no valid frame lies there.
    std::uint64_t readFrame(ByteCursor& input, std::uint64_t position, FrameHeader& header);
    bool readFrameHeader(ByteCursor& input, FrameHeader& header, std::uint8_t& crc8);

    std::uint32_t streamBitsPerSample = 0;
    std::uint32_t streamSampleRate = 0;
    std::uint32_t maximumBlockSize = 0;
    std::uint64_t totalSamples = 0;
};
