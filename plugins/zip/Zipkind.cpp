#include "plugins/zip/Zipkind.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/zip/Zipparser.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {
const std::string mimetypeEntry = "mimetype";
}

ZipKind::ZipKind(Layout layout) : layout(std::move(layout))
{
    if (!this->layout.mimetype.empty()) {
        this->layout.firstEntries = {mimetypeEntry};
    }
    // The entry's name where a local header holds it; detect looks at the header's signature and
    // name length. The header's fields before the name are left out of the pattern: patterns with
    // runs of free bytes between fixed ones are costly for Vectorscan's compiler (the 17 of these
    // kinds took 21 MiB at the start of every run, the five of apk alone 15 MiB), plain strings
    // next to nothing, and random data meets a name of eight bytes or more as seldom as the
    // whole header.
    for (const std::string& name : this->layout.firstEntries) {
        set.add(ZipParser::localHeaderSize,
                std::vector<unsigned char>(name.begin(), name.end()),
                std::vector<unsigned char>(name.size(), 0xFF));
    }
}

unsigned ZipKind::windowSize() const
{
    return set.span();
}

const SignatureSet& ZipKind::signatures() const
{
    return set;
}

bool ZipKind::detect(const unsigned char* data) const
{
    if (!ZipParser::detect(data)) {
        return false;
    }
    std::size_t nameLength = littleEndian16(data + 26);
    for (const std::string& name : layout.firstEntries) {
        if (name.size() == nameLength &&
            std::memcmp(data + ZipParser::localHeaderSize, name.data(), nameLength) == 0) {
            return true;
        }
    }
    return false;
}

bool ZipKind::holdsMimetype(ByteCursor& input) const
{
    unsigned char header[ZipParser::localHeaderSize];
    if (!input.read(header, sizeof header)) {
        return false;
    }
    std::uint16_t flags = littleEndian16(header + 6);
    std::uint16_t method = littleEndian16(header + 8);
    std::uint32_t size = littleEndian32(header + 18);
    std::uint16_t nameLength = littleEndian16(header + 26);
    std::uint16_t extraLength = littleEndian16(header + 28);
    if ((flags & 0x0009) != 0 || method != 0 || size != layout.mimetype.size() ||
        nameLength != mimetypeEntry.size() || !input.skip(std::uint64_t{nameLength} + extraLength)) {
        return false;
    }
    std::string text(layout.mimetype.size(), '\0');
    return input.read(reinterpret_cast<unsigned char*>(&text[0]), text.size()) && text == layout.mimetype;
}

std::uint64_t ZipKind::measure(ByteCursor& input, ZipParser& zip) const
{
    if (!layout.mimetype.empty()) {
        if (!holdsMimetype(input)) {
            return 0;
        }
        input.seek(0);
    }
    std::vector<bool> found(layout.requiredEntries.size(), false);
    std::uint64_t length = zip.measure(input, [this, &found](const unsigned char* name, std::size_t nameLength) {
        for (std::size_t i = 0; i < found.size(); ++i) {
            const std::string& wanted = layout.requiredEntries[i];
            bool folder = !wanted.empty() && wanted.back() == '/';
            if (folder ? nameLength > wanted.size() && std::memcmp(name, wanted.data(), wanted.size()) == 0
                       : nameLength == wanted.size() && std::memcmp(name, wanted.data(), nameLength) == 0) {
                found[i] = true;
            }
        }
    });
    if (length == 0 || std::find(found.begin(), found.end(), false) != found.end()) {
        return 0;
    }
    return length;
}
