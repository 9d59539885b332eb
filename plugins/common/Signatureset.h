#pragma once

#include "engine/ExtractPlugin.h"

#include <initializer_list>
#include <string>
#include <vector>

// The byte patterns a detector declares to the program's scanning core: at any window where none
// of them matches, its detect must answer false (the promise of ExtractSignature). A parser keeps
// its set next to its detect, so that the two are read, and changed, together.
class SignatureSet {
public:
    SignatureSet() = default;
    // The table points into the set's own patterns, so a copy builds a table of its own.
    SignatureSet(const SignatureSet& other);
    SignatureSet& operator=(const SignatureSet& other);

    // bytes at offset in the window, every bit compared.
    SignatureSet& add(unsigned offset, std::initializer_list<unsigned char> bytes);
    // The characters of text (without its terminating zero) at offset.
    SignatureSet& add(unsigned offset, const char* text);
    // Only the bits set in mask count; mask is as long as bytes.
    SignatureSet& add(unsigned offset, std::vector<unsigned char> bytes, std::vector<unsigned char> mask);
    void clear();

    int count() const;
    // Valid until the next change to the set.
    const ExtractSignature* data() const;
    // Whether some pattern matches the window at data, which holds at least span() bytes.
    bool matches(const unsigned char* data) const;
    // The window a detector needs to hold every pattern: the largest offset + length.
    unsigned span() const;

private:
    struct Pattern {
        unsigned offset;
        std::vector<unsigned char> bytes;
        std::vector<unsigned char> mask;
    };

    void rebuild();

    std::vector<Pattern> patterns;
    std::vector<ExtractSignature> table;
};
