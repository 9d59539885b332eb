#pragma once

#include <cstddef>
#include <string>
#include <vector>

// A run of bytes in which some bits may be left open: a byte of the input matches byte i when
// (input & mask[i]) == bytes[i]. A rule's header and footer are such patterns, written by the user
// either as hexadecimal with "?" for any byte, or as plain text, which may ignore the case of
// ASCII letters.
class BytePattern {
public:
    BytePattern() = default;

    // Groups of hexadecimal digits, separated by spaces or not: each pair of characters is one
    // byte, where "?" in place of a digit leaves those four bits open ("??" is any byte), and a
    // "?" standing alone is any byte as well. Returns the reason, in Japanese, why text is no
    // pattern, naming it as field ("ヘッダー"); empty when it is one.
    std::string parseHex(const std::string& text, const std::string& field);
    // The bytes of text as they stand (UTF-8); empty text is no pattern.
    std::string parseText(const std::string& text, const std::string& field);
    // Lets upper- and lower-case ASCII letters match each other (only bytes that count in full).
    void ignoreLetterCase();

    std::size_t size() const { return bytes.size(); }
    bool empty() const { return bytes.empty(); }
    // Whether no bit counts anywhere: such a pattern matches everywhere.
    bool allOpen() const;
    const std::vector<unsigned char>& patternBytes() const { return bytes; }
    const std::vector<unsigned char>& patternMask() const { return mask; }

    // data holds at least size() bytes.
    bool matchesAt(const unsigned char* data) const;
    // The first position at or after from at which the whole pattern lies within data[0, length)
    // and matches; npos when there is none.
    std::size_t find(const unsigned char* data, std::size_t length, std::size_t from) const;

    // As hexadecimal, "50 4B ?? 04", the form parseHex reads back.
    std::string toHex() const;

    // Built from bytes and a mask of the same length (the bits outside the mask are cleared).
    static BytePattern of(std::vector<unsigned char> bytes, std::vector<unsigned char> mask);

private:
    void append(unsigned char byte, unsigned char bits);
    void chooseAnchor();

    std::vector<unsigned char> bytes;
    std::vector<unsigned char> mask;
    // A byte that counts in full, searched for with memchr; npos when there is none.
    std::size_t anchor = std::string::npos;
};
