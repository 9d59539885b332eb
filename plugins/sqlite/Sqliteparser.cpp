#include "plugins/sqlite/Sqliteparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"

#include <cstring>

namespace {

const char magic[] = "SQLite format 3";
constexpr std::size_t headerSize = 100;

// The page size field: a power of two from 512 to 32768, or 1 for 65536.
std::uint32_t pageSize(const unsigned char* header)
{
    const std::uint32_t field = bigEndian16(header + 16);
    if (field == 1) {
        return 65536;
    }
    if (field < 512 || (field & (field - 1)) != 0) {
        return 0;
    }
    return field;
}

}

const SignatureSet& SqliteParser::signatures()
{
    // The magic text with its terminating zero.
    static const SignatureSet set = SignatureSet().add(0, {'S', 'Q', 'L', 'i', 't', 'e', ' ', 'f', 'o', 'r', 'm', 'a',
                                                           't', ' ', '3', 0});
    return set;
}

bool SqliteParser::detect(const unsigned char* data)
{
    if (loadWord32(data) != magic32('S', 'Q', 'L', 'i') || std::memcmp(data, magic, sizeof magic) != 0) {
        return false;
    }
    const bool versions = (data[18] == 1 || data[18] == 2) && (data[19] == 1 || data[19] == 2);
    return pageSize(data) != 0 && versions && data[21] == 64 && data[22] == 32 && data[23] == 32;
}

std::uint64_t SqliteParser::measure(ByteCursor& input)
{
    unsigned char header[headerSize];
    if (!input.read(header, sizeof header) || !detect(header)) {
        return 0;
    }
    const std::uint32_t size = pageSize(header);
    const std::uint32_t usable = size - header[20];
    const std::uint32_t changeCounter = bigEndian32(header + 24);
    const std::uint32_t pageCount = bigEndian32(header + 28);
    const std::uint32_t firstFreelistTrunk = bigEndian32(header + 32);
    const std::uint32_t freelistPages = bigEndian32(header + 36);
    const std::uint32_t schemaFormat = bigEndian32(header + 44);
    const std::uint32_t validFor = bigEndian32(header + 92);
    if (usable < 480 || pageCount == 0 || validFor != changeCounter || schemaFormat > 4) {
        return 0;
    }
    if (firstFreelistTrunk > pageCount || freelistPages >= pageCount || (freelistPages == 0) != (firstFreelistTrunk == 0)) {
        return 0;
    }
    // Page 1 holds the schema table's root, a table b-tree page, right after the header.
    unsigned char pageType = 0;
    if (!input.readByte(pageType) || (pageType != 0x0D && pageType != 0x05)) {
        return 0;
    }
    const std::uint64_t length = std::uint64_t{size} * pageCount;
    return input.hasBytes(length) ? length : 0;
}
