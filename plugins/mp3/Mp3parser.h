#pragma once

#include <cstdint>

class ByteCursor;
class SignatureSet;

// MPEG audio (MPEG-1, MPEG-2 and MPEG-2.5, layers I to III): an optional ID3v2 tag, whose size
// its header gives, then a chain of frames, each header found where the frame before it ends,
// all of one version, layer and sample rate; free-format frames are refused. A Xing, Info or
// VBRI header in the first frame gives the length of the chain, which must then be there whole.
// An APE tag and an ID3v1 tag may follow the frames.
// Runs of frame headers are common in machine code and tables (a byte 0xFF followed by one with
// its top bits set begins one), so a chain with neither an ID3v2 tag nor a length in its first
// frame needs more evidence: every frame of one channel mode, protection, copyright, original and
// emphasis, and at least 0.3 s of sound (a second for layer I). In every chain, layer I frames
// must hold allocations and scale factors an encoder can write, and a layer III frame may not take
// more bytes from the bit reservoir than the frames before it left there.
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
    // The least sound of a chain with neither an ID3v2 tag nor a length, in tenths of a second.
    // Measured on the system's own files: the chains that chance makes there are all of layer I
    // once its allocations and scale factors are checked, and hold up to 0.26 s of sound; lame and
    // ffmpeg, at every rate and bit rate, mono and stereo, CBR and VBR, write at least 0.31 s for
    // 0.3 s of input. Layer I, whose frames carry the least to check and which no encoder at hand
    // writes, needs a second.
    static constexpr unsigned fewestBareTenths = 3;
    static constexpr unsigned fewestBareLayerOneTenths = 10;

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
        // The channel mode, protection, copyright, original and emphasis bits, which an encoder
        // writes the same in every frame.
        unsigned fixedBits;
        // The bit reservoir's back pointer of layer III.
        unsigned mainDataBegin;
        unsigned samples;
    };

    static bool readHeader(const unsigned char* data, Frame& frame);
    // Whether the side information of a layer III frame, which follows its header (and CRC),
    // holds values an encoder can write, as far as the available bytes at data go.
    static bool checkSideInformation(const unsigned char* data, unsigned available, const Frame& frame);
    // Whether the bit allocations and scale factors of a layer I frame, as far as the available
    // bytes at data go, are ones an encoder can write (allocation 15 and scale factor 63 are not).
    static bool checkLayerOne(const unsigned char* data, unsigned available, const Frame& frame);
    static bool checkFrame(ByteCursor& input, std::uint64_t position, Frame& frame);
    // The bytes of main data a layer III frame leaves in the bit reservoir for the frames after it.
    static unsigned mainDataLength(const Frame& frame);
    // The length of the chain that a Xing, Info or VBRI header in the first frame gives, or 0.
    static std::uint64_t declaredLength(ByteCursor& input, std::uint64_t start, const Frame& frame);
    // The tags after the frames: APE, then ID3v1.
    static std::uint64_t skipTrailingTags(ByteCursor& input, std::uint64_t position);

    std::uint64_t start = 0;
};
