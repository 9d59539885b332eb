#pragma once

#include "tests/plugins/Temporaryfolder.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Sample files of the document, database and executable kinds, made afresh by the tests. The
// SQLite databases come from the sqlite3 shell, the ELF and PE files from the compiler and the
// linker, the PDFs from Qt's PDF writer and qpdf; incremental PDF updates, certificate tables and
// compound files are written here, field by field, as their format descriptions lay them out.
// Every tool works in a folder of its own that goes when the object does.
class DocumentFiles {
public:
    // A database of rows rows of random text in pages of pageSize bytes; deleting every third
    // row at the end leaves free pages on the freelist.
    Bytes sqlite(int rows, int pageSize, bool withFreePages);

    // A relocatable object and a linked, dynamic executable of this machine (ELF64, little-endian).
    Bytes elfObject();
    Bytes elfExecutable();
    // A static 32-bit x86 executable, linked without a C library.
    Bytes elf32Executable();
    // A big-endian relocatable object holding data, of either class, written by objcopy.
    Bytes elfBigEndian(bool wide, const Bytes& data);

    // A console PE image (PE32+ when wide, PE32 otherwise) linked by ld; unstripped images keep
    // their COFF symbol and string tables at their end.
    Bytes pe(bool wide, bool stripped);
    // image with a certificate table of certificate appended at its end, as a signing tool
    // appends one: eight-byte aligned, its data directory entry filled in.
    static Bytes withCertificate(Bytes image, const Bytes& certificate);

    // A PDF of pages pages of text written by Qt's PDF writer.
    static Bytes qtPdf(int pages, std::uint32_t seed);
    // pdf rewritten by qpdf with options ("--linearize", "--object-streams=generate" and so on).
    Bytes qpdf(const Bytes& pdf, const std::string& options);
    // pdf with one incremental update appended: a new stream object holding payload and a
    // cross-reference section of the kind its last one is (a table or a stream), whose /Prev
    // names that last one.
    static Bytes withUpdate(const Bytes& pdf, std::uint32_t seed, const Bytes& payload = Bytes());

    // A compound file, version 3 (512-byte sectors) or 4 (4096), holding streams named as given
    // under its root; those below 4096 bytes go to the mini stream.
    static Bytes compoundFile(int version, const std::vector<std::pair<std::string, Bytes>>& streams);

    // Runs command through the shell; throws std::runtime_error when it fails.
    static void run(const std::string& command);

private:
    std::string write(const std::string& name, const std::string& text) const;
    Bytes compileAndLink(const std::string& name, const std::string& compile, const std::string& link);

    TemporaryFolder folder;
};
