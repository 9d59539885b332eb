#include "tests/plugins/Documentfiles.h"

#include <QBuffer>
#include <QByteArray>
#include <QFont>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>

#include <sys/wait.h>

namespace {

void put16(Bytes& out, std::size_t at, std::uint32_t value)
{
    out[at] = static_cast<unsigned char>(value);
    out[at + 1] = static_cast<unsigned char>(value >> 8);
}

void put32(Bytes& out, std::size_t at, std::uint32_t value)
{
    put16(out, at, value & 0xFFFF);
    put16(out, at + 2, value >> 16);
}

std::uint32_t get32(const Bytes& in, std::size_t at)
{
    return in[at] | in[at + 1] << 8 | in[at + 2] << 16 | static_cast<std::uint32_t>(in[at + 3]) << 24;
}

void append(Bytes& out, const std::string& text)
{
    out.insert(out.end(), text.begin(), text.end());
}

std::string text(const Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// A C source whose table of random bytes makes every build's data of its own.
std::string program(std::uint32_t seed, bool withMain)
{
    std::mt19937 random(seed);
    std::string source = "static const unsigned char table[] = {";
    for (int i = 0; i < 600; ++i) {
        source += std::to_string(random() % 256) + ",";
    }
    source += "};\nint counter = 3;\n"
              "int start(void) { int s = counter; for (unsigned i = 0; i < sizeof table; ++i) s += table[i]; "
              "return s; }\n";
    if (withMain) {
        source += "int main(void) { return start() & 1; }\n";
    }
    return source;
}

// The integer that follows the last occurrence of key in text.
std::uint64_t lastNumberAfter(const std::string& text, const std::string& key, std::size_t before)
{
    const std::size_t at = text.rfind(key, before);
    if (at == std::string::npos) {
        throw std::runtime_error("no " + key + " in the PDF");
    }
    return std::stoull(text.substr(at + key.size(), 24));
}

}

void DocumentFiles::run(const std::string& command)
{
    if (std::system(command.c_str()) != 0) {
        throw std::runtime_error("failed: " + command);
    }
}

std::string DocumentFiles::write(const std::string& name, const std::string& content) const
{
    return folder.write(name, Bytes(content.begin(), content.end()));
}

Bytes DocumentFiles::sqlite(int rows, int pageSize, bool withFreePages)
{
    const std::string database = folder.file("sample" + std::to_string(pageSize) + ".sqlite");
    std::remove(database.c_str());
    std::string script = "PRAGMA page_size=" + std::to_string(pageSize) + ";\n"
                         "CREATE TABLE note(id INTEGER PRIMARY KEY, body TEXT);\n"
                         "CREATE INDEX note_body ON note(body);\n"
                         "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                         std::to_string(rows) + ")\n"
                         "INSERT INTO note(body) SELECT hex(randomblob(60)) FROM n;\n";
    if (withFreePages) {
        script += "DELETE FROM note WHERE id % 3 = 0;\n";
    }
    const std::string scriptPath = write("script.sql", script);
    run("sqlite3 '" + database + "' < '" + scriptPath + "'");
    return TemporaryFolder::read(database);
}

Bytes DocumentFiles::compileAndLink(const std::string& name, const std::string& compile, const std::string& link)
{
    const std::string output = folder.file(name);
    run(compile);
    run(link + " -o '" + output + "'");
    return TemporaryFolder::read(output);
}

Bytes DocumentFiles::elfObject()
{
    const std::string source = write("object.c", program(1, false));
    const std::string object = folder.file("object.o");
    run("gcc -c -O1 '" + source + "' -o '" + object + "'");
    return TemporaryFolder::read(object);
}

Bytes DocumentFiles::elfExecutable()
{
    const std::string source = write("program.c", program(2, true));
    return compileAndLink("program", "true", "gcc -O1 '" + source + "'");
}

Bytes DocumentFiles::elf32Executable()
{
    const std::string source = write("program32.c", program(3, false));
    const std::string object = folder.file("program32.o");
    return compileAndLink("program32",
                          "gcc -m32 -fno-pic -ffreestanding -O1 -c '" + source + "' -o '" + object + "'",
                          "ld -m elf_i386 -e start '" + object + "'");
}

Bytes DocumentFiles::elfBigEndian(bool wide, const Bytes& data)
{
    const std::string blob = folder.write("blob.bin", data);
    const std::string object = folder.file(wide ? "big64.o" : "big32.o");
    run(std::string("objcopy -I binary -O ") + (wide ? "elf64-big" : "elf32-big") + " '" + blob + "' '" + object +
        "'");
    return TemporaryFolder::read(object);
}

Bytes DocumentFiles::pe(bool wide, bool stripped)
{
    const std::string stem = std::string(wide ? "image64" : "image32") + (stripped ? "s" : "");
    const std::string source = write(stem + ".c", program(wide ? 4 : 5, false));
    const std::string object = folder.file(stem + ".o");
    const std::string compile = wide ? "gcc -fPIE" : "gcc -m32 -fno-pic";
    return compileAndLink(stem + ".exe",
                          compile + " -ffreestanding -fno-asynchronous-unwind-tables -fno-ident -O1 -c '" + source +
                              "' -o '" + object + "'",
                          std::string("ld -m ") + (wide ? "i386pep" : "i386pe") + " -e start --subsystem console " +
                              (stripped ? "-s " : "") + "'" + object + "'");
}

Bytes DocumentFiles::withCertificate(Bytes image, const Bytes& certificate)
{
    const std::uint32_t newHeader = get32(image, 0x3C);
    const std::size_t optional = newHeader + 24;
    const bool wide = image[optional] == 0x0B && image[optional + 1] == 0x02;
    const std::size_t directories = optional + (wide ? 112 : 96);
    while (image.size() % 8 != 0) {
        image.push_back(0);
    }
    const std::size_t table = image.size();
    // WIN_CERTIFICATE: its length, revision 2.0, PKCS#7 signed data, then the certificate.
    Bytes entry(8);
    put32(entry, 0, static_cast<std::uint32_t>(8 + certificate.size()));
    put16(entry, 4, 0x0200);
    put16(entry, 6, 0x0002);
    entry.insert(entry.end(), certificate.begin(), certificate.end());
    while (entry.size() % 8 != 0) {
        entry.push_back(0);
    }
    image.insert(image.end(), entry.begin(), entry.end());
    put32(image, directories + 4 * 8, static_cast<std::uint32_t>(table));
    put32(image, directories + 4 * 8 + 4, static_cast<std::uint32_t>(entry.size()));
    return image;
}

Bytes DocumentFiles::qtPdf(int pages, std::uint32_t seed)
{
    std::mt19937 random(seed);
    QByteArray data;
    {
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A6));
        writer.setTitle(QString("glintfetch %1").arg(seed));
        QPainter painter(&writer);
        for (int page = 0; page < pages; ++page) {
            if (page > 0) {
                writer.newPage();
            }
            painter.drawText(100, 200, QString("page %1 of sample %2: %3").arg(page).arg(seed).arg(random()));
            painter.drawLine(0, 0, static_cast<int>(random() % 1000), static_cast<int>(random() % 1000));
        }
    }
    return Bytes(data.begin(), data.end());
}

Bytes DocumentFiles::qpdf(const Bytes& pdf, const std::string& options)
{
    const std::string input = folder.write("qpdf-in.pdf", pdf);
    const std::string output = folder.file("qpdf-out.pdf");
    // Status 3 means warnings only.
    const int status = std::system(("qpdf " + options + " '" + input + "' '" + output + "'").c_str());
    if (status != 0 && !(WIFEXITED(status) && WEXITSTATUS(status) == 3)) {
        throw std::runtime_error("qpdf " + options + " failed");
    }
    return TemporaryFolder::read(output);
}

Bytes DocumentFiles::withUpdate(const Bytes& pdf, std::uint32_t seed, const Bytes& payload)
{
    const std::string original = text(pdf);
    const std::size_t closing = original.rfind("startxref");
    if (closing == std::string::npos) {
        throw std::runtime_error("no startxref in the PDF");
    }
    const std::uint64_t last = lastNumberAfter(original, "startxref", std::string::npos);
    const bool stream = original.compare(last, 4, "xref") != 0;
    const std::uint64_t size = lastNumberAfter(original, "/Size ", closing);
    const std::size_t rootAt = original.rfind("/Root ", closing);
    if (rootAt == std::string::npos) {
        throw std::runtime_error("no /Root in the PDF");
    }
    const std::size_t rootEnd = original.find('R', rootAt + 6);
    const std::string root = original.substr(rootAt, rootEnd + 1 - rootAt);

    Bytes out = pdf;
    if (out.back() != '\n' && out.back() != '\r') {
        append(out, "\n");
    }
    const std::size_t object = out.size();
    append(out, std::to_string(size) + " 0 obj\n<< /Note (update " + std::to_string(seed) + ") /Length " +
                    std::to_string(payload.size()) + " >>\nstream\n");
    out.insert(out.end(), payload.begin(), payload.end());
    append(out, "\nendstream\nendobj\n");
    const std::size_t section = out.size();
    char entry[32];
    if (!stream) {
        append(out, "xref\n0 1\n0000000000 65535 f \n" + std::to_string(size) + " 1\n");
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", object);
        append(out, entry);
        append(out, "trailer\n<< /Size " + std::to_string(size + 1) + " " + root + " /Prev " + std::to_string(last) +
                        " >>\n");
    } else {
        // Rows of type 1 (in use), a four-byte offset and a two-byte generation, for the new
        // object and for this stream itself; no filter.
        Bytes rows;
        for (std::size_t offset : {object, section}) {
            rows.push_back(1);
            for (int shift = 24; shift >= 0; shift -= 8) {
                rows.push_back(static_cast<unsigned char>(offset >> shift));
            }
            rows.push_back(0);
            rows.push_back(0);
        }
        append(out, std::to_string(size + 1) + " 0 obj\n<< /Type /XRef /Size " + std::to_string(size + 2) +
                        " /W [1 4 2] /Index [" + std::to_string(size) + " 2] " + root + " /Prev " +
                        std::to_string(last) + " /Length " + std::to_string(rows.size()) + " >>\nstream\n");
        out.insert(out.end(), rows.begin(), rows.end());
        append(out, "\nendstream\nendobj\n");
    }
    append(out, "startxref\n" + std::to_string(section) + "\n%%EOF\n");
    return out;
}

namespace {

constexpr std::uint32_t endOfChain = 0xFFFFFFFE;
constexpr std::uint32_t fatMark = 0xFFFFFFFD;
constexpr std::uint32_t difatMark = 0xFFFFFFFC;
constexpr std::uint32_t freeMark = 0xFFFFFFFF;
constexpr std::uint32_t noStream = 0xFFFFFFFF;

// The sectors of a compound file being written and the FAT chains that link them.
struct SectorWriter {
    explicit SectorWriter(std::size_t size) : size(size) {}

    // Stores data in a chain of new sectors and returns its first, or the end of chain for none.
    std::uint32_t chain(const Bytes& data)
    {
        if (data.empty()) {
            return endOfChain;
        }
        const auto first = static_cast<std::uint32_t>(fat.size());
        for (std::size_t at = 0; at < data.size(); at += size) {
            Bytes sector(data.begin() + static_cast<long>(at),
                         data.begin() + static_cast<long>(std::min(data.size(), at + size)));
            sector.resize(size);
            sectors.push_back(sector);
            fat.push_back(at + size < data.size() ? static_cast<std::uint32_t>(fat.size() + 1) : endOfChain);
        }
        return first;
    }

    std::size_t size;
    std::vector<Bytes> sectors;
    std::vector<std::uint32_t> fat;
};

Bytes directoryEntry(const std::string& name, unsigned char type, std::uint32_t right, std::uint32_t child,
                     std::uint32_t start, std::uint64_t size)
{
    Bytes entry(128, 0);
    for (std::size_t i = 0; i < name.size(); ++i) {
        entry[2 * i] = static_cast<unsigned char>(name[i]);
    }
    put16(entry, 64, static_cast<std::uint32_t>(2 * (name.size() + 1)));
    entry[66] = type;
    entry[67] = 1;  // black
    put32(entry, 68, noStream);
    put32(entry, 72, right);
    put32(entry, 76, child);
    put32(entry, 116, start);
    put32(entry, 120, static_cast<std::uint32_t>(size));
    put32(entry, 124, static_cast<std::uint32_t>(size >> 32));
    return entry;
}

}

Bytes DocumentFiles::compoundFile(int version, const std::vector<std::pair<std::string, Bytes>>& streams)
{
    const std::size_t sectorSize = version == 4 ? 4096 : 512;
    const std::size_t perSector = sectorSize / 4;
    const std::size_t miniSize = 64;
    const std::size_t cutoff = 4096;
    SectorWriter writer(sectorSize);

    // Streams below the cutoff live in the mini stream, in 64-byte mini sectors of their own FAT.
    Bytes miniStream;
    std::vector<std::uint32_t> miniFat;
    std::vector<std::uint32_t> starts;
    for (const auto& stream : streams) {
        const Bytes& data = stream.second;
        if (data.size() >= cutoff) {
            starts.push_back(writer.chain(data));
            continue;
        }
        if (data.empty()) {
            starts.push_back(endOfChain);
            continue;
        }
        const auto first = static_cast<std::uint32_t>(miniStream.size() / miniSize);
        starts.push_back(first);
        for (std::size_t at = 0; at < data.size(); at += miniSize) {
            miniFat.push_back(at + miniSize < data.size() ? static_cast<std::uint32_t>(miniFat.size() + 1) : endOfChain);
        }
        miniStream.insert(miniStream.end(), data.begin(), data.end());
        miniStream.resize((miniStream.size() + miniSize - 1) / miniSize * miniSize);
    }
    const std::uint32_t miniStart = writer.chain(miniStream);
    Bytes miniFatBytes(miniFat.size() * 4);
    for (std::size_t i = 0; i < miniFat.size(); ++i) {
        put32(miniFatBytes, 4 * i, miniFat[i]);
    }
    while (miniFatBytes.size() % sectorSize != 0) {
        miniFatBytes.push_back(0xFF);
    }
    const std::uint32_t miniFatStart = writer.chain(miniFatBytes);
    const std::size_t miniFatSectors = miniFatBytes.size() / sectorSize;

    // The root's children in the order the directory compares names (shorter first, then by the
    // upper-case text), linked as a chain of right siblings.
    std::vector<std::size_t> order(streams.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    auto upper = [](std::string name) {
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::toupper(c); });
        return name;
    };
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const std::string& x = streams[a].first;
        const std::string& y = streams[b].first;
        return x.size() != y.size() ? x.size() < y.size() : upper(x) < upper(y);
    });
    std::vector<std::uint32_t> right(streams.size(), noStream);
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        right[order[i]] = static_cast<std::uint32_t>(order[i + 1] + 1);
    }
    Bytes directory = directoryEntry("Root Entry", 5, noStream, order.empty() ? noStream : static_cast<std::uint32_t>(order[0] + 1),
                                     miniStart, miniStream.size());
    for (std::size_t i = 0; i < streams.size(); ++i) {
        Bytes entry = directoryEntry(streams[i].first, 2, right[i], noStream, starts[i], streams[i].second.size());
        directory.insert(directory.end(), entry.begin(), entry.end());
    }
    while (directory.size() % sectorSize != 0) {
        Bytes unused(128, 0);
        put32(unused, 68, noStream);
        put32(unused, 72, noStream);
        put32(unused, 76, noStream);
        directory.insert(directory.end(), unused.begin(), unused.end());
    }
    const std::uint32_t directoryStart = writer.chain(directory);
    const std::size_t directorySectors = directory.size() / sectorSize;

    // Enough FAT sectors to describe every sector, themselves and the DIFAT's included.
    const std::size_t used = writer.sectors.size();
    std::size_t fatCount = 1;
    std::size_t difatCount = 0;
    for (;;) {
        difatCount = fatCount > 109 ? (fatCount - 109 + perSector - 2) / (perSector - 1) : 0;
        if (used + fatCount + difatCount <= fatCount * perSector) {
            break;
        }
        ++fatCount;
    }
    std::vector<std::uint32_t> fatSectors;
    for (std::size_t i = 0; i < fatCount; ++i) {
        fatSectors.push_back(static_cast<std::uint32_t>(writer.fat.size()));
        writer.fat.push_back(fatMark);
        writer.sectors.emplace_back(sectorSize);
    }
    std::vector<std::uint32_t> difatSectors;
    for (std::size_t i = 0; i < difatCount; ++i) {
        difatSectors.push_back(static_cast<std::uint32_t>(writer.fat.size()));
        writer.fat.push_back(difatMark);
        writer.sectors.emplace_back(sectorSize, 0xFF);
    }
    std::vector<std::uint32_t> fat = writer.fat;
    fat.resize(fatCount * perSector, freeMark);
    for (std::size_t i = 0; i < fatCount; ++i) {
        Bytes& sector = writer.sectors[fatSectors[i]];
        for (std::size_t j = 0; j < perSector; ++j) {
            put32(sector, 4 * j, fat[i * perSector + j]);
        }
    }
    for (std::size_t i = 0; i < difatCount; ++i) {
        Bytes& sector = writer.sectors[difatSectors[i]];
        for (std::size_t j = 0; j + 1 < perSector; ++j) {
            const std::size_t index = 109 + i * (perSector - 1) + j;
            put32(sector, 4 * j, index < fatCount ? fatSectors[index] : freeMark);
        }
        put32(sector, sectorSize - 4, i + 1 < difatCount ? difatSectors[i + 1] : endOfChain);
    }

    Bytes header(sectorSize, 0);
    const unsigned char signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::copy(signature, signature + 8, header.begin());
    put16(header, 24, 0x3E);
    put16(header, 26, static_cast<std::uint32_t>(version));
    put16(header, 28, 0xFFFE);
    put16(header, 30, version == 4 ? 12 : 9);
    put16(header, 32, 6);
    put32(header, 40, version == 4 ? static_cast<std::uint32_t>(directorySectors) : 0);
    put32(header, 44, static_cast<std::uint32_t>(fatCount));
    put32(header, 48, directoryStart);
    put32(header, 56, static_cast<std::uint32_t>(cutoff));
    put32(header, 60, miniFatSectors > 0 ? miniFatStart : endOfChain);
    put32(header, 64, static_cast<std::uint32_t>(miniFatSectors));
    put32(header, 68, difatCount > 0 ? difatSectors[0] : endOfChain);
    put32(header, 72, static_cast<std::uint32_t>(difatCount));
    for (std::size_t i = 0; i < 109; ++i) {
        put32(header, 76 + 4 * i, i < fatCount ? fatSectors[i] : freeMark);
    }
    Bytes out = header;
    for (const Bytes& sector : writer.sectors) {
        out.insert(out.end(), sector.begin(), sector.end());
    }
    return out;
}
