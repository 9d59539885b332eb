#include "tests/plugins/Soundsamples.h"

#include "tests/plugins/Toolfiles.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const std::string tone = "-f lavfi -i sine=f=440:d=0.3:sample_rate=8000";
const std::string ffmpeg = "ffmpeg -v error -nostdin -y -bitexact ";

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

void put64(Bytes& out, std::uint64_t value)
{
    put32(out, static_cast<std::uint32_t>(value));
    put32(out, static_cast<std::uint32_t>(value >> 32));
}

void putBig16(Bytes& out, std::uint32_t value)
{
    out.push_back(static_cast<unsigned char>(value >> 8));
    out.push_back(static_cast<unsigned char>(value));
}

void putBig32(Bytes& out, std::uint32_t value)
{
    putBig16(out, value >> 16);
    putBig16(out, value & 0xFFFF);
}

void putText(Bytes& out, const std::string& text)
{
    out.insert(out.end(), text.begin(), text.end());
}

void putChunk(Bytes& out, const std::string& id, const Bytes& data, bool pad = true)
{
    putText(out, id);
    put32(out, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    if (pad && data.size() % 2 != 0) {
        out.push_back(0);
    }
}

void set32(Bytes& out, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        out[at + i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

// 16-bit mono PCM at 8 kHz.
Bytes pcmFormat(std::size_t length = 16)
{
    Bytes format;
    put16(format, 1);
    put16(format, 1);
    put32(format, 8000);
    put32(format, 16000);
    put16(format, 2);
    if (length >= 16) {
        put16(format, 16);
    }
    return format;
}

Bytes png(bool alpha, std::uint32_t seed)
{
    QImage image(40, 30, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, qRgba((x * 6 + static_cast<int>(seed)) % 256, y * 8, (x + y) * 3,
                                       alpha ? (x * 6) % 256 : 255));
        }
    }
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return Bytes(data.begin(), data.end());
}

void putVariableLength(Bytes& out, std::uint32_t value)
{
    unsigned char groups[5];
    int count = 0;
    do {
        groups[count++] = static_cast<unsigned char>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1) {
        out.push_back(groups[--count] | 0x80);
    }
    out.push_back(groups[0]);
}

}

Bytes SoundSamples::soxWav()
{
    return ToolFiles::make("sox -n -r 8000 -c 1 -b 16 -t wav {out} synth 0.2 sine 440");
}

Bytes SoundSamples::soxFloatWav()
{
    return ToolFiles::make("sox -n -r 8000 -c 2 -e floating-point -b 32 -t wav {out} synth 0.1 sine 440");
}

Bytes SoundSamples::ffmpegStreamedWav()
{
    return ToolFiles::make(ffmpeg + tone + " -f wav pipe:1 > {out}");
}

Bytes SoundSamples::ffmpegRf64Wav()
{
    return ToolFiles::make(ffmpeg + tone + " -rf64 always -f wav {out}");
}

Bytes SoundSamples::largeWav(const char* tag, const Bytes& samples)
{
    Bytes out;
    putText(out, tag);
    put32(out, 0xFFFFFFFF);
    putText(out, "WAVE");
    Bytes sizes;
    std::uint64_t formSize = 4 + (8 + 28) + (8 + 16) + (8 + samples.size() + samples.size() % 2);
    put64(sizes, formSize);
    put64(sizes, samples.size());
    put64(sizes, samples.size() / 2);
    put32(sizes, 0);
    putChunk(out, "ds64", sizes);
    putChunk(out, "fmt ", pcmFormat());
    putText(out, "data");
    put32(out, 0xFFFFFFFF);
    out.insert(out.end(), samples.begin(), samples.end());
    if (samples.size() % 2 != 0) {
        out.push_back(0);
    }
    return out;
}

Bytes SoundSamples::unfinishedWavWithSizedChunks(const Bytes& samples)
{
    Bytes out;
    putText(out, "RIFF");
    put32(out, 0);
    putText(out, "WAVE");
    putChunk(out, "fmt ", pcmFormat());
    putChunk(out, "data", samples);
    Bytes note;
    putText(note, "INFOICMT");
    put32(note, 5);
    putText(note, "note");
    note.push_back(0);
    putChunk(out, "LIST", note, false);
    return out;
}

Bytes SoundSamples::wavWithoutPadByte(const Bytes& samples)
{
    Bytes out;
    putText(out, "RIFF");
    put32(out, 0);
    putText(out, "WAVE");
    putChunk(out, "fmt ", pcmFormat());
    Bytes odd;
    putText(odd, "glint");
    putChunk(out, "JUNK", odd, false);
    putChunk(out, "data", samples);
    set32(out, 4, static_cast<std::uint32_t>(out.size() - 8));
    return out;
}

Bytes SoundSamples::wavWithShortFormat(const Bytes& samples)
{
    Bytes out;
    putText(out, "RIFF");
    put32(out, 0);
    putText(out, "WAVE");
    putChunk(out, "fmt ", pcmFormat(14));
    putChunk(out, "data", samples);
    set32(out, 4, static_cast<std::uint32_t>(out.size() - 8));
    return out;
}

Bytes SoundSamples::ffmpegAvi()
{
    return ToolFiles::make(ffmpeg + "-f lavfi -i testsrc=size=32x24:rate=5:duration=0.6 -c:v rawvideo -pix_fmt bgr24 -f avi {out}");
}

Bytes SoundSamples::ffmpegStreamedAvi()
{
    return ToolFiles::make(ffmpeg + "-f lavfi -i testsrc=size=32x24:rate=5:duration=0.6 -c:v rawvideo -pix_fmt bgr24 -f avi pipe:1 > {out}");
}

Bytes SoundSamples::aviWithJunkFirst()
{
    Bytes avi = ffmpegAvi();
    Bytes junk;
    putChunk(junk, "JUNK", Bytes(13, 0), true);
    avi.insert(avi.begin() + 12, junk.begin(), junk.end());
    set32(avi, 4, static_cast<std::uint32_t>(avi.size() - 8));
    return avi;
}

Bytes SoundSamples::webpLossy()
{
    return ToolFiles::make("cwebp -quiet -q 60 {in} -o {out}", png(false, 1));
}

Bytes SoundSamples::webpLossless()
{
    return ToolFiles::make("cwebp -quiet -lossless {in} -o {out}", png(false, 2));
}

Bytes SoundSamples::webpWithAlpha()
{
    return ToolFiles::make("cwebp -quiet -q 60 -alpha_q 80 {in} -o {out}", png(true, 3));
}

Bytes SoundSamples::webpAnimated()
{
    return ToolFiles::make("convert {in} -negate second.png && "
                           "img2webp -loop 0 -d 100 -lossy {in} -d 100 -lossless second.png -o {out}",
                           png(false, 4));
}

Bytes SoundSamples::webpWithMetadata()
{
    return ToolFiles::make("cwebp -quiet -q 50 {in} -o plain.webp && printf 'Exif\\0\\0II*\\0\\10\\0\\0\\0\\0\\0' > exif && "
                           "head -c 201 /dev/zero | tr '\\0' 'c' > icc && printf '<x:xmpmeta/>' > xmp && "
                           "webpmux -set exif exif plain.webp -o a.webp && webpmux -set icc icc a.webp -o b.webp && "
                           "webpmux -set xmp xmp b.webp -o {out}",
                           png(false, 5));
}

Bytes SoundSamples::soxAiff()
{
    return ToolFiles::make("sox -n -r 8000 -c 1 -b 16 -t aiff {out} synth 0.2 sine 440");
}

Bytes SoundSamples::ffmpegAiff()
{
    return ToolFiles::make(ffmpeg + tone + " -metadata title=Glint -write_id3v2 1 -f aiff {out}");
}

Bytes SoundSamples::soxAifc()
{
    return ToolFiles::make("sox -n -r 8000 -c 1 -e u-law -t aifc {out} synth 0.2 sine 440");
}

Bytes SoundSamples::midi(int tracks, std::uint32_t seed)
{
    Bytes out;
    putText(out, "MThd");
    putBig32(out, 6);
    putBig16(out, 1);
    putBig16(out, static_cast<std::uint32_t>(tracks));
    putBig16(out, 96);
    for (int track = 0; track < tracks; ++track) {
        Bytes events;
        if (track == 0) {
            // Tempo: 500000 microseconds a quarter note.
            events.insert(events.end(), {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});
        }
        for (std::uint32_t note = 0; note < 3 + seed % 4; ++note) {
            unsigned char pitch = static_cast<unsigned char>(60 + (seed + note * 7 + static_cast<unsigned>(track)) % 24);
            putVariableLength(events, note == 0 ? 0 : 200 + note);
            events.insert(events.end(), {static_cast<unsigned char>(0x90 | track), pitch, 0x40});
            putVariableLength(events, 96);
            events.insert(events.end(), {static_cast<unsigned char>(0x80 | track), pitch, 0x00});
        }
        events.insert(events.end(), {0x00, 0xFF, 0x2F, 0x00});
        putText(out, "MTrk");
        putBig32(out, static_cast<std::uint32_t>(events.size()));
        out.insert(out.end(), events.begin(), events.end());
    }
    return out;
}

Bytes SoundSamples::oggVorbis()
{
    return ToolFiles::make(ffmpeg + tone + " -c:a libvorbis -f ogg {out}");
}

Bytes SoundSamples::oggOpus()
{
    return ToolFiles::make(ffmpeg + tone + " -c:a libopus -b:a 16k -f ogg {out}");
}

Bytes SoundSamples::oggFlac()
{
    return ToolFiles::make(ffmpeg + tone + " -c:a flac -f ogg {out}");
}

Bytes SoundSamples::oggMultiplexed()
{
    return ToolFiles::make(ffmpeg + tone + " -f lavfi -i sine=f=660:d=0.4:sample_rate=8000 -map 0 -map 1 "
                                           "-c:a libvorbis -f ogg {out}");
}

Bytes SoundSamples::soxFlac()
{
    return ToolFiles::make("sox -n -r 8000 -c 1 -b 16 -t flac {out} synth 0.3 sine 440");
}

Bytes SoundSamples::ffmpegFlac()
{
    return ToolFiles::make(ffmpeg + "-f lavfi -i sine=f=440:d=0.3:sample_rate=11025 -ac 2 -c:a flac -f flac {out}");
}

Bytes SoundSamples::mp3WithTags()
{
    return ToolFiles::make(ffmpeg + "-f lavfi -i sine=f=440:d=0.4:sample_rate=44100 -c:a libmp3lame -b:a 64k "
                                    "-metadata title=Glint -id3v2_version 3 -write_id3v1 1 -f mp3 {out}");
}

Bytes SoundSamples::mp3Bare()
{
    return ToolFiles::make(ffmpeg + "-f lavfi -i sine=f=440:d=0.4:sample_rate=22050 -c:a libmp3lame -b:a 32k "
                                    "-write_xing 0 -id3v2_version 0 -f mp3 {out}");
}

Bytes SoundSamples::mp2()
{
    return ToolFiles::make(ffmpeg + "-f lavfi -i sine=f=440:d=0.4:sample_rate=32000 -c:a mp2 -b:a 64k "
                                    "-id3v2_version 0 -f mp2 {out}");
}
