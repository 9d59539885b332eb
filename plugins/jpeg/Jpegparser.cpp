#include "plugins/jpeg/Jpegparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"

namespace {

constexpr unsigned char startOfImage = 0xD8;
constexpr unsigned char endOfImage = 0xD9;
constexpr unsigned char startOfScan = 0xDA;
constexpr unsigned char temporary = 0x01;
// JPEG-LS (ITU-T T.87) frames: their scans stuff a zero bit, not a zero byte, after every 0xFF.
constexpr unsigned char startOfLosslessFrame = 0xF7;

bool isRestart(unsigned char marker)
{
    return marker >= 0xD0 && marker <= 0xD7;
}

// SOF0 to SOF15, less DHT (C4), JPG (C8) and DAC (CC), which share the range, and JPEG-LS's SOF55.
bool isStartOfFrame(unsigned char marker)
{
    return (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) ||
           marker == startOfLosslessFrame;
}

}

JpegParser::JpegParser(std::uint32_t minimumWidth, std::uint32_t minimumHeight)
    : minimumWidth(minimumWidth), minimumHeight(minimumHeight)
{
}

const SignatureSet& JpegParser::signatures()
{
    // SOI and the marker prefix that must follow it.
    static const SignatureSet set = SignatureSet().add(0, {0xFF, 0xD8, 0xFF});
    return set;
}

bool JpegParser::detect(const unsigned char* data)
{
    if (loadWord16(data) != magic16(0xFF, startOfImage)) {
        return false;
    }
    // data[3] may be a fill byte (0xFF) that pads before the first marker's code.
    return data[2] == 0xFF && data[3] >= 0xC0;
}

std::uint64_t JpegParser::measure(ByteCursor& input)
{
    unsigned char soi[2];
    if (!input.read(soi, sizeof soi) || soi[0] != 0xFF || soi[1] != startOfImage) {
        return 0;
    }
    bool sawScan = false;
    bool haveMarker = false;
    unsigned char marker = 0;
    for (;;) {
        if (!haveMarker) {
            unsigned char byte = 0;
            if (!input.readByte(byte) || byte != 0xFF) {
                return 0;
            }
            do {
                if (!input.readByte(marker)) {
                    return 0;
                }
            } while (marker == 0xFF);
        }
        haveMarker = false;

        if (marker == endOfImage) {
            if (!sawFrame || !sawScan || width < minimumWidth || (height != 0 && height < minimumHeight)) {
                return 0;
            }
            return input.position();
        }
        if (marker == temporary || isRestart(marker)) {
            continue;
        }
        if (marker < 0xC0 || marker == startOfImage) {
            return 0;
        }
        std::uint16_t length = 0;
        if (!input.readBigEndian16(length) || length < 2) {
            return 0;
        }
        if (isStartOfFrame(marker) && !sawFrame) {
            if (!readFrameHeader(input, marker, length)) {
                return 0;
            }
        } else if (marker == startOfScan) {
            unsigned char components = 0;
            if (!sawFrame || length < 3 || !input.readByte(components) || components == 0 || components > 4 ||
                length != 6 + 2 * components || !input.skip(length - 3u)) {
                return 0;
            }
            sawScan = true;
            if (!skipEntropyCodedData(input, marker)) {
                return 0;
            }
            haveMarker = true;
        } else if (!input.skip(length - 2u)) {
            return 0;
        }
    }
}

bool JpegParser::readFrameHeader(ByteCursor& input, unsigned char marker, std::uint16_t length)
{
    unsigned char header[6];
    if (length < 2 + sizeof header || !input.read(header, sizeof header)) {
        return false;
    }
    losslessScans = marker == startOfLosslessFrame;
    height = bigEndian16(header + 1);
    width = bigEndian16(header + 3);
    unsigned components = header[5];
    if (width == 0 || components == 0 || length != 8 + 3 * components) {
        return false;
    }
    sawFrame = true;
    return input.skip(3 * components);
}

bool JpegParser::skipEntropyCodedData(ByteCursor& input, unsigned char& marker)
{
    for (;;) {
        if (!input.skipPast(0xFF)) {
            return false;
        }
        unsigned char next = 0;
        do {
            if (!input.readByte(next)) {
                return false;
            }
        } while (next == 0xFF);
        // A stuffed zero and the restart markers belong to the data; in a JPEG-LS scan so does
        // every byte below 0x80 after 0xFF, whose top bit is the stuffed zero.
        const bool stuffed = losslessScans ? next < 0x80 : next == 0x00;
        if (!stuffed && !isRestart(next)) {
            marker = next;
            return true;
        }
    }
}
