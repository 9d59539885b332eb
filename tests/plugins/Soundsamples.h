#pragma once

#include "tests/plugins/Temporaryfolder.h"

#include <cstdint>
#include <string>

// Sound and picture files of the kinds the newer plug-ins find: most written by real tools (sox,
// ffmpeg, cwebp, img2webp, webpmux) through ToolFiles, the rest built here by hand where no tool
// writes them (RF64 and BW64 sizes, recordings never finished, OpenDML parts, MIDI). Each
// function gives the same bytes every time.
class SoundSamples {
public:
    // A second of tone in a few tenths, short enough to keep the tests quick.
    static Bytes soxWav();
    static Bytes soxFloatWav();
    // ffmpeg writing to a pipe cannot go back to fill in the sizes: 0xFFFFFFFF is left in them.
    static Bytes ffmpegStreamedWav();
    static Bytes ffmpegRf64Wav();
    // RF64 or BW64 whose every size lies in the ds64 chunk; samples form the data.
    static Bytes largeWav(const char* tag, const Bytes& samples);
    // A RIFF form size of 0 whose chunks carry their sizes: the file ends after its last chunk.
    static Bytes unfinishedWavWithSizedChunks(const Bytes& samples);
    // An odd chunk with no pad byte after it.
    static Bytes wavWithoutPadByte(const Bytes& samples);
    // The 14-byte format chunk of the first WAVE writers.
    static Bytes wavWithShortFormat(const Bytes& samples);

    static Bytes ffmpegAvi();
    static Bytes ffmpegStreamedAvi();
    // The ffmpeg AVI with a JUNK chunk before its header list.
    static Bytes aviWithJunkFirst();

    static Bytes webpLossy();
    static Bytes webpLossless();
    static Bytes webpWithAlpha();
    static Bytes webpAnimated();
    static Bytes webpWithMetadata();

    static Bytes soxAiff();
    static Bytes ffmpegAiff();
    static Bytes soxAifc();

    // Format 1 with tracks tracks, each of a few notes.
    static Bytes midi(int tracks, std::uint32_t seed);

    static Bytes oggVorbis();
    static Bytes oggOpus();
    static Bytes oggFlac();
    // Two logical streams interleaved in one physical stream.
    static Bytes oggMultiplexed();

    static Bytes soxFlac();
    static Bytes ffmpegFlac();

    // With an ID3v2 tag in front and an ID3v1 tag behind.
    static Bytes mp3WithTags();
    // MPEG-2 layer III without any tag or Xing header.
    static Bytes mp3Bare();
    static Bytes mp2();
};
