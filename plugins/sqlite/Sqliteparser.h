#pragma once

#include <cstdint>

class ByteCursor;
class SignatureSet;

// An SQLite 3 database file: the 100-byte header, whose page size times its page count is the
// file's length. That count is trusted only when the header says it is current (its
// version-valid-for number equals its change counter); older writers left it stale, and a
// database whose header does not vouch for its size is not measured.
class SqliteParser {
public:
    // The magic text, the page size, the format versions, the reserved space and the three
    // payload fractions, which every writer sets to the same values.
    static constexpr unsigned windowSize = 24;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);
};
