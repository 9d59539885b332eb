#include "plugins/common/Signatureset.h"

#include <stdexcept>
#include <utility>

SignatureSet::SignatureSet(const SignatureSet& other) : patterns(other.patterns)
{
    rebuild();
}

SignatureSet& SignatureSet::operator=(const SignatureSet& other)
{
    if (this != &other) {
        patterns = other.patterns;
        rebuild();
    }
    return *this;
}

SignatureSet& SignatureSet::add(unsigned offset, std::initializer_list<unsigned char> bytes)
{
    return add(offset, std::vector<unsigned char>(bytes), std::vector<unsigned char>(bytes.size(), 0xFF));
}

SignatureSet& SignatureSet::add(unsigned offset, const char* text)
{
    std::string characters(text);
    return add(offset, std::vector<unsigned char>(characters.begin(), characters.end()),
               std::vector<unsigned char>(characters.size(), 0xFF));
}

SignatureSet& SignatureSet::add(unsigned offset, std::vector<unsigned char> bytes, std::vector<unsigned char> mask)
{
    if (bytes.empty() || mask.size() != bytes.size()) {
        throw std::invalid_argument("a signature needs bytes and a mask of the same length");
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] &= mask[i];
    }
    patterns.push_back(Pattern{offset, std::move(bytes), std::move(mask)});
    rebuild();
    return *this;
}

void SignatureSet::clear()
{
    patterns.clear();
    table.clear();
}

int SignatureSet::count() const
{
    return static_cast<int>(table.size());
}

const ExtractSignature* SignatureSet::data() const
{
    return table.data();
}

bool SignatureSet::matches(const unsigned char* data) const
{
    for (const Pattern& pattern : patterns) {
        bool same = true;
        for (std::size_t i = 0; i < pattern.bytes.size() && same; ++i) {
            same = (data[pattern.offset + i] & pattern.mask[i]) == pattern.bytes[i];
        }
        if (same) {
            return true;
        }
    }
    return false;
}

unsigned SignatureSet::span() const
{
    unsigned widest = 0;
    for (const Pattern& pattern : patterns) {
        unsigned end = pattern.offset + static_cast<unsigned>(pattern.bytes.size());
        if (end > widest) {
            widest = end;
        }
    }
    return widest;
}

void SignatureSet::rebuild()
{
    table.clear();
    for (const Pattern& pattern : patterns) {
        table.push_back(ExtractSignature{pattern.offset, static_cast<unsigned>(pattern.bytes.size()),
                                         pattern.bytes.data(), pattern.mask.data()});
    }
}
