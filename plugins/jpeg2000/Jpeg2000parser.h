#pragma once

#include <cstdint>

class ByteCursor;
class SignatureSet;

// A JPEG 2000 picture: either the file format (JP2 and its relatives), a chain of boxes that
// starts with the signature box and ftyp and holds a header box and the contiguous codestream
// box, walked to its last box; or a bare codestream (J2K), from SOC and SIZ through the main
// header's marker segments and the tile-parts by their lengths to EOC. The codestream in a JP2
// file is walked the same way, so that it ends with EOC where its box says it ends, or, in a box
// that runs to the end of the file, sets that end.
class Jpeg2000Parser {
public:
    static constexpr unsigned windowSize = 16;

    static const SignatureSet& signatures();
    static bool detect(const unsigned char* data);
    // "jp2" or "j2k" for what starts at data, or null.
    static const char* kindOf(const unsigned char* data);

    std::uint64_t measure(ByteCursor& input);
    // Where the codestream of the JP2 file just measured begins; 0 for a bare codestream.
    std::uint64_t codestreamStart() const
    {
        return codestream;
    }

private:
    std::uint64_t measureFile(ByteCursor& input);
    // The end of the codestream that starts at start, or 0; it must lie within end.
    std::uint64_t measureCodestream(ByteCursor& input, std::uint64_t start, std::uint64_t end);

    std::uint64_t codestream = 0;
};
