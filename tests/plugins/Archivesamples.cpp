#include "tests/plugins/Archivesamples.h"

#include "tests/plugins/Samplefiles.h"

#include <array>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace {

// Content that compresses: text lines, with random bytes between them.
Bytes content(std::uint32_t seed, std::size_t lines)
{
    Bytes out;
    Bytes noise = SampleFiles::random(lines * 7, seed);
    for (std::size_t i = 0; i < lines; ++i) {
        std::string line = "line " + std::to_string(i * seed % 1000) + " of the sample content\n";
        out.insert(out.end(), line.begin(), line.end());
        out.insert(out.end(), noise.begin() + static_cast<long>(i * 7), noise.begin() + static_cast<long>(i * 7 + 7));
    }
    return out;
}

std::uint32_t crc32Of(const Bytes& data, std::size_t from = 0, std::size_t to = SIZE_MAX)
{
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = from; i < data.size() && i < to; ++i) {
        c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    }
    return c ^ 0xFFFFFFFFu;
}

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

void putVint(Bytes& out, std::uint64_t value)
{
    do {
        unsigned char byte = value & 0x7F;
        value >>= 7;
        out.push_back(static_cast<unsigned char>(byte | (value != 0 ? 0x80 : 0)));
    } while (value != 0);
}

// RAR 4: a block is its CRC (the low 16 bits of the CRC-32 of the rest of the header), type,
// flags and header size, then the rest of the header, then ADD_SIZE bytes of data.
void putRar4Block(Bytes& out, unsigned char type, std::uint16_t flags, const Bytes& rest, const Bytes& data)
{
    Bytes header;
    header.push_back(type);
    put16(header, flags);
    put16(header, static_cast<std::uint32_t>(7 + rest.size()));
    header.insert(header.end(), rest.begin(), rest.end());
    put16(out, crc32Of(header) & 0xFFFF);
    out.insert(out.end(), header.begin(), header.end());
    out.insert(out.end(), data.begin(), data.end());
}

// RAR 5: the CRC-32 of the header size and header, the header size, the header (type, flags,
// the data size when there is data, the type's own fields), then the data.
void putRar5Block(Bytes& out, std::uint64_t type, std::uint64_t flags, const Bytes& fields, const Bytes& data)
{
    Bytes header;
    putVint(header, type);
    putVint(header, flags | (data.empty() ? 0 : 0x0002));
    if (!data.empty()) {
        putVint(header, data.size());
    }
    header.insert(header.end(), fields.begin(), fields.end());
    Bytes sized;
    putVint(sized, header.size());
    sized.insert(sized.end(), header.begin(), header.end());
    put32(out, crc32Of(sized));
    out.insert(out.end(), sized.begin(), sized.end());
    out.insert(out.end(), data.begin(), data.end());
}

}

ArchiveSamples::ArchiveSamples(std::uint32_t seed) : seed(seed)
{
    addFile("notes.txt", content(seed, 40));
    addFile("data.bin", SampleFiles::random(300 + seed % 50, seed + 1));
    addFile("more.txt", content(seed + 2, 90));
}

const std::vector<std::string>& ArchiveSamples::names() const
{
    return files;
}

void ArchiveSamples::addFile(const std::string& name, const Bytes& data)
{
    folder.write(name, data);
    files.push_back(name);
}

Bytes ArchiveSamples::make(const std::string& command, const std::string& output) const
{
    std::filesystem::remove(folder.file(output));
    std::string line = "cd '" + folder.path().string() + "' && (" + command + ") >/dev/null 2>&1";
    if (std::system(line.c_str()) != 0) {
        throw std::runtime_error("failed: " + command);
    }
    return TemporaryFolder::read(folder.file(output));
}

namespace {
std::string joined(const std::vector<std::string>& names)
{
    std::string out;
    for (const std::string& name : names) {
        out += " " + name;
    }
    return out;
}
}

Bytes ArchiveSamples::zip(const std::string& options) const
{
    return make("zip -q -X " + options + " out.zip" + joined(files), "out.zip");
}

Bytes ArchiveSamples::streamedZip() const
{
    return make("zip -q -X - " + joined(files) + " | cat > out.zip", "out.zip");
}

Bytes ArchiveSamples::zip64() const
{
    return make("zip -q -X -fz out.zip" + joined(files), "out.zip");
}

Bytes ArchiveSamples::pythonZip64() const
{
    std::string script = "import zipfile\n"
                         "with zipfile.ZipFile('out.zip', 'w', zipfile.ZIP_DEFLATED) as z:\n"
                         "    for name in " + [this] {
                             std::string list = "[";
                             for (const std::string& name : files) {
                                 list += "'" + name + "',";
                             }
                             return list + "]";
                         }() + ":\n"
                         "        with open(name, 'rb') as f, z.open(name, 'w', force_zip64=True) as e:\n"
                         "            e.write(f.read())\n";
    folder.write("make.py", Bytes(script.begin(), script.end()));
    return make("python3 make.py", "out.zip");
}

Bytes ArchiveSamples::gzip(const std::string& options) const
{
    return make("gzip -c " + options + " " + files.front() + " > out.gz", "out.gz");
}

Bytes ArchiveSamples::bzip2() const
{
    return make("cat" + joined(files) + " | bzip2 -c > out.bz2", "out.bz2");
}

Bytes ArchiveSamples::xz(const std::string& options) const
{
    return make("cat" + joined(files) + " | xz -c " + options + " > out.xz", "out.xz");
}

Bytes ArchiveSamples::sevenZip(const std::string& options) const
{
    return make("7z a -bd -y " + options + " out.7z" + joined(files), "out.7z");
}

Bytes ArchiveSamples::tar(const std::string& format) const
{
    return make("tar --format=" + format + " --mtime=@" + std::to_string(1000000 + seed) +
                    " --owner=0 --group=0 -cf out.tar" + joined(files),
                "out.tar");
}

Bytes ArchiveSamples::document(const std::string& kind) const
{
    // Each layout as its usual writers lay it out: the first entries, then the parts that name
    // the kind, then the content files.
    std::string entries;
    if (kind == "docx" || kind == "xlsx" || kind == "pptx") {
        std::string part = kind == "docx" ? "word/document.xml" : kind == "xlsx" ? "xl/workbook.xml" : "ppt/presentation.xml";
        entries = "z.writestr('[Content_Types].xml', '<?xml version=\"1.0\"?><Types/>', zipfile.ZIP_DEFLATED)\n"
                  "z.writestr('_rels/.rels', '<?xml version=\"1.0\"?><Relationships/>', zipfile.ZIP_DEFLATED)\n"
                  "z.writestr('" + part + "', '<?xml version=\"1.0\"?><root/>' * 20, zipfile.ZIP_DEFLATED)\n";
    } else if (kind == "odt" || kind == "ods" || kind == "odp" || kind == "epub") {
        std::string type = kind == "epub" ? "application/epub+zip"
                                          : "application/vnd.oasis.opendocument." +
                                                std::string(kind == "odt" ? "text" : kind == "ods" ? "spreadsheet" : "presentation");
        entries = "z.writestr('mimetype', '" + type + "', zipfile.ZIP_STORED)\n";
        entries += kind == "epub" ? "z.writestr('META-INF/container.xml', '<container/>', zipfile.ZIP_DEFLATED)\n"
                                  : "z.writestr('content.xml', '<office:document-content/>' * 10, zipfile.ZIP_DEFLATED)\n"
                                    "z.writestr('META-INF/manifest.xml', '<manifest/>', zipfile.ZIP_DEFLATED)\n";
    } else if (kind == "jar" || kind == "apk") {
        if (kind == "apk") {
            entries = "z.writestr('AndroidManifest.xml', b'\\x03\\x00\\x08\\x00' * 30, zipfile.ZIP_DEFLATED)\n"
                      "z.writestr('classes.dex', b'dex\\n035\\x00' * 40, zipfile.ZIP_DEFLATED)\n"
                      "z.writestr('META-INF/MANIFEST.MF', 'Manifest-Version: 1.0\\r\\n', zipfile.ZIP_DEFLATED)\n";
        } else {
            entries = "z.writestr('META-INF/', '')\n"
                      "z.writestr('META-INF/MANIFEST.MF', 'Manifest-Version: 1.0\\r\\nCreated-By: test\\r\\n', zipfile.ZIP_DEFLATED)\n"
                      "z.writestr('sample/Main.class', b'\\xca\\xfe\\xba\\xbe' * 50, zipfile.ZIP_DEFLATED)\n";
        }
    } else {
        throw std::runtime_error("no layout for " + kind);
    }
    std::string script = "import zipfile\n"
                         "with zipfile.ZipFile('out." + kind + "', 'w') as z:\n";
    std::string body = entries;
    for (const std::string& name : files) {
        body += "z.write('" + name + "', 'files/" + name + "', zipfile.ZIP_DEFLATED)\n";
    }
    std::size_t at = 0;
    while (at < body.size()) {
        std::size_t end = body.find('\n', at);
        script += "    " + body.substr(at, end + 1 - at);
        at = end + 1;
    }
    folder.write("make.py", Bytes(script.begin(), script.end()));
    return make("python3 make.py", "out." + kind);
}

Bytes ArchiveSamples::signedApk() const
{
    Bytes apk = document("apk");
    std::size_t end = apk.size() - 22;
    if (apk[end] != 'P' || apk[end + 1] != 'K' || apk[end + 2] != 5 || apk[end + 3] != 6) {
        throw std::runtime_error("the package has a comment");
    }
    std::size_t central = apk[end + 16] | apk[end + 17] << 8 | apk[end + 18] << 16 |
                          static_cast<std::size_t>(apk[end + 19]) << 24;
    Bytes value = SampleFiles::random(200, seed);
    Bytes pairs;
    put32(pairs, static_cast<std::uint32_t>(4 + value.size()));
    put32(pairs, 0);
    put32(pairs, 0x7109871a);  // the v2 signature's ID
    pairs.insert(pairs.end(), value.begin(), value.end());
    const std::uint64_t size = pairs.size() + 8 + 16;
    Bytes block;
    put32(block, static_cast<std::uint32_t>(size));
    put32(block, 0);
    block.insert(block.end(), pairs.begin(), pairs.end());
    put32(block, static_cast<std::uint32_t>(size));
    put32(block, 0);
    putText(block, "APK Sig Block 42");
    apk.insert(apk.begin() + static_cast<long>(central), block.begin(), block.end());
    end += block.size();
    const std::size_t moved = central + block.size();
    for (int i = 0; i < 4; ++i) {
        apk[end + 16 + i] = static_cast<unsigned char>(moved >> (8 * i));
    }
    return apk;
}

Bytes ArchiveSamples::rar4() const
{
    Bytes out = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x00};
    // Main archive header: two reserved fields.
    putRar4Block(out, 0x73, 0x0000, Bytes(6, 0), Bytes());
    for (const std::string& name : files) {
        Bytes data = TemporaryFolder::read(folder.file(name));
        Bytes rest;
        put32(rest, static_cast<std::uint32_t>(data.size()));  // PACK_SIZE
        put32(rest, static_cast<std::uint32_t>(data.size()));  // UNP_SIZE
        rest.push_back(3);                                     // HOST_OS: Unix
        put32(rest, crc32Of(data));                            // FILE_CRC
        put32(rest, 0x5A8E3100);                               // FTIME
        rest.push_back(29);                                    // UNP_VER
        rest.push_back(0x30);                                  // METHOD: store
        put16(rest, static_cast<std::uint32_t>(name.size()));  // NAME_SIZE
        put32(rest, 0x81A4);                                   // ATTR
        putText(rest, name);
        putRar4Block(out, 0x74, 0x8000, rest, data);
    }
    putRar4Block(out, 0x7B, 0x4000, Bytes(), Bytes());
    return out;
}

Bytes ArchiveSamples::rar5() const
{
    Bytes out = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x01, 0x00};
    Bytes mainFields;
    putVint(mainFields, 0);  // archive flags
    putRar5Block(out, 1, 0, mainFields, Bytes());
    for (const std::string& name : files) {
        Bytes data = TemporaryFolder::read(folder.file(name));
        Bytes fields;
        putVint(fields, 0x0004);       // file flags: CRC32 present
        putVint(fields, data.size());  // unpacked size
        putVint(fields, 0x1A4);        // attributes
        put32(fields, crc32Of(data));  // data CRC32
        putVint(fields, 0);            // compression: version 0, stored
        putVint(fields, 1);            // host OS: Unix
        putVint(fields, name.size());
        putText(fields, name);
        putRar5Block(out, 2, 0, fields, data);
    }
    Bytes endFields;
    putVint(endFields, 0);  // end of archive flags
    putRar5Block(out, 5, 0, endFields, Bytes());
    return out;
}
