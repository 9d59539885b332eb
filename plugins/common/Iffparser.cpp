#include "plugins/common/Iffparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"

namespace {

constexpr std::uint32_t formTag = magic32('F', 'O', 'R', 'M');

bool isPrintable(const unsigned char* id)
{
    for (int i = 0; i < 4; ++i) {
        if (id[i] < 0x20 || id[i] > 0x7E) {
            return false;
        }
    }
    return true;
}

}

bool IffParser::detectForm(const unsigned char* data, std::uint32_t formType)
{
    return loadWord32(data) == formTag && loadWord32(data + 8) == formType;
}

std::uint64_t IffParser::measureForm(ByteCursor& input)
{
    unsigned char header[12];
    if (!input.seek(0) || !input.read(header, sizeof header) || loadWord32(header) != formTag) {
        return 0;
    }
    const std::uint32_t size = bigEndian32(header + 4);
    if (size < 4) {
        return 0;
    }
    const std::uint64_t end = std::uint64_t{8} + size;
    std::uint64_t position = sizeof header;
    while (position < end) {
        unsigned char chunk[8];
        if (end - position < sizeof chunk || !input.seek(position) || !input.read(chunk, sizeof chunk) ||
            !isPrintable(chunk)) {
            return 0;
        }
        const std::uint32_t chunkSize = bigEndian32(chunk + 4);
        const std::uint64_t dataEnd = position + sizeof chunk + chunkSize;
        if (dataEnd > end || !visitChunk(input, loadWord32(chunk), chunkSize) || input.position() > dataEnd) {
            return 0;
        }
        // The pad after the last chunk may be left out of the form's size.
        position = dataEnd + (chunkSize & 1);
        if (position > end) {
            position = end;
        }
    }
    if (!isComplete() || !input.hasBytes(end)) {
        return 0;
    }
    return end;
}
