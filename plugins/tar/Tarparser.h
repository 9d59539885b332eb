#pragma once

#include <cstdint>
#include <vector>

class ByteCursor;
class SignatureSet;

// A POSIX ustar or GNU tar archive: 512-byte headers, each with the "ustar" magic and a matching
// checksum, each followed by its data in whole blocks, up to the end-of-archive marker of two zero
// blocks, and the zero blocks after it that fill the last 10240-byte record as tar writes it. An
// archive that stops without the marker (cut short, or followed by other data) ends with its last
// whole entry. Headers without the magic (version 7 archives) are not walked.
class TarParser {
public:
    static constexpr unsigned blockSize = 512;
    // Up to the end of the magic's sixth byte.
    static constexpr unsigned windowSize = 263;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);
    // Where the headers after the first begin.
    const std::vector<std::uint64_t>& members() const;

private:
    std::uint64_t finish(ByteCursor& input, std::uint64_t end, unsigned entries);

    std::vector<std::uint64_t> laterHeaders;
};
