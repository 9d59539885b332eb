#include "plugins/flv/Flvparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"

namespace {

constexpr unsigned tagHeaderSize = 11;

bool isTagHeader(const unsigned char* header)
{
    // Audio, video or script data, perhaps marked as filtered; the reserved bits are clear and
    // the stream identifier is always 0.
    const unsigned type = header[0] & 0x1F;
    return (header[0] & 0xC0) == 0 && (type == 8 || type == 9 || type == 18) && header[8] == 0 &&
           header[9] == 0 && header[10] == 0;
}

}

const SignatureSet& FlvParser::signatures()
{
    // "FLV", version 1, any flags, then the header's length of 9.
    static const SignatureSet set =
        SignatureSet().add(0, {'F', 'L', 'V', 1, 0, 0, 0, 0, 9}, {0xFF, 0xFF, 0xFF, 0xFF, 0, 0xFF, 0xFF, 0xFF, 0xFF});
    return set;
}

bool FlvParser::detect(const unsigned char* data)
{
    if (loadWord32(data) != magic32('F', 'L', 'V', 1)) {
        return false;
    }
    return (data[4] & 0xFA) == 0 && bigEndian32(data + 5) == 9 && bigEndian32(data + 9) == 0;
}

std::uint64_t FlvParser::measure(ByteCursor& input)
{
    unsigned char header[13];
    if (!input.read(header, sizeof header) || !detect(header)) {
        return 0;
    }
    std::uint64_t position = sizeof header;
    std::uint64_t tags = 0;
    for (;;) {
        // The next header may lie past the size window: it is peeked, so that a file too large
        // for the window is told from one that ends before it.
        unsigned char tag[tagHeaderSize];
        if (input.inputLength() - position < tagHeaderSize || !input.peek(position, tag, sizeof tag) ||
            !isTagHeader(tag)) {
            break;
        }
        const std::uint32_t dataSize = std::uint32_t{tag[1]} << 16 | std::uint32_t{tag[2]} << 8 | tag[3];
        const std::uint64_t sizeAt = position + tagHeaderSize + dataSize;
        std::uint32_t previous = 0;
        if (!input.seek(sizeAt) || !input.readBigEndian32(previous) || previous != dataSize + tagHeaderSize) {
            return 0;
        }
        position = sizeAt + 4;
        ++tags;
    }
    return tags > 0 ? position : 0;
}
