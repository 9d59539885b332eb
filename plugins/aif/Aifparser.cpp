#include "plugins/aif/Aifparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"

namespace {

constexpr std::uint32_t aiffForm = magic32('A', 'I', 'F', 'F');
constexpr std::uint32_t aifcForm = magic32('A', 'I', 'F', 'C');
constexpr std::uint32_t commonChunk = magic32('C', 'O', 'M', 'M');
constexpr std::uint32_t soundChunk = magic32('S', 'S', 'N', 'D');
constexpr std::uint32_t commonSize = 18;
// The compression type follows the common fields in AIFF-C.
constexpr std::uint32_t compressedCommonSize = 22;
constexpr std::uint32_t soundHeaderSize = 8;
// 80-bit extended precision: 1 Hz has the biased exponent 16383; no real rate reaches 2^24 Hz.
constexpr unsigned lowestExponent = 16383;
constexpr unsigned highestExponent = 16383 + 24;

}

const SignatureSet& AifParser::signatures()
{
    static const SignatureSet set = [] {
        SignatureSet patterns;
        const std::vector<unsigned char> mask = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
        for (unsigned char last : {'F', 'C'}) {
            patterns.add(0, {'F', 'O', 'R', 'M', 0, 0, 0, 0, 'A', 'I', 'F', last}, mask);
        }
        return patterns;
    }();
    return set;
}

bool AifParser::detect(const unsigned char* data)
{
    return detectForm(data, aiffForm) || detectForm(data, aifcForm);
}

std::uint64_t AifParser::measure(ByteCursor& input)
{
    unsigned char header[12];
    if (!input.read(header, sizeof header) || !detect(header)) {
        return 0;
    }
    compressed = loadWord32(header + 8) == aifcForm;
    return measureForm(input);
}

bool AifParser::visitChunk(ByteCursor& input, std::uint32_t id, std::uint32_t size)
{
    if (id == commonChunk) {
        unsigned char common[commonSize];
        if (sawCommon || size < (compressed ? compressedCommonSize : commonSize) ||
            !input.read(common, sizeof common)) {
            return false;
        }
        const std::uint16_t channels = bigEndian16(common);
        sampleFrames = bigEndian32(common + 2);
        const std::uint16_t sampleSize = bigEndian16(common + 6);
        const unsigned exponent = bigEndian16(common + 8);
        // The mantissa's integer bit is explicit and set in every normal rate.
        sawCommon = channels != 0 && sampleSize != 0 && sampleSize <= 64 && exponent >= lowestExponent &&
                    exponent <= highestExponent && (common[10] & 0x80) != 0;
        return sawCommon;
    }
    if (id == soundChunk) {
        if (sawSound || size < soundHeaderSize) {
            return false;
        }
        sawSound = true;
    }
    return true;
}

bool AifParser::isComplete()
{
    return sawCommon && (sawSound || sampleFrames == 0);
}
