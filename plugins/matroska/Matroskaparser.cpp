#include "plugins/matroska/Matroskaparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"

#include <cstring>

namespace {

constexpr std::uint32_t ebmlHeader = 0x1A45DFA3;
constexpr std::uint32_t docType = 0x4282;
constexpr std::uint32_t segment = 0x18538067;
constexpr std::uint32_t cluster = 0x1F43B675;
constexpr std::uint32_t voidElement = 0xEC;
constexpr std::uint32_t checksum = 0xBF;

bool isSegmentChild(std::uint32_t id)
{
    switch (id) {
    case 0x114D9B74: // SeekHead
    case 0x1549A966: // Info
    case 0x1654AE6B: // Tracks
    case cluster:
    case 0x1C53BB6B: // Cues
    case 0x1043A770: // Chapters
    case 0x1254C367: // Tags
    case 0x1941A469: // Attachments
    case voidElement:
    case checksum:
        return true;
    default:
        return false;
    }
}

bool isClusterChild(std::uint32_t id)
{
    switch (id) {
    case 0xE7:   // Timestamp
    case 0x5854: // SilentTracks
    case 0xA7:   // Position
    case 0xAB:   // PrevSize
    case 0xA3:   // SimpleBlock
    case 0xA0:   // BlockGroup
    case 0xAF:   // EncryptedBlock
    case voidElement:
    case checksum:
        return true;
    default:
        return false;
    }
}

// Decodes an element header from bytes (count of them available) at offset: a variable-length
// identifier of up to four bytes with its marker bit kept, then a size of up to eight with its
// marker removed. False when the bytes do not make one.
bool decodeHeader(const unsigned char* bytes, std::size_t count, MatroskaParser::Element& element)
{
    if (count == 0 || bytes[0] == 0) {
        return false;
    }
    std::size_t idLength = 1;
    while (idLength <= 4 && (bytes[0] & (0x80 >> (idLength - 1))) == 0) {
        ++idLength;
    }
    if (idLength > 4 || idLength >= count) {
        return false;
    }
    element.id = 0;
    for (std::size_t i = 0; i < idLength; ++i) {
        element.id = element.id << 8 | bytes[i];
    }
    const unsigned char first = bytes[idLength];
    if (first == 0) {
        return false;
    }
    std::size_t sizeLength = 1;
    while ((first & (0x80 >> (sizeLength - 1))) == 0) {
        ++sizeLength;
    }
    if (idLength + sizeLength > count) {
        return false;
    }
    const unsigned marker = 0x80u >> (sizeLength - 1);
    std::uint64_t size = first & (marker - 1);
    bool allOnes = size == marker - 1;
    for (std::size_t i = 1; i < sizeLength; ++i) {
        size = size << 8 | bytes[idLength + i];
        allOnes = allOnes && bytes[idLength + i] == 0xFF;
    }
    element.unknownSize = allOnes;
    element.size = allOnes ? 0 : size;
    element.dataStart = element.start + idLength + sizeLength;
    return true;
}

bool fits(const MatroskaParser::Element& element, std::uint64_t end)
{
    return element.dataStart <= end && element.size <= end - element.dataStart;
}

enum class Read { valid, missing, broken };

// The header at position; it may lie past the cursor's limit (peeked), so that a walk tells an
// element that reaches past the limit from the end of the file.
Read readHeader(ByteCursor& input, std::uint64_t position, MatroskaParser::Element& element)
{
    if (position >= input.inputLength()) {
        return Read::missing;
    }
    unsigned char bytes[12];
    const std::uint64_t left = input.inputLength() - position;
    const std::size_t count = left < sizeof bytes ? static_cast<std::size_t>(left) : sizeof bytes;
    if (!input.peek(position, bytes, count)) {
        return Read::missing;
    }
    element.start = position;
    return decodeHeader(bytes, count, element) ? Read::valid : Read::broken;
}

// The DocType of the EBML header in bytes, or null.
const char* kindOfHeader(const unsigned char* bytes, std::size_t count)
{
    MatroskaParser::Element header;
    if (!decodeHeader(bytes, count, header) || header.id != ebmlHeader || header.unknownSize ||
        header.size > 256) {
        return nullptr;
    }
    std::uint64_t position = header.dataStart;
    const std::uint64_t end = header.end() < count ? header.end() : count;
    while (position < end) {
        MatroskaParser::Element child;
        child.start = position;
        if (!decodeHeader(bytes + position, static_cast<std::size_t>(end - position), child) ||
            child.unknownSize || child.end() > header.end()) {
            return nullptr;
        }
        if (child.id == docType) {
            if (child.end() > end) {
                return nullptr;
            }
            const char* text = reinterpret_cast<const char*>(bytes + child.dataStart);
            // The string may carry trailing zeros.
            std::size_t length = static_cast<std::size_t>(child.size);
            while (length > 0 && text[length - 1] == '\0') {
                --length;
            }
            if (length == 8 && std::memcmp(text, "matroska", 8) == 0) {
                return "mkv";
            }
            if (length == 4 && std::memcmp(text, "webm", 4) == 0) {
                return "webm";
            }
            return nullptr;
        }
        position = child.end();
    }
    return nullptr;
}

}

const SignatureSet& MatroskaParser::signatures()
{
    static const SignatureSet set = SignatureSet().add(0, {0x1A, 0x45, 0xDF, 0xA3});
    return set;
}

const char* MatroskaParser::kindOf(const unsigned char* data)
{
    if (loadWord32(data) != magic32(0x1A, 0x45, 0xDF, 0xA3)) {
        return nullptr;
    }
    return kindOfHeader(data, windowSize);
}

bool MatroskaParser::detect(const unsigned char* data)
{
    return kindOf(data) != nullptr;
}

std::uint64_t MatroskaParser::measure(ByteCursor& input)
{
    Element header;
    if (readHeader(input, 0, header) != Read::valid || header.id != ebmlHeader || header.unknownSize ||
        header.end() > input.limit() || header.end() > 256) {
        return 0;
    }
    unsigned char bytes[256];
    const std::size_t headerLength = static_cast<std::size_t>(header.end());
    if (!input.read(bytes, headerLength) || kindOfHeader(bytes, headerLength) == nullptr) {
        return 0;
    }
    Element body;
    if (readHeader(input, header.end(), body) != Read::valid || body.id != segment) {
        return 0;
    }
    std::uint64_t position = body.dataStart;
    if (body.unknownSize) {
        if (!walkSegment(input, position, UINT64_MAX)) {
            return 0;
        }
    } else if (body.end() > input.limit() || !walkSegment(input, position, body.end()) ||
               position != body.end()) {
        return 0;
    }
    // A recording holds at least one cluster of its frames.
    return sawCluster && input.hasBytes(position) ? position : 0;
}

bool MatroskaParser::walkSegment(ByteCursor& input, std::uint64_t& position, std::uint64_t containerEnd)
{
    // An open segment ends before the first thing that is not one of its elements; a closed one
    // must be filled by them exactly.
    const bool open = containerEnd == UINT64_MAX;
    bool first = true;
    while (position < containerEnd) {
        Element child;
        const Read read = readHeader(input, position, child);
        if (read != Read::valid || !isSegmentChild(child.id)) {
            return open && !first;
        }
        first = false;
        sawCluster = sawCluster || child.id == cluster;
        if (child.unknownSize) {
            if (child.id != cluster || child.dataStart > input.limit()) {
                return false;
            }
            position = child.dataStart;
            if (!walkCluster(input, position, containerEnd)) {
                return false;
            }
            continue;
        }
        if (!fits(child, containerEnd) || !fits(child, input.limit())) {
            return false;
        }
        position = child.end();
    }
    return position == containerEnd;
}

bool MatroskaParser::walkCluster(ByteCursor& input, std::uint64_t& position, std::uint64_t containerEnd)
{
    // The end of a cluster of unknown size shows only in what follows it: whatever is not one of
    // its children closes it, and the segment's walk judges that.
    while (position < containerEnd) {
        Element child;
        if (readHeader(input, position, child) != Read::valid || !isClusterChild(child.id)) {
            return true;
        }
        if (child.unknownSize || !fits(child, containerEnd) || !fits(child, input.limit())) {
            return false;
        }
        position = child.end();
    }
    return position == containerEnd;
}
