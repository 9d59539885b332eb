#include "plugins/isomedia/Isomediaparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Isobox.h"
#include "plugins/common/Signatureset.h"

#include <cstring>

namespace {

// ftyp boxes are a few dozen bytes; one that claims more is not one.
constexpr std::uint32_t largestFileType = 1024;

bool isPrintable(const unsigned char* text, int count)
{
    for (int i = 0; i < count; ++i) {
        if (text[i] < 0x20 || text[i] > 0x7E) {
            return false;
        }
    }
    return true;
}

bool isBrand(const unsigned char* brand, const char* name)
{
    return std::memcmp(brand, name, 4) == 0;
}

bool anyBrand(const unsigned char* brand, std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        if (isBrand(brand, name)) {
            return true;
        }
    }
    return false;
}

// The kind a leading ftyp box gives: its major brand, and for the generic HEIF brands the first
// compatible brand that names a codec. Brands of the JPEG 2000 family are left to its own walker.
const char* kindOfFileType(const unsigned char* data)
{
    const std::uint32_t size = bigEndian32(data);
    if (size < 16 || size > largestFileType || size % 4 != 0 || !isPrintable(data + 8, 4)) {
        return nullptr;
    }
    const unsigned char* major = data + 8;
    if (anyBrand(major, {"jp2 ", "jpx ", "jpm ", "mjp2", "mj2s"})) {
        return nullptr;
    }
    if (isBrand(major, "qt  ")) {
        return "mov";
    }
    if (std::memcmp(major, "3g", 2) == 0) {
        return "3gp";
    }
    if (anyBrand(major, {"M4A ", "M4B ", "M4P "})) {
        return "m4a";
    }
    if (isBrand(major, "crx ")) {
        return "cr3";
    }
    if (anyBrand(major, {"avif", "avis"})) {
        return "avif";
    }
    if (anyBrand(major, {"heic", "heix", "heim", "heis", "hevc", "hevx"})) {
        return "heic";
    }
    if (anyBrand(major, {"mif1", "msf1"})) {
        const std::uint32_t shown = size < IsoMediaParser::windowSize ? size : IsoMediaParser::windowSize;
        for (std::uint32_t at = 16; at + 4 <= shown; at += 4) {
            if (anyBrand(data + at, {"avif", "avis"})) {
                return "avif";
            }
        }
        // Whatever codec the items use, the container is HEIF, whose files carry this extension.
        return "heic";
    }
    return "mp4";
}

// The box types that stand at the top of a file after its first box. A following file begins
// with ftyp, so that is not among them.
bool isTopLevel(std::uint32_t type)
{
    switch (type) {
    case boxType("moov"):
    case boxType("mdat"):
    case boxType("free"):
    case boxType("skip"):
    case boxType("wide"):
    case boxType("uuid"):
    case boxType("meta"):
    case boxType("pdin"):
    case boxType("moof"):
    case boxType("mfra"):
    case boxType("styp"):
    case boxType("sidx"):
    case boxType("ssix"):
    case boxType("prft"):
    case boxType("emsg"):
    case boxType("pnot"):
    case boxType("junk"):
        return true;
    default:
        return false;
    }
}

bool isPicture(const char* kind)
{
    return std::strcmp(kind, "heic") == 0 || std::strcmp(kind, "avif") == 0;
}

}

const SignatureSet& IsoMediaParser::signatures()
{
    static const SignatureSet set = SignatureSet()
                                        .add(4, "ftyp")
                                        .add(4, {'m', 'o', 'o', 'v', 0, 0, 0, 0, 'm', 'v', 'h', 'd'},
                                             {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF})
                                        .add(0, {0, 0, 0, 8, 'w', 'i', 'd', 'e', 0, 0, 0, 0, 'm', 'd', 'a', 't'},
                                             {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0xFF, 0xFF,
                                              0xFF, 0xFF})
                                        .add(4, "mdat");
    return set;
}

const char* IsoMediaParser::kindOf(const unsigned char* data)
{
    switch (loadWord32(data + 4)) {
    case magic32('f', 't', 'y', 'p'):
        return kindOfFileType(data);
    case magic32('m', 'o', 'o', 'v'):
        return loadWord32(data + 12) == magic32('m', 'v', 'h', 'd') ? "mov" : nullptr;
    case magic32('w', 'i', 'd', 'e'):
        return bigEndian32(data) == 8 && loadWord32(data + 12) == magic32('m', 'd', 'a', 't') ? "mov" : nullptr;
    case magic32('m', 'd', 'a', 't'):
        return bigEndian32(data) >= 8 || bigEndian32(data) <= 1 ? "mov" : nullptr;
    default:
        return nullptr;
    }
}

bool IsoMediaParser::detect(const unsigned char* data)
{
    return kindOf(data) != nullptr;
}

std::uint64_t IsoMediaParser::measure(ByteCursor& input)
{
    boxes.clear();
    provesLater = true;
    const std::uint64_t length = walk(input);
    if (length > 0) {
        laterBoxes = boxes;
    } else if (provesLater) {
        refusedBoxes = boxes;
    }
    return length;
}

const std::vector<std::uint64_t>& IsoMediaParser::members() const
{
    return laterBoxes;
}

const std::vector<std::uint64_t>& IsoMediaParser::refused() const
{
    return refusedBoxes;
}

std::uint64_t IsoMediaParser::walk(ByteCursor& input)
{
    unsigned char window[windowSize] = {};
    const std::uint64_t available = input.inputLength() < windowSize ? input.inputLength() : windowSize;
    if (available < 16 || !input.peek(0, window, static_cast<std::size_t>(available))) {
        return 0;
    }
    const char* kind = kindOf(window);
    if (kind == nullptr) {
        return 0;
    }
    needsProof = bigEndian32(window + 4) != boxType("ftyp");
    const bool picture = isPicture(kind);
    bool sawMovie = false;
    bool sawMeta = false;
    bool sawMedia = false;
    std::uint64_t position = 0;
    for (bool first = true;; first = false) {
        IsoBox box;
        const IsoBox::Status status = IsoBox::read(input, position, UINT64_MAX, box);
        if (status == IsoBox::Status::missing || (!first && !isTopLevel(box.type))) {
            break;
        }
        // A second movie, or a wide box once movie and media are whole, starts the next file: an
        // old QuickTime file, which has no ftyp to show where it begins.
        if ((box.type == boxType("moov") && sawMovie) || (box.type == boxType("wide") && sawMovie && sawMedia)) {
            break;
        }
        if (!first) {
            boxes.push_back(position);
        }
        if (status != IsoBox::Status::valid) {
            return 0;
        }
        if (box.toEnd) {
            // "To the end of the file" can only be taken where the input itself ends, and only
            // when the size window lets the whole of it be seen.
            if (input.limit() < input.inputLength()) {
                return 0;
            }
            box.end = input.inputLength();
        }
        if (box.end > input.limit()) {
            return 0;
        }
        switch (box.type) {
        case boxType("moov"):
            if (!checkMovie(input, box)) {
                return 0;
            }
            sawMovie = true;
            break;
        case boxType("meta"):
            if (picture && !checkMeta(input, box)) {
                // A later box is no picture's start, and is not held to its meta box.
                provesLater = false;
                return 0;
            }
            sawMeta = true;
            break;
        case boxType("mdat"):
            sawMedia = true;
            if (needsProof) {
                mediaStarts.push_back(box.payloadStart());
            }
            break;
        default:
            break;
        }
        position = box.end;
        if (box.toEnd) {
            break;
        }
    }
    // A later box begins a movie at best, which needs a movie box after it; where none was seen
    // at all there is none after any of them.
    provesLater = !sawMovie;
    if (picture ? !sawMeta : !sawMovie) {
        return 0;
    }
    if (needsProof) {
        bool proven = false;
        for (std::uint64_t start : mediaStarts) {
            proven = proven || (sawChunk && start == firstChunk);
        }
        if (!proven) {
            return 0;
        }
    }
    provesLater = true;
    return input.hasBytes(position) ? position : 0;
}

bool IsoMediaParser::checkMovie(ByteCursor& input, const IsoBox& movie)
{
    IsoBox header;
    if (!IsoBox::findChild(input, movie.payloadStart(), movie.end, boxType("mvhd"), header) &&
        !IsoBox::findChild(input, movie.payloadStart(), movie.end, boxType("cmov"), header)) {
        return false;
    }
    if (!needsProof) {
        return true;
    }
    std::uint64_t position = movie.payloadStart();
    while (position < movie.end) {
        IsoBox child;
        if (IsoBox::read(input, position, movie.end, child) != IsoBox::Status::valid || child.toEnd) {
            return false;
        }
        std::uint64_t offset = 0;
        if (child.type == boxType("trak") && firstChunkOf(input, child, offset)) {
            if (!sawChunk || offset < firstChunk) {
                firstChunk = offset;
            }
            sawChunk = true;
        }
        position = child.end;
    }
    return true;
}

bool IsoMediaParser::firstChunkOf(ByteCursor& input, const IsoBox& track, std::uint64_t& offset)
{
    IsoBox media;
    IsoBox information;
    IsoBox table;
    if (!IsoBox::findChild(input, track.payloadStart(), track.end, boxType("mdia"), media) ||
        !IsoBox::findChild(input, media.payloadStart(), media.end, boxType("minf"), information) ||
        !IsoBox::findChild(input, information.payloadStart(), information.end, boxType("stbl"), table)) {
        return false;
    }
    IsoBox chunks;
    unsigned width = 4;
    if (!IsoBox::findChild(input, table.payloadStart(), table.end, boxType("stco"), chunks)) {
        if (!IsoBox::findChild(input, table.payloadStart(), table.end, boxType("co64"), chunks)) {
            return false;
        }
        width = 8;
    }
    // Version and flags, the entry count, then the first entry.
    unsigned char fields[16];
    if (chunks.end - chunks.payloadStart() < 8 + width || !input.seek(chunks.payloadStart()) ||
        !input.read(fields, 8 + width) || bigEndian32(fields + 4) == 0) {
        return false;
    }
    offset = width == 4 ? bigEndian32(fields + 8)
                        : std::uint64_t{bigEndian32(fields + 8)} << 32 | bigEndian32(fields + 12);
    return true;
}

bool IsoMediaParser::checkMeta(ByteCursor& input, const IsoBox& meta)
{
    // A full box: version and flags come before the children.
    IsoBox handler;
    unsigned char fields[12];
    if (meta.end - meta.payloadStart() < 4 ||
        !IsoBox::findChild(input, meta.payloadStart() + 4, meta.end, boxType("hdlr"), handler) ||
        handler.end - handler.payloadStart() < sizeof fields || !input.seek(handler.payloadStart()) ||
        !input.read(fields, sizeof fields)) {
        return false;
    }
    return std::memcmp(fields + 8, "pict", 4) == 0;
}
