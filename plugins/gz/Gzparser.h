#pragma once

#include <cstdint>
#include <vector>

class ByteCursor;
class SignatureSet;

// A gzip file (RFC 1952): one member or several back to back, each a header with its optional
// fields, a deflate stream inflated to its end, and the CRC-32 and length of what it holds, both
// checked. A member that follows a whole one and is itself whole belongs to the file, as gzip
// reads them; one that is cut short or damaged does not, and the file ends before it. Deciding
// that may mean reading such a member past the size window: a file whose members go on past it is
// larger than the window, not one member long.
class GzParser {
public:
    // The fixed part of a member's header.
    static constexpr unsigned windowSize = 10;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);
    // Where the members after the first begin.
    const std::vector<std::uint64_t>& members() const;

private:
    enum class Member { Whole, Damaged, Unfinished };
    Member measureMember(ByteCursor& input, std::uint64_t start, bool pastLimit, std::uint64_t& end);

    std::vector<std::uint64_t> laterMembers;
};
