#include "plugins/common/Riffparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"

namespace {

constexpr std::uint32_t riffTag = magic32('R', 'I', 'F', 'F');
constexpr std::uint32_t rf64Tag = magic32('R', 'F', '6', '4');
constexpr std::uint32_t bw64Tag = magic32('B', 'W', '6', '4');
constexpr std::uint32_t largeSizesChunk = magic32('d', 's', '6', '4');
constexpr std::uint32_t dataChunk = magic32('d', 'a', 't', 'a');
constexpr std::uint32_t listChunk = magic32('L', 'I', 'S', 'T');
constexpr std::uint32_t unwritten = 0xFFFFFFFF;
// Sizes, sample count and table length.
constexpr std::uint32_t largeSizesLength = 28;

bool isPrintable(const unsigned char* id)
{
    for (int i = 0; i < 4; ++i) {
        if (id[i] < 0x20 || id[i] > 0x7E) {
            return false;
        }
    }
    return true;
}

std::uint64_t littleEndian64(const unsigned char* data)
{
    return std::uint64_t{littleEndian32(data)} | std::uint64_t{littleEndian32(data + 4)} << 32;
}

// Where the chunk after an odd one whose data ends at dataEnd begins: after its pad byte, unless
// no chunk could start there and one could a byte earlier, which is the mark of a writer that
// leaves the pad out. A chunk could start where its identifier is printable and its size fits
// before stop.
std::uint64_t afterOddChunk(ByteCursor& input, std::uint64_t dataEnd, std::uint64_t stop)
{
    unsigned char bytes[12];
    if (dataEnd > input.limit() || dataEnd >= stop) {
        return dataEnd + 1;
    }
    std::uint64_t available = input.inputLength() - dataEnd;
    if (available > sizeof bytes) {
        available = sizeof bytes;
    }
    if (!input.peek(dataEnd, bytes, static_cast<std::size_t>(available))) {
        return dataEnd + 1;
    }
    auto couldStart = [&](unsigned skip) {
        const std::uint64_t room = stop - dataEnd - skip;
        return skip + 8 <= available && room >= 8 && isPrintable(bytes + skip) &&
               littleEndian32(bytes + skip + 4) <= room - 8;
    };
    if (!couldStart(1) && couldStart(0)) {
        return dataEnd;
    }
    return dataEnd + 1;
}

// Whether a chunk header with a printable identifier lies at position, before end.
bool chunkFollows(ByteCursor& input, std::uint64_t position, std::uint64_t end)
{
    unsigned char id[4];
    return end - position >= 8 && input.peek(position, id, sizeof id) && isPrintable(id);
}

}

bool RiffParser::detectForm(const unsigned char* data, std::uint32_t formType)
{
    return loadWord32(data) == riffTag && loadWord32(data + 8) == formType;
}

bool RiffParser::detectLargeForm(const unsigned char* data, std::uint32_t formType)
{
    const std::uint32_t tag = loadWord32(data);
    return (tag == riffTag || tag == rf64Tag || tag == bw64Tag) && loadWord32(data + 8) == formType;
}

bool RiffParser::acceptsLargeForms() const
{
    return false;
}

bool RiffParser::acceptsOpenForms() const
{
    return true;
}

bool RiffParser::runsToEnd(std::uint32_t) const
{
    return false;
}

std::uint32_t RiffParser::unitOfOpenChunk() const
{
    return 1;
}

bool RiffParser::wasOpen() const
{
    return open;
}

std::uint64_t RiffParser::measureForm(ByteCursor& input, std::uint64_t start, std::uint32_t formType)
{
    unsigned char header[12];
    if (!input.seek(start) || !input.read(header, sizeof header) || loadWord32(header + 8) != formType) {
        return 0;
    }
    const std::uint32_t tag = loadWord32(header);
    large = tag == rf64Tag || tag == bw64Tag;
    if (tag != riffTag && !(large && acceptsLargeForms())) {
        return 0;
    }
    std::uint64_t position = start + sizeof header;
    std::uint64_t end = 0;
    if (large) {
        if (!readLargeSizes(input, start, position, end)) {
            return 0;
        }
    } else {
        const std::uint32_t size = littleEndian32(header + 4);
        if (size == 0 || size == unwritten) {
            open = true;
        } else if (size < 4) {
            return 0;
        }
        end = start + 8 + size;
    }
    if (open && !acceptsOpenForms()) {
        return 0;
    }
    return open ? walkOpen(input, position) : walkClosed(input, position, end);
}

bool RiffParser::readLargeSizes(ByteCursor& input, std::uint64_t start, std::uint64_t& position,
                                std::uint64_t& end)
{
    unsigned char chunk[8 + largeSizesLength];
    if (!input.read(chunk, sizeof chunk) || loadWord32(chunk) != largeSizesChunk) {
        return false;
    }
    const std::uint32_t size = littleEndian32(chunk + 4);
    const std::uint32_t entries = littleEndian32(chunk + 8 + 24);
    if (size < largeSizesLength || (size - largeSizesLength) / 12 < entries) {
        return false;
    }
    for (std::uint32_t i = 0; i < entries; ++i) {
        unsigned char entry[12];
        if (!input.read(entry, sizeof entry)) {
            return false;
        }
        if (tableCount < tableCapacity) {
            tableIds[tableCount] = loadWord32(entry);
            tableSizes[tableCount] = littleEndian64(entry + 4);
            ++tableCount;
        }
    }
    const std::uint64_t formSize = littleEndian64(chunk + 8);
    dataSize = littleEndian64(chunk + 16);
    position = start + 12 + 8 + size + (size & 1);
    if (formSize == 0 || formSize == ~std::uint64_t{0}) {
        open = true;
        return true;
    }
    // The form's end must leave room for the ds64 chunk and must not wrap around.
    if (formSize < position - start - 8 || formSize > ~std::uint64_t{0} - start - 8) {
        return false;
    }
    end = start + 8 + formSize;
    return true;
}

bool RiffParser::largeSize(std::uint32_t id, std::uint64_t& size) const
{
    if (id == dataChunk) {
        size = dataSize;
        return true;
    }
    for (int i = 0; i < tableCount; ++i) {
        if (tableIds[i] == id) {
            size = tableSizes[i];
            return true;
        }
    }
    return false;
}

std::uint64_t RiffParser::walkClosed(ByteCursor& input, std::uint64_t position, std::uint64_t end)
{
    while (position < end) {
        unsigned char chunk[8];
        if (end - position < sizeof chunk || !input.seek(position) || !input.read(chunk, sizeof chunk) ||
            !isPrintable(chunk)) {
            return 0;
        }
        const std::uint32_t id = loadWord32(chunk);
        const std::uint32_t field = littleEndian32(chunk + 4);
        const std::uint64_t dataStart = position + sizeof chunk;
        std::uint64_t size = field;
        if (large && field == unwritten) {
            if (!largeSize(id, size)) {
                return 0;
            }
        } else if (runsToEnd(id) && (field == unwritten || (field == 0 && !chunkFollows(input, dataStart, end)))) {
            size = end - dataStart;
        }
        if (size > end - dataStart || !visitChunk(input, id, size) || input.position() > dataStart + size) {
            return 0;
        }
        const std::uint64_t dataEnd = dataStart + size;
        position = size % 2 == 0 || dataEnd >= end ? dataEnd : afterOddChunk(input, dataEnd, end);
        if (position > end) {
            position = end;
        }
    }
    if (!isComplete() || !input.hasBytes(end)) {
        return 0;
    }
    return end;
}

std::uint64_t RiffParser::walkOpen(ByteCursor& input, std::uint64_t position)
{
    const std::uint64_t limit = input.limit();
    std::uint64_t lastEnd = 0;
    for (;;) {
        unsigned char chunk[12];
        if (position > limit || limit - position < 8 || !input.seek(position) || !input.read(chunk, 8) ||
            !isPrintable(chunk)) {
            break;
        }
        const std::uint32_t id = loadWord32(chunk);
        const std::uint32_t field = littleEndian32(chunk + 4);
        const std::uint64_t dataStart = position + 8;
        // The next file, or the next part of this one, is no chunk of the form.
        if (id == riffTag || id == rf64Tag || id == bw64Tag) {
            break;
        }
        if (id == listChunk && (field == 0 || field == unwritten)) {
            // A list the recorder never closed: its chunks follow as if they stood in the form.
            if (limit - dataStart < 4 || !visitChunk(input, id, 4)) {
                break;
            }
            position = dataStart + 4;
            continue;
        }
        std::uint64_t size = field;
        bool toEnd = false;
        if (large && field == unwritten) {
            if (!largeSize(id, size)) {
                break;
            }
        }
        if (runsToEnd(id) && (size == 0 || size == unwritten)) {
            const std::uint64_t unit = unitOfOpenChunk();
            size = (limit - dataStart) / unit * unit;
            toEnd = true;
            if (size == 0) {
                break;
            }
        }
        if (size > limit - dataStart || !visitChunk(input, id, size) || input.position() > dataStart + size) {
            break;
        }
        const std::uint64_t dataEnd = dataStart + size;
        lastEnd = dataEnd;
        if (toEnd) {
            break;
        }
        position = size % 2 == 0 ? dataEnd : afterOddChunk(input, dataEnd, input.inputLength());
    }
    if (lastEnd == 0 || !isComplete()) {
        return 0;
    }
    return lastEnd;
}
