#pragma once

#include "plugins/userdefined/Bytepattern.h"

#include <cstdint>
#include <string>

// One kind the user defines: data that begins with a header and ends with a footer (or, without
// a footer, is a fixed largest size long). The fields hold what the user typed; compile checks
// them and makes the patterns that the search uses.
struct UserRule {
    // Names the output files and the per-kind folder.
    std::string kind;
    std::string header;
    // True: header is plain text; false: hexadecimal with "?" wildcards.
    bool headerIsText = false;
    // Empty: no footer.
    std::string footer;
    bool footerIsText = false;
    // The longest find, in bytes.
    std::uint64_t largestSize = 0;
    // With a footer: the find ends at the last footer within the largest size, not the first.
    bool endsAtLastFooter = false;
    // With a footer: the footer's bytes are part of the find.
    bool footerIncluded = true;
    // False: ASCII letters of header and footer match either case.
    bool caseSensitive = true;

    // Longest header and footer, in bytes: the plug-in's window holds the longest header.
    static constexpr std::size_t largestPattern = 1024;
    // The largest size a rule may give (15 decimal digits).
    static constexpr std::uint64_t largestLargestSize = 999999999999999ULL;

    // Why kind cannot name files (empty when it can): letters, digits, "_" and "-", 1 to 16.
    static std::string kindRefusal(const std::string& kind);

    bool operator==(const UserRule& other) const;
    bool operator!=(const UserRule& other) const { return !(*this == other); }
};

// A rule made ready for the search.
struct CompiledRule {
    std::string kind;
    BytePattern header;
    // Empty: no footer.
    BytePattern footer;
    std::uint64_t largestSize = 0;
    bool endsAtLastFooter = false;
    bool footerIncluded = true;

    enum Field { kindField, headerField, footerField, sizeField };

    // Checks every field of rule; returns the first reason, in Japanese, why it cannot be used,
    // with the field it concerns in *field, or the empty text with compiled filled in.
    static std::string compile(const UserRule& rule, CompiledRule& compiled, Field* field = nullptr);
};

// The largest size as the user types it: decimal bytes, 1 to UserRule::largestLargestSize.
// Returns the reason it is none, or the empty text with size set.
std::string parseLargestSize(const std::string& text, std::uint64_t& size);
