// MPEG audio without an ID3v2 tag or a length in its first frame: what lame and ffmpeg write is
// found whole at every version, layer, channel count and bit-rate mode, from 0.3 s of sound on;
// the chains of frame headers that chance makes in programs and tables are not (too short, frames
// that disagree, layer I allocations or scale factors no encoder writes, a layer III frame that
// takes more from the bit reservoir than the frames before it left there).

#include "tests/plugins/Carvingfixture.h"
#include "tests/plugins/Toolfiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace {

// 0.3 s of a tone at the rate and channel count given, encoded without a Xing/Info header.
std::string lame(const std::string& rate, const std::string& channels, const std::string& options)
{
    return "sox -n -r " + rate + " -c " + channels + " -b 16 in.wav synth 0.3 sine 440 && lame --quiet -t " + options +
           " in.wav {out}";
}

std::string ffmpeg(const std::string& rate, const std::string& channels, const std::string& codec)
{
    return "ffmpeg -v error -nostdin -y -bitexact -f lavfi -i sine=f=440:d=0.3:sample_rate=" + rate + " -ac " +
           channels + " " + codec + " {out}";
}

const std::string bareMp3 = " -write_xing 0 -id3v2_version 0 -f mp3";

struct Encoding {
    const char* name;
    std::string command;
};

void PrintTo(const Encoding& encoding, std::ostream* out)
{
    *out << encoding.name;
}

const Encoding encodings[] = {
    {"LameMpeg1StereoCbr320", lame("44100", "2", "-b 320")},
    {"LameMpeg1MonoCbr32", lame("32000", "1", "-b 32")},
    {"LameMpeg1StereoVbr", lame("48000", "2", "-V 0")},
    {"LameMpeg2MonoCbr8", lame("16000", "1", "-b 8")},
    {"LameMpeg2StereoVbr", lame("24000", "2", "-V 5")},
    {"LameMpeg25MonoVbr", lame("8000", "1", "-V 9")},
    {"LameMpeg25StereoCbr64", lame("12000", "2", "-b 64")},
    {"FfmpegMpeg1StereoCbr128", ffmpeg("44100", "2", "-c:a libmp3lame -b:a 128k" + bareMp3)},
    {"FfmpegMpeg1MonoVbr", ffmpeg("48000", "1", "-c:a libmp3lame -q:a 2" + bareMp3)},
    {"FfmpegMpeg2StereoCbr160", ffmpeg("22050", "2", "-c:a libmp3lame -b:a 160k" + bareMp3)},
    {"FfmpegMpeg25MonoCbr8", ffmpeg("11025", "1", "-c:a libmp3lame -b:a 8k" + bareMp3)},
    {"FfmpegLayerTwoStereo384", ffmpeg("48000", "2", "-c:a mp2 -b:a 384k -f mp2")},
    {"FfmpegLayerTwoMono32", ffmpeg("32000", "1", "-c:a mp2 -b:a 32k -f mp2")},
};

class Mp3EvidenceTest : public CarvingFixture {
protected:
    void SetUp() override { load({"mp3"}); }
};

class Mp3EncoderTest : public Mp3EvidenceTest, public ::testing::WithParamInterface<Encoding> {
};

TEST_P(Mp3EncoderTest, ShortStreamWithoutTagOrLengthIsFoundWhole)
{
    const Bytes file = ToolFiles::make(GetParam().command);
    const std::vector<CorpusScanner::Find> finds = scanAlone(file);
    ASSERT_EQ(finds.size(), 1u);
    EXPECT_EQ(finds[0].offset, 1001u);
    EXPECT_TRUE(finds[0].bytes == file) << finds[0].bytes.size() << " bytes of " << file.size();
}

INSTANTIATE_TEST_SUITE_P(Encoders, Mp3EncoderTest, ::testing::ValuesIn(encodings),
                         [](const auto& info) { return std::string(info.param.name); });

// Silent MPEG-1 layer I frames of 32 kbit/s at 48 kHz, mono: 32 bytes and 8 ms each. The first
// allocation byte and the byte after the 16 allocation bytes (the first scale factor's place) are
// given.
Bytes layerOneFrames(unsigned count, unsigned char allocation = 0, unsigned char scaleFactor = 0)
{
    Bytes frames;
    for (unsigned i = 0; i < count; ++i) {
        Bytes frame(32, 0);
        frame[0] = 0xFF;
        frame[1] = 0xFF;
        frame[2] = 0x14;
        frame[3] = 0xC0;
        frame[4] = allocation;
        frame[20] = scaleFactor;
        frames.insert(frames.end(), frame.begin(), frame.end());
    }
    return frames;
}

TEST_F(Mp3EvidenceTest, LayerOneChainNeedsASecondOfSound)
{
    const Bytes second = layerOneFrames(126);
    std::vector<CorpusScanner::Find> finds = scanAlone(second);
    ASSERT_EQ(finds.size(), 1u);
    EXPECT_TRUE(finds[0].bytes == second);
    EXPECT_TRUE(scanAlone(layerOneFrames(100)).empty()) << "0.8 s";
}

TEST_F(Mp3EvidenceTest, LayerOneAllocationOrScaleFactorNoEncoderWritesEndsTheChain)
{
    EXPECT_TRUE(scanAlone(layerOneFrames(200, 0xF0)).empty()) << "allocation 15";
    EXPECT_TRUE(scanAlone(layerOneFrames(200, 0x10, 0xFC)).empty()) << "scale factor 63";
    std::vector<CorpusScanner::Find> finds = scanAlone(layerOneFrames(200, 0x10, 0xF8));
    ASSERT_EQ(finds.size(), 1u) << "scale factor 62";
    EXPECT_EQ(finds[0].bytes.size(), 200u * 32);
}

// The frames of an MPEG-1 layer III stream without CRC, by their headers.
std::vector<std::size_t> frameStarts(const Bytes& file)
{
    static const unsigned rates[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static const unsigned sampleRates[] = {44100, 48000, 32000};
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at + 4 <= file.size() && file[at] == 0xFF && file[at + 1] == 0xFB;) {
        starts.push_back(at);
        at += 144 * rates[file[at + 2] >> 4] * 1000 / sampleRates[file[at + 2] >> 2 & 3] + (file[at + 2] >> 1 & 1);
    }
    return starts;
}

Bytes lameSecond()
{
    return ToolFiles::make("sox -n -r 44100 -c 2 -b 16 in.wav synth 1 sine 440 && lame --quiet -t -b 128 in.wav {out}");
}

TEST_F(Mp3EvidenceTest, FrameThatChangesTheFixedHeaderBitsEndsABareChain)
{
    Bytes file = lameSecond();
    const std::vector<std::size_t> starts = frameStarts(file);
    ASSERT_GE(starts.size(), 38u);
    // The copyright bit, in the frame at about 0.8 s.
    const std::size_t changed = starts[30];
    file[changed + 3] ^= 0x08;
    std::vector<CorpusScanner::Find> finds = scanAlone(file);
    ASSERT_FALSE(finds.empty());
    EXPECT_EQ(finds[0].offset, 1001u);
    EXPECT_EQ(finds[0].bytes.size(), changed);
}

TEST_F(Mp3EvidenceTest, FrameReachingBeforeTheReservoirEndsTheChain)
{
    Bytes file = lameSecond();
    const std::vector<std::size_t> starts = frameStarts(file);
    ASSERT_GE(starts.size(), 38u);
    // The second frame points 511 bytes back, past the first frame's main data.
    file[starts[1] + 4] = 0xFF;
    file[starts[1] + 5] |= 0x80;
    std::vector<CorpusScanner::Find> finds = scanAlone(file);
    ASSERT_EQ(finds.size(), 1u);
    EXPECT_EQ(finds[0].offset, 1001u + starts[1]);
    EXPECT_EQ(finds[0].bytes.size(), file.size() - starts[1]);
}

}  // namespace
