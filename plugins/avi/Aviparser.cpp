#include "plugins/avi/Aviparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"

namespace {
constexpr std::uint32_t aviForm = magic32('A', 'V', 'I', ' ');
constexpr std::uint32_t extensionForm = magic32('A', 'V', 'I', 'X');
constexpr std::uint32_t listChunk = magic32('L', 'I', 'S', 'T');
constexpr std::uint32_t headerList = magic32('h', 'd', 'r', 'l');
constexpr std::uint32_t movieList = magic32('m', 'o', 'v', 'i');
constexpr std::uint32_t mainHeader = magic32('a', 'v', 'i', 'h');
constexpr std::uint32_t mainHeaderSize = 56;
}

const SignatureSet& AviParser::signatures()
{
    // "RIFF", any size, "AVI ".
    static const SignatureSet set = SignatureSet().add(0, {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' '},
                                                       {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF});
    return set;
}

bool AviParser::detect(const unsigned char* data)
{
    return detectForm(data, aviForm);
}

std::uint64_t AviParser::measure(ByteCursor& input)
{
    std::uint64_t end = measureForm(input, 0, aviForm);
    if (end == 0 || wasOpen()) {
        return end;
    }
    extension = true;
    for (;;) {
        unsigned char next[windowSize];
        if (!input.peek(end, next, sizeof next) || !detectForm(next, extensionForm)) {
            return end;
        }
        // An extension form of unwritten size would end wherever the input or the size window
        // does, so the same bytes would measure differently under another window: the file ends
        // before it.
        const std::uint32_t size = littleEndian32(next + 4);
        if (size == 0 || size == 0xFFFFFFFF) {
            return end;
        }
        // A cut extension form means a cut file.
        end = measureForm(input, end, extensionForm);
        if (end == 0) {
            return 0;
        }
    }
}

bool AviParser::visitChunk(ByteCursor& input, std::uint32_t id, std::uint64_t size)
{
    if (extension || id != listChunk) {
        return true;
    }
    return visitList(input, size);
}

bool AviParser::visitList(ByteCursor& input, std::uint64_t size)
{
    unsigned char type[4];
    if (size < sizeof type || !input.read(type, sizeof type)) {
        return false;
    }
    std::uint32_t listType = loadWord32(type);
    if (!sawHeader && listType != headerList) {
        return false;
    }
    if (listType == movieList) {
        sawMovie = true;
    } else if (listType == headerList && !sawHeader) {
        unsigned char chunk[8];
        if (size < sizeof type + sizeof chunk || !input.read(chunk, sizeof chunk)) {
            return false;
        }
        std::uint32_t headerSize = littleEndian32(chunk + 4);
        if (loadWord32(chunk) != mainHeader || headerSize < mainHeaderSize ||
            headerSize > size - sizeof type - sizeof chunk) {
            return false;
        }
        sawHeader = true;
    }
    return true;
}

bool AviParser::isComplete()
{
    return extension || (sawHeader && sawMovie);
}
