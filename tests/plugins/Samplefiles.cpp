#include "tests/plugins/Samplefiles.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <algorithm>
#include <random>
#include <stdexcept>
#include <string>

namespace {

void put16(Bytes& out, std::uint32_t value)
{
    out.push_back(static_cast<unsigned char>(value));
    out.push_back(static_cast<unsigned char>(value >> 8));
}

void put32(Bytes& out, std::uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

void putText(Bytes& out, const std::string& text)
{
    out.insert(out.end(), text.begin(), text.end());
}

void set32(Bytes& out, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        out[at + i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

// Opens a chunk and returns where its size goes; closeChunk fills it in and pads.
std::size_t openChunk(Bytes& out, const std::string& id)
{
    putText(out, id);
    put32(out, 0);
    return out.size() - 4;
}

void closeChunk(Bytes& out, std::size_t sizeAt)
{
    std::size_t size = out.size() - sizeAt - 4;
    set32(out, sizeAt, static_cast<std::uint32_t>(size));
    if (size % 2 != 0) {
        out.push_back(0);
    }
}

void putChunk(Bytes& out, const std::string& id, const Bytes& data)
{
    std::size_t sizeAt = openChunk(out, id);
    out.insert(out.end(), data.begin(), data.end());
    closeChunk(out, sizeAt);
}

// A picture with smooth areas and noise, so that every encoder has real work to do.
QImage picture(int width, int height, std::uint32_t seed)
{
    std::mt19937 random(seed);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int noise = static_cast<int>(random() % 64);
            image.setPixel(x, y, qRgb((x * 255 / width + noise) % 256, (y * 255 / height + noise) % 256,
                                      (x + y + noise) % 256));
        }
    }
    return image;
}

Bytes encode(const QImage& image, const char* format)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format)) {
        throw std::runtime_error(std::string("Qt cannot write ") + format);
    }
    return Bytes(data.begin(), data.end());
}

}

Bytes SampleFiles::random(std::size_t size, std::uint32_t seed)
{
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (auto& byte : bytes) {
        byte = static_cast<unsigned char>(random());
    }
    return bytes;
}

Bytes SampleFiles::png(int width, int height, std::uint32_t seed)
{
    return encode(picture(width, height, seed), "PNG");
}

Bytes SampleFiles::jpeg(int width, int height, std::uint32_t seed)
{
    return encode(picture(width, height, seed), "JPEG");
}

Bytes SampleFiles::bmp(int width, int height, std::uint32_t seed)
{
    return encode(picture(width, height, seed), "BMP");
}

Bytes SampleFiles::jpegWithThumbnail(int width, int height, std::uint32_t seed, const Bytes& thumbnail,
                                     std::size_t& thumbnailOffset)
{
    Bytes outer = jpeg(width, height, seed);
    Bytes segment = {0xFF, 0xE1, 0, 0};
    putText(segment, std::string("Exif\0\0", 6));
    segment.insert(segment.end(), thumbnail.begin(), thumbnail.end());
    std::size_t length = segment.size() - 2;
    if (length > 0xFFFF) {
        throw std::runtime_error("thumbnail too large for one segment");
    }
    segment[2] = static_cast<unsigned char>(length >> 8);
    segment[3] = static_cast<unsigned char>(length);
    Bytes result(outer.begin(), outer.begin() + 2);
    result.insert(result.end(), segment.begin(), segment.end());
    result.insert(result.end(), outer.begin() + 2, outer.end());
    thumbnailOffset = 2 + 4 + 6;
    return result;
}

// Every pixel is sent as its own 9-bit code, with a clear code before the table would widen the
// codes; any decoder reads that.
Bytes SampleFiles::gif(int width, int height, std::uint32_t seed)
{
    std::mt19937 random(seed);
    Bytes out;
    putText(out, "GIF89a");
    put16(out, static_cast<std::uint32_t>(width));
    put16(out, static_cast<std::uint32_t>(height));
    out.push_back(0xF7);
    out.push_back(0);
    out.push_back(0);
    for (int i = 0; i < 256 * 3; ++i) {
        out.push_back(static_cast<unsigned char>(random()));
    }
    const std::string comment = "glintfetch test image";
    out.insert(out.end(), {0x21, 0xFE, static_cast<unsigned char>(comment.size())});
    putText(out, comment);
    out.push_back(0);
    out.insert(out.end(), {0x21, 0xF9, 4, 0, 0, 0, 0, 0});
    out.push_back(0x2C);
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<std::uint32_t>(width));
    put16(out, static_cast<std::uint32_t>(height));
    out.push_back(0);
    out.push_back(8);

    Bytes data;
    std::uint32_t bits = 0;
    int bitCount = 0;
    auto putCode = [&](unsigned code) {
        bits |= code << bitCount;
        bitCount += 9;
        while (bitCount >= 8) {
            data.push_back(static_cast<unsigned char>(bits));
            bits >>= 8;
            bitCount -= 8;
        }
    };
    const unsigned clearCode = 256;
    int sinceClear = 254;
    for (int i = 0; i < width * height; ++i) {
        if (sinceClear == 254) {
            putCode(clearCode);
            sinceClear = 0;
        }
        putCode(random() % 256);
        ++sinceClear;
    }
    putCode(clearCode + 1);
    if (bitCount > 0) {
        data.push_back(static_cast<unsigned char>(bits));
    }
    for (std::size_t at = 0; at < data.size(); at += 255) {
        std::size_t size = std::min<std::size_t>(255, data.size() - at);
        out.push_back(static_cast<unsigned char>(size));
        out.insert(out.end(), data.begin() + static_cast<long>(at), data.begin() + static_cast<long>(at + size));
    }
    out.push_back(0);
    out.push_back(0x3B);
    return out;
}

Bytes SampleFiles::wav(const Bytes& samples, std::size_t& dataOffset)
{
    Bytes out;
    std::size_t riff = openChunk(out, "RIFF");
    putText(out, "WAVE");
    Bytes format;
    put16(format, 1);
    put16(format, 2);
    put32(format, 44100);
    put32(format, 44100 * 4);
    put16(format, 4);
    put16(format, 16);
    putChunk(out, "fmt ", format);
    // An odd-sized chunk, so that its pad byte is walked over.
    Bytes note;
    putText(note, "glintfe");
    putChunk(out, "JUNK", note);
    std::size_t data = openChunk(out, "data");
    dataOffset = out.size();
    out.insert(out.end(), samples.begin(), samples.end());
    closeChunk(out, data);
    closeChunk(out, riff);
    return out;
}

Bytes SampleFiles::avi(const std::vector<Bytes>& frames, std::vector<std::size_t>& frameOffsets)
{
    const std::uint32_t width = 32;
    const std::uint32_t height = 24;
    std::size_t largest = 0;
    for (const auto& frame : frames) {
        largest = std::max(largest, frame.size());
    }
    Bytes out;
    std::size_t riff = openChunk(out, "RIFF");
    putText(out, "AVI ");

    std::size_t headerList = openChunk(out, "LIST");
    putText(out, "hdrl");
    std::size_t mainHeader = openChunk(out, "avih");
    put32(out, 40000);
    put32(out, static_cast<std::uint32_t>(largest * 25));
    put32(out, 0);
    put32(out, 0x10);
    put32(out, static_cast<std::uint32_t>(frames.size()));
    put32(out, 0);
    put32(out, 1);
    put32(out, static_cast<std::uint32_t>(largest));
    put32(out, width);
    put32(out, height);
    for (int i = 0; i < 4; ++i) {
        put32(out, 0);
    }
    closeChunk(out, mainHeader);
    std::size_t streamList = openChunk(out, "LIST");
    putText(out, "strl");
    std::size_t streamHeader = openChunk(out, "strh");
    putText(out, "vidsDIB ");
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 1);
    put32(out, 25);
    put32(out, 0);
    put32(out, static_cast<std::uint32_t>(frames.size()));
    put32(out, static_cast<std::uint32_t>(largest));
    put32(out, 0xFFFFFFFF);
    put32(out, 0);
    put16(out, 0);
    put16(out, 0);
    put16(out, width);
    put16(out, height);
    closeChunk(out, streamHeader);
    std::size_t streamFormat = openChunk(out, "strf");
    put32(out, 40);
    put32(out, width);
    put32(out, height);
    put16(out, 1);
    put16(out, 24);
    for (int i = 0; i < 6; ++i) {
        put32(out, 0);
    }
    closeChunk(out, streamFormat);
    closeChunk(out, streamList);
    closeChunk(out, headerList);

    std::size_t movieList = openChunk(out, "LIST");
    std::size_t movieStart = out.size();
    putText(out, "movi");
    Bytes index;
    frameOffsets.clear();
    for (const auto& frame : frames) {
        putText(index, "00db");
        put32(index, 0x10);
        put32(index, static_cast<std::uint32_t>(out.size() - movieStart));
        put32(index, static_cast<std::uint32_t>(frame.size()));
        frameOffsets.push_back(out.size() + 8);
        putChunk(out, "00db", frame);
    }
    closeChunk(out, movieList);
    putChunk(out, "idx1", index);
    closeChunk(out, riff);
    return out;
}
