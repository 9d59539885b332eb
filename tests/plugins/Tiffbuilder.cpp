#include "tests/plugins/Tiffbuilder.h"

#include <algorithm>
#include <stdexcept>

namespace {

unsigned sizeOf(TiffBuilder::Type type)
{
    switch (type) {
    case TiffBuilder::shortType:
        return 2;
    case TiffBuilder::longType:
        return 4;
    case TiffBuilder::rational:
        return 8;
    default:
        return 1;
    }
}

}

TiffBuilder::TiffBuilder(bool bigEndian, std::uint16_t magic, std::size_t padding)
    : bigEndian(bigEndian), magic(magic), padding(padding)
{
}

std::size_t TiffBuilder::directory(bool chained)
{
    directories.push_back(Directory{chained, {}});
    return directories.size() - 1;
}

void TiffBuilder::put(Bytes& out, std::uint64_t value, unsigned size) const
{
    out.resize(out.size() + size);
    set(out, out.size() - size, value, size);
}

void TiffBuilder::set(Bytes& out, std::size_t at, std::uint64_t value, unsigned size) const
{
    for (unsigned i = 0; i < size; ++i) {
        const unsigned shift = 8 * (bigEndian ? size - 1 - i : i);
        out[at + i] = static_cast<unsigned char>(value >> shift);
    }
}

void TiffBuilder::add(std::size_t directory, std::uint16_t tag, Type type, const std::vector<std::uint64_t>& values)
{
    Entry entry{tag, type, static_cast<std::uint32_t>(type == rational ? values.size() / 2 : values.size()), {}, {}, {}};
    for (std::uint64_t value : values) {
        put(entry.value, value, type == rational ? 4 : sizeOf(type));
    }
    directories.at(directory).entries.push_back(entry);
}

void TiffBuilder::addText(std::size_t directory, std::uint16_t tag, const std::string& text)
{
    Entry entry{tag, ascii, static_cast<std::uint32_t>(text.size() + 1), Bytes(text.begin(), text.end()), {}, {}};
    entry.value.push_back(0);
    directories.at(directory).entries.push_back(entry);
}

void TiffBuilder::addBytes(std::size_t directory, std::uint16_t tag, const Bytes& bytes)
{
    directories.at(directory).entries.push_back(
        Entry{tag, undefined, static_cast<std::uint32_t>(bytes.size()), bytes, {}, {}});
}

void TiffBuilder::addStrips(std::size_t directory, const std::vector<Bytes>& pieces, bool tiles)
{
    Entry offsets{static_cast<std::uint16_t>(tiles ? 0x0144 : 0x0111), longType,
                  static_cast<std::uint32_t>(pieces.size()), Bytes(4 * pieces.size()), {}, {}};
    Entry counts{static_cast<std::uint16_t>(tiles ? 0x0145 : 0x0117), longType,
                 static_cast<std::uint32_t>(pieces.size()), {}, {}, {}};
    for (const Bytes& piece : pieces) {
        offsets.stripRefs.push_back(strips.size());
        strips.push_back(piece);
        put(counts.value, piece.size(), 4);
    }
    directories.at(directory).entries.push_back(offsets);
    directories.at(directory).entries.push_back(counts);
}

void TiffBuilder::addPointers(std::size_t directory, std::uint16_t tag, const std::vector<std::size_t>& targets)
{
    Entry entry{tag, longType, static_cast<std::uint32_t>(targets.size()), Bytes(4 * targets.size()), {}, targets};
    directories.at(directory).entries.push_back(entry);
}

void TiffBuilder::setHeaderFields(const Bytes& fields, int directoryOffsetAt, std::size_t directory)
{
    headerFields = fields;
    headerDirectoryAt = directoryOffsetAt;
    headerDirectory = directory;
}

Bytes TiffBuilder::build() const
{
    // Layout: header, padding (or the header fields), the strips, then each IFD followed by its
    // values that do not fit their entries.
    const std::size_t headerEnd = 8 + std::max(padding, headerFields.size());
    std::vector<std::size_t> stripAt;
    std::size_t at = headerEnd;
    for (const Bytes& strip : strips) {
        stripAt.push_back(at);
        at += strip.size();
        at += at % 2;
    }
    std::vector<std::size_t> directoryAt;
    for (const Directory& directory : directories) {
        directoryAt.push_back(at);
        at += 2 + 12 * directory.entries.size() + 4;
        for (const Entry& entry : directory.entries) {
            if (entry.value.size() > 4) {
                at += entry.value.size() + entry.value.size() % 2;
            }
        }
    }

    Bytes out;
    out.push_back(bigEndian ? 'M' : 'I');
    out.push_back(bigEndian ? 'M' : 'I');
    put(out, magic, 2);
    std::size_t first = directories.empty() ? 0 : directoryAt[0];
    put(out, first, 4);
    out.resize(headerEnd);
    std::copy(headerFields.begin(), headerFields.end(), out.begin() + 8);
    if (headerDirectoryAt >= 0) {
        set(out, 8 + static_cast<std::size_t>(headerDirectoryAt), directoryAt.at(headerDirectory), 4);
    }
    // The file ends with the last byte referenced, not with a pad after it.
    std::size_t used = out.size();
    for (std::size_t i = 0; i < strips.size(); ++i) {
        out.insert(out.end(), strips[i].begin(), strips[i].end());
        used = out.size();
        out.resize(out.size() + out.size() % 2);
    }
    for (std::size_t d = 0; d < directories.size(); ++d) {
        if (out.size() != directoryAt[d]) {
            throw std::logic_error("TIFF layout out of step");
        }
        std::vector<Entry> entries = directories[d].entries;
        std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
        for (Entry& entry : entries) {
            for (std::size_t i = 0; i < entry.stripRefs.size(); ++i) {
                set(entry.value, 4 * i, stripAt[entry.stripRefs[i]], 4);
            }
            for (std::size_t i = 0; i < entry.directoryRefs.size(); ++i) {
                set(entry.value, 4 * i, directoryAt.at(entry.directoryRefs[i]), 4);
            }
        }
        std::size_t valueAt = out.size() + 2 + 12 * entries.size() + 4;
        put(out, entries.size(), 2);
        Bytes values;
        for (const Entry& entry : entries) {
            put(out, entry.tag, 2);
            put(out, entry.type, 2);
            put(out, entry.count, 4);
            if (entry.value.size() <= 4) {
                Bytes field = entry.value;
                field.resize(4);
                out.insert(out.end(), field.begin(), field.end());
            } else {
                put(out, valueAt + values.size(), 4);
                values.insert(values.end(), entry.value.begin(), entry.value.end());
                used = std::max(used, valueAt + values.size());
                values.resize(values.size() + values.size() % 2);
            }
        }
        std::size_t next = 0;
        if (directories[d].chained) {
            for (std::size_t n = d + 1; n < directories.size(); ++n) {
                if (directories[n].chained) {
                    next = directoryAt[n];
                    break;
                }
            }
        }
        put(out, next, 4);
        used = std::max(used, out.size());
        out.insert(out.end(), values.begin(), values.end());
    }
    out.resize(used);
    return out;
}
