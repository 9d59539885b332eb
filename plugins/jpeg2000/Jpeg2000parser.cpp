#include "plugins/jpeg2000/Jpeg2000parser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Isobox.h"
#include "plugins/common/Signatureset.h"

#include <cstring>

namespace {

const unsigned char signatureBox[12] = {0, 0, 0, 12, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A};

constexpr std::uint16_t startOfCodestream = 0xFF4F;
constexpr std::uint16_t imageAndTileSize = 0xFF51;
constexpr std::uint16_t startOfTile = 0xFF90;
constexpr std::uint16_t endOfCodestream = 0xFFD9;

// The size segment's length for its component count: 38 bytes of fields and 3 per component.
bool isSizeSegment(const unsigned char* data)
{
    const std::uint16_t length = bigEndian16(data + 2);
    return length >= 41 && (length - 38) % 3 == 0 && (length - 38) / 3 <= 16384;
}

// Boxes that stand at the top of a JPEG 2000 file after its signature and ftyp.
bool isTopLevel(std::uint32_t type)
{
    switch (type) {
    case boxType("jp2h"):
    case boxType("jp2c"):
    case boxType("jp2i"):
    case boxType("xml "):
    case boxType("uuid"):
    case boxType("uinf"):
    case boxType("rreq"):
    case boxType("res "):
    case boxType("asoc"):
    case boxType("ftbl"):
    case boxType("dtbl"):
    case boxType("jpch"):
    case boxType("jplh"):
    case boxType("cgrp"):
    case boxType("lbl "):
    case boxType("free"):
        return true;
    default:
        return false;
    }
}

}

const SignatureSet& Jpeg2000Parser::signatures()
{
    static const SignatureSet set = SignatureSet()
                                        .add(0, {0, 0, 0, 12, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A})
                                        .add(0, {0xFF, 0x4F, 0xFF, 0x51});
    return set;
}

const char* Jpeg2000Parser::kindOf(const unsigned char* data)
{
    if (std::memcmp(data, signatureBox, sizeof signatureBox) == 0) {
        return "jp2";
    }
    if (bigEndian16(data) == startOfCodestream && bigEndian16(data + 2) == imageAndTileSize &&
        isSizeSegment(data + 2)) {
        return "j2k";
    }
    return nullptr;
}

bool Jpeg2000Parser::detect(const unsigned char* data)
{
    return kindOf(data) != nullptr;
}

std::uint64_t Jpeg2000Parser::measure(ByteCursor& input)
{
    unsigned char start[sizeof signatureBox];
    if (!input.peek(0, start, 4)) {
        return 0;
    }
    if (bigEndian16(start) == startOfCodestream) {
        const std::uint64_t end = measureCodestream(input, 0, input.limit());
        return end != 0 && input.hasBytes(end) ? end : 0;
    }
    return measureFile(input);
}

std::uint64_t Jpeg2000Parser::measureFile(ByteCursor& input)
{
    unsigned char start[sizeof signatureBox];
    if (!input.read(start, sizeof start) || std::memcmp(start, signatureBox, sizeof start) != 0) {
        return 0;
    }
    IsoBox fileType;
    if (IsoBox::read(input, sizeof start, UINT64_MAX, fileType) != IsoBox::Status::valid || fileType.toEnd ||
        fileType.type != boxType("ftyp") || fileType.end > input.limit()) {
        return 0;
    }
    bool sawHeader = false;
    bool sawCodestream = false;
    std::uint64_t position = fileType.end;
    for (;;) {
        IsoBox box;
        const IsoBox::Status status = IsoBox::read(input, position, UINT64_MAX, box);
        if (status == IsoBox::Status::missing || !isTopLevel(box.type)) {
            break;
        }
        if (status != IsoBox::Status::valid || box.payloadStart() > input.limit()) {
            return 0;
        }
        if (box.type == boxType("jp2h")) {
            IsoBox imageHeader;
            if (box.toEnd || box.end > input.limit() ||
                !IsoBox::findChild(input, box.payloadStart(), box.end, boxType("ihdr"), imageHeader)) {
                return 0;
            }
            sawHeader = true;
        } else if (box.type == boxType("jp2c")) {
            // A codestream box that runs to the end of the file ends, in truth, at its EOC.
            const std::uint64_t end = measureCodestream(input, box.payloadStart(), box.toEnd ? input.limit() : box.end);
            if (end == 0 || (!box.toEnd && end != box.end)) {
                return 0;
            }
            box.end = end;
            codestream = box.payloadStart();
            sawCodestream = true;
        } else if (box.toEnd) {
            return 0;
        }
        if (box.end > input.limit()) {
            return 0;
        }
        position = box.end;
        if (box.toEnd) {
            break;
        }
    }
    return sawHeader && sawCodestream && input.hasBytes(position) ? position : 0;
}

std::uint64_t Jpeg2000Parser::measureCodestream(ByteCursor& input, std::uint64_t start, std::uint64_t end)
{
    unsigned char marker[12];
    if (!input.seek(start) || !input.read(marker, 6) || bigEndian16(marker) != startOfCodestream ||
        bigEndian16(marker + 2) != imageAndTileSize || !isSizeSegment(marker + 2)) {
        return 0;
    }
    // The main header: marker segments, each with its length, up to the first tile-part.
    std::uint64_t position = start + 4 + bigEndian16(marker + 4);
    for (;;) {
        if (!input.seek(position) || !input.read(marker, 4) || marker[0] != 0xFF) {
            return 0;
        }
        const std::uint16_t code = bigEndian16(marker);
        if (code == startOfTile) {
            break;
        }
        if (code < 0xFF50 || code > 0xFF6F || bigEndian16(marker + 2) < 2) {
            return 0;
        }
        position += 2 + bigEndian16(marker + 2);
    }
    // Tile-parts by their lengths; a length of 0 marks the last one, which runs to EOC.
    for (;;) {
        if (!input.seek(position) || !input.read(marker, 2)) {
            return 0;
        }
        const std::uint16_t code = bigEndian16(marker);
        if (code == endOfCodestream) {
            position += 2;
            break;
        }
        if (code != startOfTile || !input.read(marker + 2, 10) || bigEndian16(marker + 2) != 10) {
            return 0;
        }
        const std::uint32_t length = bigEndian32(marker + 6);
        if (length == 0) {
            // Coded data never holds 0xFF followed by a byte above 0x8F, so the first such pair
            // that is EOC is the end.
            for (;;) {
                unsigned char next = 0;
                if (!input.skipPast(0xFF) || !input.readByte(next)) {
                    return 0;
                }
                if (next == 0xD9) {
                    break;
                }
                if (next == 0xFF) {
                    input.seek(input.position() - 1);
                }
            }
            position = input.position();
            break;
        }
        if (length < 14) {
            return 0;
        }
        position += length;
    }
    return position <= end ? position : 0;
}
