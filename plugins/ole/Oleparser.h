#pragma once

#include <cstdint>
#include <vector>

class ByteCursor;
class SignatureSet;

// A compound file (the container of .doc, .xls, .ppt, .msi and .msg files), version 3 with
// 512-byte sectors or version 4 with 4096-byte ones. Its end is the end of the highest sector that
// the FAT marks as in use, whatever it holds (stream data, the directory, the FAT and DIFAT
// themselves). The FAT is gathered through the header's DIFAT and the chain of DIFAT sectors; its
// own sectors and the DIFAT's must be marked as such, and the directory chain must lead to the
// root entry, so that a header that only looks right is not taken.
class OleParser {
public:
    // The signature, the versions, the byte order mark and the two sector shifts.
    static constexpr unsigned windowSize = 34;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);

private:
    bool readSector(ByteCursor& input, std::uint32_t sector, unsigned char* target);
    bool readFat(ByteCursor& input, const std::vector<std::uint32_t>& fatSectors);
    bool checkDirectory(ByteCursor& input, std::uint32_t first);

    std::uint32_t sectorSize = 0;
    std::vector<std::uint32_t> fat;
};
