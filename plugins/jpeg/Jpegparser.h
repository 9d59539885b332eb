#pragma once

#include <cstdint>

class ByteCursor;
class SignatureSet;

// A JPEG (JFIF or Exif) or JPEG-LS file: SOI, marker segments, a frame header before the first
// scan, each scan's entropy-coded data with its restart markers, and EOI. Fill bytes (0xFF) may
// pad before any marker. Segments are skipped by their lengths, so a thumbnail
// inside an APP segment does not end the file that holds it.
class JpegParser {
public:
    // SOI and the first byte of the marker that must follow it.
    static constexpr unsigned windowSize = 4;

    // Images narrower or lower than this (in pixels, 0 = any) are not taken.
    JpegParser(std::uint32_t minimumWidth = 0, std::uint32_t minimumHeight = 0);

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);

private:
    bool readFrameHeader(ByteCursor& input, unsigned char marker, std::uint16_t length);
    // Skips entropy-coded data up to the marker that ends it and returns that marker's code.
    bool skipEntropyCodedData(ByteCursor& input, unsigned char& marker);

    std::uint32_t minimumWidth;
    std::uint32_t minimumHeight;
    bool sawFrame = false;
    bool losslessScans = false;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
};
