#include "tests/plugins/Mediafiles.h"

#include "tests/plugins/Samplefiles.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <stdexcept>

namespace {

const std::string picture = "-f lavfi -i testsrc=size=32x24:rate=25:duration=0.4";
const std::string tone = "-f lavfi -i sine=frequency=440:sample_rate=16000:duration=0.4";
const std::string still = "-f lavfi -i testsrc=size=32x24:rate=1:duration=1 -frames:v 1";

struct Recipe {
    const char* name;
    // Arguments to ffmpeg after its inputs, or a whole command when it starts with "!"; OUT is
    // the output file.
    std::string command;
};

const Recipe recipes[] = {
    {"mp4", picture + " " + tone + " -c:v mpeg4 -c:a aac -b:a 16k -f mp4 OUT"},
    {"mov", picture + " " + tone + " -c:v mpeg4 -c:a aac -b:a 16k -f mov OUT"},
    {"3gp", picture + " " + tone + " -c:v mpeg4 -c:a aac -b:a 16k -ar 8000 -f 3gp OUT"},
    {"m4a", tone + " -c:a aac -b:a 16k -f ipod OUT"},
    {"avif", still + " -c:v libaom-av1 -cpu-used 8 -still-picture 1 -f avif OUT"},
    {"mkv", picture + " " + tone + " -c:v mpeg4 -c:a aac -b:a 16k -f matroska OUT"},
    // Written to a pipe, the segment's size stays unknown.
    {"mkv-live", picture + " " + tone + " -c:v mpeg4 -c:a aac -b:a 16k -f matroska - > OUT"},
    {"webm", picture + " " + tone + " -c:v libvpx -deadline realtime -cpu-used 8 -c:a libvorbis -f webm OUT"},
    {"wmv", picture + " " + tone + " -c:v wmv2 -c:a wmav2 -b:a 24k -f asf OUT"},
    {"wma", tone + " -c:a wmav2 -b:a 24k -f asf OUT"},
    {"flv", picture + " " + tone + " -c:v flv -c:a aac -b:a 16k -ar 22050 -f flv OUT"},
    {"mpg", picture + " " + tone + " -c:v mpeg1video -c:a mp2 -ar 32000 -b:a 32k -f mpeg OUT"},
    {"vob", picture + " " + tone + " -c:v mpeg2video -c:a mp2 -ar 48000 -b:a 32k -f vob OUT"},
    {"jp2", still + " -c:v jpeg2000 -format jp2 -f image2 OUT"},
    {"j2k", still + " -c:v jpeg2000 -format j2k -f image2 OUT"},
    {"heic", "!convert-im6.q16 -size 32x24 gradient:red-blue OUT"},
};

TemporaryFolder& workFolder()
{
    static TemporaryFolder folder;
    return folder;
}

Bytes runTool(const Recipe& recipe)
{
    const std::string output = workFolder().file(std::string("sample.") + recipe.name);
    std::string command = recipe.command;
    command.replace(command.find("OUT"), 3, "'" + output + "'");
    if (command[0] == '!') {
        command = command.substr(1);
    } else {
        command = "ffmpeg -nostdin -v error -y " + command;
    }
    if (std::system((command + " 2>/dev/null").c_str()) != 0) {
        throw std::runtime_error("cannot make a sample file: " + command);
    }
    return TemporaryFolder::read(output);
}

void putBig32(Bytes& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<unsigned char>(value >> shift));
    }
}

std::uint32_t big32(const Bytes& bytes, std::size_t at)
{
    return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 | std::uint32_t{bytes[at + 2]} << 8 |
           bytes[at + 3];
}

void setBig32(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<unsigned char>(value >> (24 - 8 * i));
    }
}

Bytes box(const std::string& type, const Bytes& payload)
{
    Bytes out;
    putBig32(out, static_cast<std::uint32_t>(8 + payload.size()));
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

Bytes text(const std::string& value)
{
    return Bytes(value.begin(), value.end());
}

Bytes join(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

std::size_t find(const Bytes& bytes, const std::string& what, std::size_t from = 0)
{
    auto at = std::search(bytes.begin() + static_cast<long>(from), bytes.end(), what.begin(), what.end(),
                          [](unsigned char a, char b) { return a == static_cast<unsigned char>(b); });
    if (at == bytes.end()) {
        throw std::runtime_error("no " + what + " in a sample");
    }
    return static_cast<std::size_t>(at - bytes.begin());
}

// The QuickTime file as the first QuickTime versions wrote it: no ftyp, the chunk offsets of its
// tracks counted from the wide box that now starts the file.
Bytes bareMovie(const Bytes& movie)
{
    const std::size_t skipped = big32(movie, 0);
    Bytes out(movie.begin() + static_cast<long>(skipped), movie.end());
    for (std::size_t at = find(out, "stco"); ; at = find(out, "stco", at + 4)) {
        const std::uint32_t entries = big32(out, at + 8);
        for (std::uint32_t i = 0; i < entries; ++i) {
            const std::size_t entry = at + 12 + 4 * i;
            setBig32(out, entry, big32(out, entry) - static_cast<std::uint32_t>(skipped));
        }
        const std::string type = "stco";
        if (std::search(out.begin() + static_cast<long>(at + 4), out.end(), type.begin(), type.end()) == out.end()) {
            break;
        }
    }
    return out;
}

// A movie with the boxes a Canon camera writes around it: Canon's own uuid box first in the
// movie, then XMP and a preview in uuid boxes of their own, then the media data.
Bytes canonRaw(const Bytes& preview, std::size_t& previewOffset)
{
    const Bytes canonUuid = {0x85, 0xC0, 0xB6, 0x87, 0x82, 0x0F, 0x11, 0xE0,
                             0x81, 0x11, 0xF4, 0xCE, 0x46, 0x2B, 0x6A, 0x48};
    const Bytes xmpUuid = {0xBE, 0x7A, 0xCF, 0xCB, 0x97, 0xA9, 0x42, 0xE8,
                           0x9C, 0x71, 0x99, 0x94, 0x91, 0xE3, 0xAF, 0xAC};
    const Bytes previewUuid = {0xEA, 0xF4, 0x2B, 0x5E, 0x1C, 0x98, 0x4B, 0x88,
                               0xB9, 0xFB, 0xB7, 0xDC, 0x40, 0x6E, 0x4D, 0x16};
    Bytes fileType = box("ftyp", join({text("crx "), Bytes{0, 0, 0, 1}, text("crx isom")}));
    Bytes header(100, 0);
    setBig32(header, 12, 1000);
    setBig32(header, 20, 0x00010000);
    header[24] = 1;
    setBig32(header, 96, 2);
    Bytes movie = box("moov", join({box("uuid", join({canonUuid, box("CNCV", text("CanonCR3_001/00.09.00/00.00.00"))})),
                                    box("mvhd", header)}));
    Bytes xmp = box("uuid", join({xmpUuid, text("<x:xmpmeta xmlns:x='adobe:ns:meta/'></x:xmpmeta>")}));
    Bytes previewBox = box("uuid", join({previewUuid, Bytes(8, 0), box("PRVW", join({Bytes(12, 0), preview}))}));
    Bytes media = box("mdat", SampleFiles::random(777, 17));
    Bytes out = join({fileType, movie, xmp, previewBox, media});
    previewOffset = fileType.size() + movie.size() + xmp.size() + 8 + 16 + 8 + 8 + 12;
    return out;
}

// The stream of a WMA file turned into a command stream: an ASF file with neither sound nor picture.
Bytes plainAsf(Bytes sound)
{
    const std::string audio("\x40\x9E\x69\xF8\x4D\x5B\xCF\x11\xA8\xFD\x00\x80\x5F\x5C\x44\x2B", 16);
    const unsigned char command[16] = {0xC0, 0xCF, 0xDA, 0x59, 0xE6, 0x59, 0xD0, 0x11,
                                       0xA3, 0xAC, 0x00, 0xA0, 0xC9, 0x03, 0x48, 0xF6};
    std::copy(command, command + 16, sound.begin() + static_cast<long>(find(sound, audio)));
    return sound;
}

Bytes make(const std::string& name)
{
    if (name == "mov-bare") {
        return bareMovie(MediaFiles::get("mov"));
    }
    if (name == "cr3") {
        std::size_t ignored = 0;
        return canonRaw(SampleFiles::random(300, 3), ignored);
    }
    if (name == "asf") {
        return plainAsf(MediaFiles::get("wma"));
    }
    if (name == "mkv-attached") {
        const std::string inner = workFolder().write("attached.mp4", MediaFiles::get("mp4"));
        Recipe recipe{"mkv-attached", picture + " -c:v mpeg4 -attach '" + inner +
                                          "' -metadata:s:t mimetype=video/mp4 -f matroska OUT"};
        return runTool(recipe);
    }
    for (const Recipe& recipe : recipes) {
        if (name == recipe.name) {
            return runTool(recipe);
        }
    }
    throw std::runtime_error("no sample file named " + name);
}

}

const Bytes& MediaFiles::get(const std::string& name)
{
    static std::map<std::string, Bytes> made;
    auto found = made.find(name);
    if (found == made.end()) {
        found = made.emplace(name, make(name)).first;
    }
    return found->second;
}

const std::vector<std::string>& MediaFiles::names()
{
    static const std::vector<std::string> all = {"mp4", "mov", "3gp", "m4a", "heic", "avif", "cr3",
                                                 "mov-bare", "mkv", "mkv-live", "webm", "wmv", "wma", "asf",
                                                 "flv", "mpg", "vob", "jp2", "j2k", "mkv-attached"};
    return all;
}

Bytes MediaFiles::cr3WithPreview(const Bytes& preview, std::size_t& previewOffset)
{
    return canonRaw(preview, previewOffset);
}
