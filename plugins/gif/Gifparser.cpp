#include "plugins/gif/Gifparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"

#include <cstring>
#include <vector>

namespace {

constexpr unsigned char imageSeparator = 0x2C;
constexpr unsigned char extensionIntroducer = 0x21;
constexpr unsigned char trailer = 0x3B;
constexpr unsigned maximumCodes = 4096;

std::uint64_t colourTableSize(unsigned char packed)
{
    return (packed & 0x80) != 0 ? 3u << ((packed & 0x07) + 1) : 0;
}

}

const SignatureSet& GifParser::signatures()
{
    static const SignatureSet set = SignatureSet().add(0, "GIF87a").add(0, "GIF89a");
    return set;
}

bool GifParser::detect(const unsigned char* data)
{
    if (loadWord32(data) != magic32('G', 'I', 'F', '8')) {
        return false;
    }
    return (data[4] == '7' || data[4] == '9') && data[5] == 'a';
}

std::uint64_t GifParser::measure(ByteCursor& input)
{
    unsigned char header[13];
    if (!input.read(header, sizeof header) || !detect(header)) {
        return 0;
    }
    if (!input.skip(colourTableSize(header[10]))) {
        return 0;
    }
    bool sawImage = false;
    for (;;) {
        unsigned char introducer = 0;
        if (!input.readByte(introducer)) {
            return 0;
        }
        switch (introducer) {
        case trailer:
            return sawImage ? input.position() : 0;
        case extensionIntroducer: {
            unsigned char label = 0;
            if (!input.readByte(label) || !skipSubBlocks(input)) {
                return 0;
            }
            break;
        }
        case imageSeparator:
            if (!checkImage(input)) {
                return 0;
            }
            sawImage = true;
            break;
        default:
            return 0;
        }
    }
}

GifParser::GifParser(ChainEnds* chains) : chains(chains)
{
}

void GifParser::ChainEnds::reset()
{
    ends.clear();
}

bool GifParser::skipSubBlocks(ByteCursor& input)
{
    if (chains != nullptr) {
        return skipRemembered(input);
    }
    for (;;) {
        unsigned char size = 0;
        if (!input.readByte(size)) {
            return false;
        }
        if (size == 0) {
            return true;
        }
        if (!input.skip(size)) {
            return false;
        }
    }
}

// The same walk, which remembers where every 64th sub-block of the chain leads: a later walk that
// joins the chain meets one of them within 64 steps and goes straight to the end.
bool GifParser::skipRemembered(ByteCursor& input)
{
    constexpr unsigned checkpointEvery = 64;
    constexpr std::size_t largestMemory = 1u << 20;
    const std::uint64_t origin = chains->origin;
    const std::uint64_t limit = origin + input.limit();
    std::vector<std::uint64_t> checkpoints;
    auto settle = [&](ChainEnds::End end) {
        if (chains->ends.size() + checkpoints.size() > largestMemory) {
            chains->ends.clear();
        }
        for (std::uint64_t checkpoint : checkpoints) {
            chains->ends[checkpoint] = end;
        }
    };
    for (unsigned step = 0;; ++step) {
        const std::uint64_t here = origin + input.position();
        const auto known = chains->ends.find(here);
        if (known != chains->ends.end()) {
            const ChainEnds::End end = known->second;
            settle(end);
            // A chain that ran into an earlier limit runs into this one too when it lies no further.
            if (!end.terminated && end.position >= limit) {
                input.seek(input.limit());
                return false;
            }
            if (end.terminated && end.position <= limit) {
                return input.seek(end.position - origin);
            }
            checkpoints.clear();
        }
        if (step % checkpointEvery == 0) {
            checkpoints.push_back(here);
        }
        unsigned char size = 0;
        if (!input.readByte(size) || (size != 0 && !input.skip(size))) {
            settle(ChainEnds::End{limit, false});
            return false;
        }
        if (size == 0) {
            settle(ChainEnds::End{origin + input.position(), true});
            return true;
        }
    }
}

bool GifParser::checkImage(ByteCursor& input)
{
    unsigned char descriptor[9];
    if (!input.read(descriptor, sizeof descriptor)) {
        return false;
    }
    std::uint64_t width = littleEndian16(descriptor + 4);
    std::uint64_t height = littleEndian16(descriptor + 6);
    if (width == 0 || height == 0 || !input.skip(colourTableSize(descriptor[8]))) {
        return false;
    }
    unsigned char minimumCodeSize = 0;
    if (!input.readByte(minimumCodeSize) || minimumCodeSize < 1 || minimumCodeSize > 11) {
        return false;
    }
    return decodeImageData(input, minimumCodeSize, width * height);
}

// Follows the decoder's code table without producing pixels: only the length of each code's
// string is kept, which is enough to count the pixels and to reject a code the table lacks.
bool GifParser::decodeImageData(ByteCursor& input, unsigned minimumCodeSize, std::uint64_t pixels)
{
    const unsigned clearCode = 1u << minimumCodeSize;
    const unsigned endCode = clearCode + 1;
    std::uint16_t lengths[maximumCodes];
    for (unsigned code = 0; code < clearCode; ++code) {
        lengths[code] = 1;
    }
    unsigned codeSize = minimumCodeSize + 1;
    unsigned nextCode = clearCode + 2;
    bool havePrevious = false;
    unsigned previous = 0;
    bool ended = false;
    bool valid = true;
    std::uint64_t decoded = 0;
    std::uint32_t bits = 0;
    unsigned bitCount = 0;

    auto take = [&](unsigned code) {
        if (code == clearCode) {
            codeSize = minimumCodeSize + 1;
            nextCode = clearCode + 2;
            havePrevious = false;
            return;
        }
        if (code == endCode) {
            ended = true;
            return;
        }
        if (!havePrevious) {
            if (code >= clearCode) {
                valid = false;
                return;
            }
            decoded += 1;
        } else {
            if (code > nextCode || (code == nextCode && nextCode >= maximumCodes)) {
                valid = false;
                return;
            }
            decoded += code == nextCode ? lengths[previous] + 1u : lengths[code];
            if (nextCode < maximumCodes) {
                lengths[nextCode] = static_cast<std::uint16_t>(lengths[previous] + 1);
                ++nextCode;
                if (nextCode == 1u << codeSize && codeSize < 12) {
                    ++codeSize;
                }
            }
        }
        havePrevious = true;
        previous = code;
    };

    for (;;) {
        unsigned char size = 0;
        if (!input.readByte(size)) {
            return false;
        }
        if (size == 0) {
            break;
        }
        if (ended) {
            if (!input.skip(size)) {
                return false;
            }
            continue;
        }
        unsigned char block[255];
        if (!input.read(block, size)) {
            return false;
        }
        for (unsigned i = 0; i < size && !ended; ++i) {
            bits |= std::uint32_t{block[i]} << bitCount;
            bitCount += 8;
            while (bitCount >= codeSize && !ended) {
                unsigned code = bits & ((1u << codeSize) - 1);
                bits >>= codeSize;
                bitCount -= codeSize;
                take(code);
                if (!valid) {
                    return false;
                }
            }
        }
    }
    return decoded >= pixels;
}
