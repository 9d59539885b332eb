#include "plugins/wav/Wavparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"

namespace {
constexpr std::uint32_t waveForm = magic32('W', 'A', 'V', 'E');
constexpr std::uint32_t formatChunk = magic32('f', 'm', 't', ' ');
constexpr std::uint32_t dataChunk = magic32('d', 'a', 't', 'a');
}

const SignatureSet& WavParser::signatures()
{
    // "RIFF", any size, "WAVE".
    static const SignatureSet set = SignatureSet().add(0, {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'},
                                                       {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF});
    return set;
}

bool WavParser::detect(const unsigned char* data)
{
    return detectForm(data, waveForm);
}

std::uint64_t WavParser::measure(ByteCursor& input)
{
    return measureForm(input, 0, waveForm);
}

bool WavParser::visitChunk(ByteCursor& input, std::uint32_t id, std::uint32_t size)
{
    if (id == formatChunk) {
        unsigned char format[16];
        if (sawFormat || size < sizeof format || !input.read(format, sizeof format)) {
            return false;
        }
        std::uint16_t formatTag = littleEndian16(format);
        std::uint16_t channels = littleEndian16(format + 2);
        std::uint32_t sampleRate = littleEndian32(format + 4);
        std::uint16_t blockAlign = littleEndian16(format + 12);
        sawFormat = formatTag != 0 && channels != 0 && sampleRate != 0 && blockAlign != 0;
        return sawFormat;
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
