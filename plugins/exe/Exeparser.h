#pragma once

#include <cstdint>

class ByteCursor;
class SignatureSet;

// A PE image (a Windows executable or DLL, 32- or 64-bit): the MZ header whose e_lfanew leads to
// "PE\0\0", the COFF file header and the optional header. The image ends where the farthest of
// its parts ends: the headers, the section table, each section's raw data, the certificate table
// (the only data directory that holds a file offset rather than an address) and the COFF symbol
// table with its string table, which some linkers leave in. Data appended beyond all of these (an
// installer's payload) is not part of the image. An MZ file without a PE header is no find.
class ExeParser {
public:
    // The MZ header, up to and with e_lfanew.
    static constexpr unsigned windowSize = 64;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);
};
