#pragma once

#include <cstdint>

class ByteCursor;
class SignatureSet;

// MPEG audio (MPEG-1, MPEG-2 and MPEG-2.5, layers I to III): an optional ID3v2 tag, whose size
// its header gives, then a chain of frames, each header found where the frame before it ends,
// all of one version, layer and sample rate; free-format frames are refused. A Xing, Info or
// VBRI header in the first frame gives the length of the chain, which must then be there whole.
// An APE tag and an ID3v1 tag may follow the frames.
class Mp3Parser {
public:
    // An ID3v2 header, or a frame header with its CRC and the side information of layer III, all
    // of it: a frame header alone passes random data about once in 2 KiB, and each candidate costs
    // extract a read of the input.
    static constexpr unsigned windowSize = 64;
    // Without a length in its first frame, the chain ends at its last whole frame, also where the
    // size window cuts it.
    static constexpr bool mayEndAtLimit = true;
    // Fewer frames in a chain are too often chance.
    static constexpr unsigned fewestFrames = 6;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);

    // Where the chain of frames begins in the last file measured, and its frame count.
    std::uint64_t framesStart() const;

private:
    struct Frame {
        unsigned version;
        unsigned layer;
        unsigned sampleRate;
        std::uint32_t length;
        bool mono;
        bool protectedByCrc;
    };

    static bool readHeader(const unsigned char* data, Frame& frame);
    // Whether the side information of a layer III frame, which follows its header (and CRC),
    // holds values an encoder can write, as far as the available bytes at data go.
    static bool checkSideInformation(const unsigned char* data, unsigned available, const Frame& frame);
    static bool checkFrame(ByteCursor& input, std::uint64_t position, const Frame& frame);
    // The length of the chain that a Xing, Info or VBRI header in the first frame gives, or 0.
    static std::uint64_t declaredLength(ByteCursor& input, std::uint64_t start, const Frame& frame);
    // The tags after the frames: APE, then ID3v1.
    static std::uint64_t skipTrailingTags(ByteCursor& input, std::uint64_t position);

    std::uint64_t start = 0;
};
