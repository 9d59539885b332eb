#include "plugins/zip/Zipparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"
#include "plugins/deflate/Deflatestream.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint32_t localHeaderSignature = 0x04034b50;
constexpr std::uint32_t centralHeaderSignature = 0x02014b50;
constexpr std::uint32_t dataDescriptorSignature = 0x08074b50;
constexpr std::uint32_t digitalSignatureSignature = 0x05054b50;
constexpr std::uint32_t zip64EndSignature = 0x06064b50;
constexpr std::uint32_t zip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t endSignature = 0x06054b50;

constexpr unsigned centralHeaderSize = 46;
constexpr unsigned endRecordSize = 22;
constexpr unsigned zip64EndFixedSize = 56;
constexpr unsigned zip64LocatorSize = 20;

constexpr std::uint16_t flagEncrypted = 0x0001;
constexpr std::uint16_t flagDataDescriptor = 0x0008;
constexpr std::uint16_t flagMaskedHeaders = 0x2000;

constexpr std::uint16_t methodStored = 0;
constexpr std::uint16_t methodDeflated = 8;
constexpr std::uint16_t zip64ExtraId = 0x0001;
constexpr std::uint32_t saturated32 = 0xFFFFFFFFu;
constexpr std::uint16_t saturated16 = 0xFFFF;

std::uint64_t littleEndian64(const unsigned char* data)
{
    return std::uint64_t{littleEndian32(data)} | std::uint64_t{littleEndian32(data + 4)} << 32;
}

// The ZIP64 extended information field, if the extra field holds one: its values follow in a
// fixed order, each present only where the header's own field is saturated.
struct Zip64Fields {
    bool present = false;
    const unsigned char* data = nullptr;
    std::size_t length = 0;
};

bool findZip64(const std::vector<unsigned char>& extra, Zip64Fields& fields)
{
    std::size_t at = 0;
    while (extra.size() - at >= 4) {
        std::uint16_t id = littleEndian16(extra.data() + at);
        std::uint16_t size = littleEndian16(extra.data() + at + 2);
        if (size > extra.size() - at - 4) {
            // Some writers pad the extra field; only a ZIP64 field cut short is a fault.
            return id != zip64ExtraId;
        }
        if (id == zip64ExtraId) {
            fields.present = true;
            fields.data = extra.data() + at + 4;
            fields.length = size;
            return true;
        }
        at += 4 + std::size_t{size};
    }
    return true;
}

// Takes the next 64-bit value of the ZIP64 field for a saturated header value.
bool takeZip64(const Zip64Fields& fields, std::size_t& used, std::uint64_t& value)
{
    if (!fields.present || fields.length - used < 8) {
        return false;
    }
    value = littleEndian64(fields.data + used);
    used += 8;
    return true;
}

}

const SignatureSet& ZipParser::signatures()
{
    static const SignatureSet set = SignatureSet().add(0, {'P', 'K', 3, 4});
    return set;
}

bool ZipParser::detect(const unsigned char* data)
{
    if (loadWord32(data) != magic32('P', 'K', 3, 4)) {
        return false;
    }
    // Version needed to extract: no version of the format goes past 6.3 yet.
    std::uint16_t version = littleEndian16(data + 4);
    std::uint16_t flags = littleEndian16(data + 6);
    std::uint16_t nameLength = littleEndian16(data + 26);
    return (version & 0xFF) <= 100 && (flags & flagMaskedHeaders) == 0 && nameLength > 0;
}

const std::vector<std::uint64_t>& ZipParser::members() const
{
    return laterHeaders;
}

std::uint64_t ZipParser::measure(ByteCursor& input)
{
    return measure(input, NameVisitor());
}

std::uint64_t ZipParser::measure(ByteCursor& input, const NameVisitor& visitor)
{
    entries.clear();
    laterHeaders.clear();
    refusedHeaders.clear();
    std::uint32_t signature = 0;
    for (;;) {
        const std::uint64_t at = input.position();
        if (!input.readLittleEndian32(signature)) {
            refuseWalked(noCentralDirectory);
            return 0;
        }
        if (signature != localHeaderSignature) {
            break;
        }
        if (!walkEntry(input, visitor)) {
            refuseWalked(noCentralDirectory);
            // The header that could not be walked cannot be walked from itself either.
            if (at > 0) {
                refusedHeaders.push_back(at);
            }
            return 0;
        }
    }
    if (entries.empty()) {
        return 0;
    }
    if (signature != centralHeaderSignature && !skipSigningBlock(input, signature)) {
        refuseWalked(noCentralDirectory);
        return 0;
    }
    std::uint64_t centralStart = input.position() - 4;
    input.seek(centralStart);
    std::uint64_t count = noCentralDirectory;
    if (!walkCentralDirectory(input, count)) {
        refuseWalked(count);
        return 0;
    }
    laterHeaders.clear();
    for (const Entry& entry : entries) {
        if (entry.offset > 0) {
            laterHeaders.push_back(entry.offset);
        }
    }
    std::uint64_t end = walkEnd(input, centralStart, input.position(), count);
    if (end == 0) {
        laterHeaders.clear();
        refuseWalked(count);
    }
    return end;
}

const std::vector<std::uint64_t>& ZipParser::refused() const
{
    return refusedHeaders;
}

void ZipParser::refuseWalked(std::uint64_t listed)
{
    // From entries[i] on, a walk finds the entries.size() - i entries that follow.
    for (std::size_t i = 1; i < entries.size(); ++i) {
        if (entries.size() - i != listed) {
            refusedHeaders.push_back(entries[i].offset);
        }
    }
}

bool ZipParser::skipSigningBlock(ByteCursor& input, std::uint32_t& signature)
{
    // An Android package signed with signature scheme v2 or later holds, between its last entry
    // and its central directory, a block that both begins and ends with its size (the bytes after
    // the leading size field) and ends with its magic.
    static const unsigned char magic[] = {'A', 'P', 'K', ' ', 'S', 'i', 'g', ' ', 'B', 'l', 'o', 'c', 'k', ' ', '4', '2'};
    const std::uint64_t start = input.position() - 4;
    unsigned char size[8];
    if (!input.seek(start) || !input.read(size, sizeof size)) {
        return false;
    }
    const std::uint64_t blockSize = littleEndian64(size);
    unsigned char trailer[8 + sizeof magic];
    if (blockSize < sizeof trailer || blockSize > input.limit() || !input.skip(blockSize - sizeof trailer) ||
        !input.read(trailer, sizeof trailer) || littleEndian64(trailer) != blockSize ||
        std::memcmp(trailer + 8, magic, sizeof magic) != 0) {
        return false;
    }
    return input.readLittleEndian32(signature) && signature == centralHeaderSignature;
}

bool ZipParser::walkEntry(ByteCursor& input, const NameVisitor& visitor)
{
    std::uint64_t offset = input.position() - 4;
    unsigned char header[localHeaderSize - 4];
    if (!input.read(header, sizeof header)) {
        return false;
    }
    std::uint16_t flags = littleEndian16(header + 2);
    std::uint16_t method = littleEndian16(header + 4);
    std::uint32_t crc = littleEndian32(header + 10);
    std::uint64_t compressedSize = littleEndian32(header + 14);
    std::uint64_t uncompressedSize = littleEndian32(header + 18);
    std::uint16_t nameLength = littleEndian16(header + 22);
    std::uint16_t extraLength = littleEndian16(header + 24);
    if ((flags & flagMaskedHeaders) != 0 || nameLength == 0) {
        return false;
    }
    std::vector<unsigned char> name(nameLength);
    std::vector<unsigned char> extra(extraLength);
    if (!input.read(name.data(), name.size()) || !input.read(extra.data(), extra.size())) {
        return false;
    }
    if (visitor) {
        visitor(name.data(), name.size());
    }
    Zip64Fields zip64;
    if (!findZip64(extra, zip64)) {
        return false;
    }
    // In a local header the ZIP64 field holds both sizes whenever it is there.
    if (zip64.present) {
        std::size_t used = 0;
        std::uint64_t original = 0;
        std::uint64_t compressed = 0;
        if (!takeZip64(zip64, used, original) || !takeZip64(zip64, used, compressed)) {
            return false;
        }
        if (uncompressedSize == saturated32) {
            uncompressedSize = original;
        }
        if (compressedSize == saturated32) {
            compressedSize = compressed;
        }
    } else if (compressedSize == saturated32 && (flags & flagDataDescriptor) == 0) {
        return false;
    }
    std::uint64_t dataStart = input.position();
    if ((flags & flagDataDescriptor) == 0) {
        if (!input.skip(compressedSize)) {
            return false;
        }
    } else if (method == methodDeflated && (flags & flagEncrypted) == 0) {
        if (!DeflateStream::skip(input)) {
            return false;
        }
        compressedSize = input.position() - dataStart;
    } else if (method == methodStored && compressedSize != 0 && compressedSize != saturated32) {
        if (!input.skip(compressedSize)) {
            return false;
        }
    } else {
        return false;
    }
    if ((flags & flagDataDescriptor) != 0) {
        // The descriptor: an optional signature, the CRC-32 and both sizes, in 8 bytes each for
        // an entry that has a ZIP64 field.
        std::uint32_t first = 0;
        if (!input.readLittleEndian32(first)) {
            return false;
        }
        if (first == dataDescriptorSignature) {
            if (!input.readLittleEndian32(first)) {
                return false;
            }
        }
        crc = first;
        unsigned char sizes[16];
        std::size_t width = zip64.present ? 8 : 4;
        if (!input.read(sizes, 2 * width)) {
            return false;
        }
        std::uint64_t recorded = width == 8 ? littleEndian64(sizes) : littleEndian32(sizes);
        if (recorded != compressedSize) {
            return false;
        }
    }
    entries.push_back(Entry{offset, compressedSize, crc, method, false});
    return true;
}

bool ZipParser::walkCentralDirectory(ByteCursor& input, std::uint64_t& count)
{
    std::vector<Entry> listed;
    for (;;) {
        std::uint64_t at = input.position();
        std::uint32_t signature = 0;
        if (!input.readLittleEndian32(signature)) {
            return false;
        }
        if (signature != centralHeaderSignature) {
            input.seek(at);
            break;
        }
        unsigned char header[centralHeaderSize - 4];
        if (!input.read(header, sizeof header)) {
            return false;
        }
        std::uint16_t method = littleEndian16(header + 6);
        std::uint32_t crc = littleEndian32(header + 12);
        std::uint64_t compressedSize = littleEndian32(header + 16);
        std::uint64_t uncompressedSize = littleEndian32(header + 20);
        std::uint16_t nameLength = littleEndian16(header + 24);
        std::uint16_t extraLength = littleEndian16(header + 26);
        std::uint16_t commentLength = littleEndian16(header + 28);
        std::uint32_t diskStart = littleEndian16(header + 30);
        std::uint64_t localOffset = littleEndian32(header + 38);
        std::vector<unsigned char> extra(extraLength);
        if (!input.skip(nameLength) || !input.read(extra.data(), extra.size()) || !input.skip(commentLength)) {
            return false;
        }
        Zip64Fields zip64;
        if (!findZip64(extra, zip64)) {
            return false;
        }
        std::size_t used = 0;
        if ((uncompressedSize == saturated32 && !takeZip64(zip64, used, uncompressedSize)) ||
            (compressedSize == saturated32 && !takeZip64(zip64, used, compressedSize)) ||
            (localOffset == saturated32 && !takeZip64(zip64, used, localOffset))) {
            return false;
        }
        if (diskStart != 0 && diskStart != saturated16) {
            return false;
        }
        listed.push_back(Entry{localOffset, compressedSize, crc, method, false});
    }
    count = listed.size();
    if (matchListed(listed, 0) && count == entries.size()) {
        return true;
    }
    // Local headers that lie, all of them, a fixed distance further on in the central directory
    // than where this walk found them are the later entries of an archive that begins before this
    // one's first byte: they are remembered, so that the walk is not made again from each of them.
    std::uint64_t farthest = 0;
    for (const Entry& entry : listed) {
        farthest = std::max(farthest, entry.offset);
    }
    std::uint64_t shift = farthest - entries.back().offset;
    if (farthest > entries.back().offset && listed.size() > entries.size() && matchListed(listed, shift)) {
        for (const Entry& entry : entries) {
            if (entry.offset > 0) {
                laterHeaders.push_back(entry.offset);
            }
        }
    }
    return false;
}

bool ZipParser::matchListed(std::vector<Entry>& listed, std::uint64_t shift)
{
    std::sort(listed.begin(), listed.end(), [](const Entry& a, const Entry& b) { return a.offset < b.offset; });
    for (Entry& entry : listed) {
        entry.matched = false;
    }
    for (const Entry& walked : entries) {
        auto entry = std::lower_bound(listed.begin(), listed.end(), walked.offset + shift,
                                      [](const Entry& e, std::uint64_t offset) { return e.offset < offset; });
        if (entry == listed.end() || entry->offset != walked.offset + shift || entry->matched ||
            entry->method != walked.method || entry->crc != walked.crc ||
            entry->compressedSize != walked.compressedSize) {
            return false;
        }
        entry->matched = true;
    }
    return true;
}

std::uint64_t ZipParser::walkEnd(ByteCursor& input, std::uint64_t centralStart, std::uint64_t centralEnd,
                                 std::uint64_t count)
{
    std::uint32_t signature = 0;
    if (!input.readLittleEndian32(signature)) {
        return 0;
    }
    if (signature == digitalSignatureSignature) {
        std::uint16_t size = 0;
        if (!input.readLittleEndian16(size) || !input.skip(size) || !input.readLittleEndian32(signature)) {
            return 0;
        }
    }
    // The central directory's size as the end records give it may or may not count the digital
    // signature; both are the archive's own.
    std::uint64_t signedEnd = input.position() - 4;
    bool zip64 = false;
    std::uint64_t zip64Entries = 0;
    std::uint64_t zip64Size = 0;
    std::uint64_t zip64Offset = 0;
    if (signature == zip64EndSignature) {
        std::uint64_t recordStart = input.position() - 4;
        unsigned char record[zip64EndFixedSize - 4];
        if (!input.read(record, sizeof record)) {
            return 0;
        }
        std::uint64_t recordSize = littleEndian64(record);
        std::uint32_t disk = littleEndian32(record + 12);
        std::uint32_t centralDisk = littleEndian32(record + 16);
        std::uint64_t diskEntries = littleEndian64(record + 20);
        zip64Entries = littleEndian64(record + 28);
        zip64Size = littleEndian64(record + 36);
        zip64Offset = littleEndian64(record + 44);
        if (recordSize < zip64EndFixedSize - 12 || disk != 0 || centralDisk != 0 || diskEntries != zip64Entries ||
            !input.skip(recordSize - (zip64EndFixedSize - 12))) {
            return 0;
        }
        unsigned char locator[zip64LocatorSize];
        if (!input.read(locator, sizeof locator) || littleEndian32(locator) != zip64LocatorSignature ||
            littleEndian32(locator + 4) != 0 || littleEndian64(locator + 8) != recordStart ||
            littleEndian32(locator + 16) > 1) {
            return 0;
        }
        if (!input.readLittleEndian32(signature)) {
            return 0;
        }
        zip64 = true;
    }
    if (signature != endSignature) {
        return 0;
    }
    unsigned char record[endRecordSize - 4];
    if (!input.read(record, sizeof record)) {
        return 0;
    }
    std::uint16_t disk = littleEndian16(record);
    std::uint16_t centralDisk = littleEndian16(record + 2);
    std::uint64_t diskEntries = littleEndian16(record + 4);
    std::uint64_t totalEntries = littleEndian16(record + 6);
    std::uint64_t centralSize = littleEndian32(record + 8);
    std::uint64_t centralOffset = littleEndian32(record + 12);
    std::uint16_t commentLength = littleEndian16(record + 16);
    if (zip64) {
        // A saturated field defers to the ZIP64 record; any other must agree with it.
        if ((disk != saturated16 && disk != 0) || (centralDisk != saturated16 && centralDisk != 0)) {
            return 0;
        }
        if (diskEntries == saturated16) {
            diskEntries = zip64Entries;
        }
        if (totalEntries == saturated16) {
            totalEntries = zip64Entries;
        }
        if (centralSize == saturated32) {
            centralSize = zip64Size;
        }
        if (centralOffset == saturated32) {
            centralOffset = zip64Offset;
        }
        if (totalEntries != zip64Entries || centralSize != zip64Size || centralOffset != zip64Offset) {
            return 0;
        }
    } else if (disk != 0 || centralDisk != 0) {
        // One part of a split or spanned archive: the rest lies elsewhere.
        return 0;
    }
    if (diskEntries != totalEntries || totalEntries != count || centralOffset != centralStart ||
        (centralSize != centralEnd - centralStart && centralSize != signedEnd - centralStart)) {
        return 0;
    }
    if (!input.skip(commentLength) || !input.hasBytes(input.position())) {
        return 0;
    }
    return input.position();
}
