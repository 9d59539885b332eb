#include "plugins/webp/Webpparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"

namespace {

constexpr std::uint32_t webpForm = magic32('W', 'E', 'B', 'P');
constexpr std::uint32_t lossyChunk = magic32('V', 'P', '8', ' ');
constexpr std::uint32_t losslessChunk = magic32('V', 'P', '8', 'L');
constexpr std::uint32_t extendedChunk = magic32('V', 'P', '8', 'X');
constexpr std::uint32_t alphaChunk = magic32('A', 'L', 'P', 'H');
constexpr std::uint32_t animationChunk = magic32('A', 'N', 'I', 'M');
constexpr std::uint32_t frameChunk = magic32('A', 'N', 'M', 'F');
constexpr unsigned char animationFlag = 0x02;
constexpr std::uint32_t extendedHeaderSize = 10;
constexpr std::uint32_t animationHeaderSize = 6;
constexpr std::uint32_t frameHeaderSize = 16;

bool isPicture(std::uint32_t id)
{
    return id == lossyChunk || id == losslessChunk;
}

// The start of a lossy key frame or of a lossless bit stream, with a picture of some size.
bool checkPicture(ByteCursor& input, std::uint32_t id, std::uint64_t size)
{
    if (id == lossyChunk) {
        unsigned char frame[10];
        if (size < sizeof frame || !input.read(frame, sizeof frame)) {
            return false;
        }
        const std::uint32_t tag = frame[0] | frame[1] << 8 | std::uint32_t{frame[2]} << 16;
        const bool keyFrame = (tag & 1) == 0;
        const unsigned version = tag >> 1 & 7;
        const std::uint32_t partition = tag >> 5;
        return keyFrame && version <= 3 && partition <= size - sizeof frame && frame[3] == 0x9D &&
               frame[4] == 0x01 && frame[5] == 0x2A && (littleEndian16(frame + 6) & 0x3FFF) != 0 &&
               (littleEndian16(frame + 8) & 0x3FFF) != 0;
    }
    unsigned char stream[5];
    if (size < sizeof stream || !input.read(stream, sizeof stream)) {
        return false;
    }
    // The version, in the top three bits, is 0.
    return stream[0] == 0x2F && (stream[4] & 0xE0) == 0;
}

}

const SignatureSet& WebpParser::signatures()
{
    static const SignatureSet set = [] {
        SignatureSet patterns;
        const std::vector<unsigned char> mask = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0,
                                                 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
        for (unsigned char last : {' ', 'L', 'X'}) {
            patterns.add(0, {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P', 'V', 'P', '8', last}, mask);
        }
        return patterns;
    }();
    return set;
}

bool WebpParser::detect(const unsigned char* data)
{
    if (!detectForm(data, webpForm)) {
        return false;
    }
    const std::uint32_t first = loadWord32(data + 12);
    return first == lossyChunk || first == losslessChunk || first == extendedChunk;
}

std::uint64_t WebpParser::measure(ByteCursor& input)
{
    return measureForm(input, 0, webpForm);
}

bool WebpParser::acceptsOpenForms() const
{
    return false;
}

bool WebpParser::visitChunk(ByteCursor& input, std::uint32_t id, std::uint64_t size)
{
    if (chunkCount++ == 0) {
        if (id == extendedChunk) {
            unsigned char header[extendedHeaderSize];
            if (size < sizeof header || !input.read(header, sizeof header) || (header[0] & 0xC1) != 0) {
                return false;
            }
            extended = true;
            animated = (header[0] & animationFlag) != 0;
            return true;
        }
        sawPicture = isPicture(id) && checkPicture(input, id, size);
        return sawPicture;
    }
    if (!extended) {
        // Anything after the one picture of a simple file is not ours to judge.
        return true;
    }
    if (id == animationChunk) {
        sawAnimation = animated && !sawAnimation && size >= animationHeaderSize;
        return sawAnimation;
    }
    if (id == frameChunk) {
        return sawAnimation && visitFrame(input, size);
    }
    if (isPicture(id)) {
        if (animated || sawPicture || !checkPicture(input, id, size)) {
            return false;
        }
        sawPicture = true;
    }
    return true;
}

// A frame's header, then its chunks, which fill it: at most an alpha chunk, then its picture.
bool WebpParser::visitFrame(ByteCursor& input, std::uint64_t size)
{
    const std::uint64_t start = input.position();
    const std::uint64_t end = start + size;
    if (size < frameHeaderSize || !input.skip(frameHeaderSize)) {
        return false;
    }
    bool picture = false;
    std::uint64_t position = start + frameHeaderSize;
    while (position < end) {
        unsigned char chunk[8];
        if (end - position < sizeof chunk || !input.seek(position) || !input.read(chunk, sizeof chunk)) {
            return false;
        }
        const std::uint32_t id = loadWord32(chunk);
        const std::uint64_t chunkSize = littleEndian32(chunk + 4);
        if (chunkSize > end - position - sizeof chunk) {
            return false;
        }
        if (isPicture(id)) {
            if (picture || !checkPicture(input, id, chunkSize)) {
                return false;
            }
            picture = true;
        } else if (id == alphaChunk && picture) {
            return false;
        }
        position += sizeof chunk + chunkSize + (chunkSize & 1);
    }
    ++frames;
    return picture && input.seek(end);
}

bool WebpParser::isComplete()
{
    return animated ? frames > 0 : sawPicture;
}
