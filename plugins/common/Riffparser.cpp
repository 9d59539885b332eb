#include "plugins/common/Riffparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"

namespace {

constexpr std::uint32_t riffTag = magic32('R', 'I', 'F', 'F');

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

bool RiffParser::detectForm(const unsigned char* data, std::uint32_t formType)
{
    if (loadWord32(data) != riffTag) {
        return false;
    }
    return loadWord32(data + 8) == formType;
}

std::uint64_t RiffParser::measureForm(ByteCursor& input, std::uint64_t start, std::uint32_t formType)
{
    unsigned char header[12];
    if (!input.seek(start) || !input.read(header, sizeof header) || !detectForm(header, formType)) {
        return 0;
    }
    std::uint32_t size = littleEndian32(header + 4);
    if (size < 4) {
        return 0;
    }
    const std::uint64_t end = start + 8 + size;
    std::uint64_t position = start + 12;
    while (position < end) {
        unsigned char chunk[8];
        if (end - position < sizeof chunk || !input.seek(position) || !input.read(chunk, sizeof chunk) ||
            !isPrintable(chunk)) {
            return 0;
        }
        std::uint32_t chunkSize = littleEndian32(chunk + 4);
        std::uint64_t dataEnd = position + sizeof chunk + chunkSize;
        if (dataEnd > end || !visitChunk(input, loadWord32(chunk), chunkSize) || input.position() > dataEnd) {
            return 0;
        }
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
