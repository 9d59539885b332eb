#include "plugins/wav/Wavparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"

namespace {
constexpr std::uint32_t waveForm = magic32('W', 'A', 'V', 'E');
constexpr std::uint32_t formatChunk = magic32('f', 'm', 't', ' ');
constexpr std::uint32_t dataChunk = magic32('d', 'a', 't', 'a');
// The oldest format chunk ends before the bits per sample.
constexpr std::size_t shortestFormat = 14;
}

const SignatureSet& WavParser::signatures()
{
    // "RIFF", "RF64" or "BW64", any size, "WAVE".
    static const SignatureSet set = [] {
        SignatureSet patterns;
        const std::vector<unsigned char> mask = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
        for (const char* tag : {"RIFF", "RF64", "BW64"}) {
            patterns.add(0, {static_cast<unsigned char>(tag[0]), static_cast<unsigned char>(tag[1]),
                             static_cast<unsigned char>(tag[2]), static_cast<unsigned char>(tag[3]), 0, 0, 0, 0,
                             'W', 'A', 'V', 'E'},
                         mask);
        }
        return patterns;
    }();
    return set;
}

bool WavParser::detect(const unsigned char* data)
{
    return detectLargeForm(data, waveForm);
}

std::uint64_t WavParser::measure(ByteCursor& input)
{
    return measureForm(input, 0, waveForm);
}

bool WavParser::acceptsLargeForms() const
{
    return true;
}

bool WavParser::runsToEnd(std::uint32_t id) const
{
    return id == dataChunk;
}

std::uint32_t WavParser::unitOfOpenChunk() const
{
    return blockAlign;
}

bool WavParser::visitChunk(ByteCursor& input, std::uint32_t id, std::uint64_t size)
{
    if (id == formatChunk) {
        unsigned char format[shortestFormat];
        if (sawFormat || size < sizeof format || !input.read(format, sizeof format)) {
            return false;
        }
        std::uint16_t formatTag = littleEndian16(format);
        std::uint16_t channels = littleEndian16(format + 2);
        std::uint32_t sampleRate = littleEndian32(format + 4);
        std::uint16_t align = littleEndian16(format + 12);
        if (formatTag == 0 || channels == 0 || sampleRate == 0 || align == 0) {
            return false;
        }
        sawFormat = true;
        blockAlign = align;
        return true;
    }
    if (id == dataChunk) {
        if (!sawFormat) {
            return false;
        }
        sawData = true;
    }
    return true;
}

bool WavParser::isComplete()
{
    return sawFormat && sawData;
}
