#pragma once

#include <cstdint>

class ByteCursor;
class SignatureSet;

// An ELF file of either class and either byte order: objects, executables, shared libraries and
// core dumps. It ends where the farthest of its parts ends: the ELF header, the program header
// table and the segments it lists, the section header table and the sections that occupy file
// space. Counts too large for the header's fields (extended numbering) are read from section 0.
// A section that links to a section past the table refuses the file.
class ElfParser {
public:
    // The identification bytes, the object type, the machine and the version.
    static constexpr unsigned windowSize = 24;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);

private:
    std::uint16_t half(const unsigned char* data) const;
    std::uint32_t word(const unsigned char* data) const;
    std::uint64_t address(const unsigned char* data) const;
    // Extends end to offset + size; false when that sum overflows.
    static bool reach(std::uint64_t& end, std::uint64_t offset, std::uint64_t size);

    bool wide = false;
    bool bigEndian = false;
};
