#pragma once

#include "tests/plugins/Temporaryfolder.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Real files of each sample plug-in's kind, made afresh by the tests with known bytes. PNG, JPEG
// and BMP come from Qt's encoders; GIF, WAV and AVI are written here, and the GIF is checked
// against Qt's decoder. The same seed always gives the same bytes.
class SampleFiles {
public:
    static Bytes random(std::size_t size, std::uint32_t seed);

    static Bytes png(int width, int height, std::uint32_t seed);
    static Bytes jpeg(int width, int height, std::uint32_t seed);
    static Bytes bmp(int width, int height, std::uint32_t seed);
    static Bytes gif(int width, int height, std::uint32_t seed);

    // A JPEG of the given size whose APP1 segment carries thumbnail whole, as cameras store
    // theirs; thumbnailOffset receives where the thumbnail begins in the result.
    static Bytes jpegWithThumbnail(int width, int height, std::uint32_t seed, const Bytes& thumbnail,
                                   std::size_t& thumbnailOffset);

    // 16-bit stereo PCM whose data chunk holds samples; dataOffset receives where they begin.
    static Bytes wav(const Bytes& samples, std::size_t& dataOffset);

    // An uncompressed-video AVI with one stream; each frame's data is one of frames, and
    // frameOffsets receives where each begins.
    static Bytes avi(const std::vector<Bytes>& frames, std::vector<std::size_t>& frameOffsets);
};
