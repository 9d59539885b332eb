#pragma once

#include "engine/ExtractPlugin.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// Finds, in one pass over a block of input, every position at which a declared signature of some
// plug-in matches, so that the run asks a plug-in only there.
//
// The patterns go to Vectorscan, whose literal matchers scan several gigabytes a second and slow
// down little as patterns are added (bench/README.md has the figures that chose it). Should it
// refuse the patterns, a table of byte pairs of our own serves instead, at about 1.4 GB/s:
// each pattern is found through an anchor: two neighbouring bytes of it that count in full (or one
// such byte, when it has no such pair), chosen among its bytes to be as rare in real data as can
// be told without seeing the data (zero and 0xFF bytes, then text, are avoided). One bit per byte
// pair (8 KiB, so it stays in the first-level cache) tells whether any pattern is anchored on the
// pair at a position; only there are the patterns checked in full. The cost per byte is one
// table look-up whatever the number of patterns; each pattern adds only the rare positions where
// its anchor occurs by chance.
class SignatureMatcher {
public:
    // compiledWanted false keeps to the table of byte pairs, for comparisons.
    explicit SignatureMatcher(bool compiledWanted = true);
    ~SignatureMatcher();
    SignatureMatcher(const SignatureMatcher&) = delete;
    SignatureMatcher& operator=(const SignatureMatcher&) = delete;

    struct Candidate {
        // Relative to the data handed to find.
        std::uint32_t position;
        std::uint32_t slot;
    };

    // Adds the patterns of one plug-in, known to the caller by slot. The patterns must keep within
    // reach: offset + length no more than the largest window the caller hands over.
    void add(std::uint32_t slot, const ExtractSignature* signatures, unsigned count);
    bool empty() const;
    // How many bytes past a position the patterns look at: data handed to find holds at least
    // count + reach() bytes.
    unsigned reach() const;

    // Makes ready what the first find after the last add would otherwise make (Vectorscan's
    // database), so that its cost falls where the caller wants it.
    void prepare() const;

    // The working memory of one find at a time. find without one uses the matcher's own, so
    // finds on several threads at once each need one of their own.
    class Scratch;
    struct ScratchDeleter {
        void operator()(Scratch* scratch) const;
    };
    using ScratchHandle = std::unique_ptr<Scratch, ScratchDeleter>;
    // After prepare; null when the matcher needs none (the table of byte pairs keeps no state).
    ScratchHandle makeScratch() const;

    // Appends to out every (position, slot) with position below count at which some pattern of
    // slot matches data + position: in ascending position, and at one position in ascending slot,
    // each pair once.
    void find(const unsigned char* data, std::size_t count, std::vector<Candidate>& out,
              Scratch* scratch = nullptr) const;

private:
    struct Compiled;

    struct Pattern {
        std::uint32_t slot;
        std::uint32_t offset;
        std::vector<unsigned char> bytes;
        std::vector<unsigned char> mask;
        // Where the anchor lies, counted from the position the pattern belongs to.
        std::uint32_t anchor;
    };

    bool matchesAt(const Pattern& pattern, const unsigned char* window) const;
    void check(const std::vector<std::uint32_t>& patternIndices, const unsigned char* data,
               std::size_t at, std::size_t count, std::vector<Candidate>& out) const;
    void findByPairs(const unsigned char* data, std::size_t count, std::vector<Candidate>& out) const;
    // False when Vectorscan cannot take the patterns.
    bool findCompiled(const unsigned char* data, std::size_t count, std::vector<Candidate>& out,
                      Scratch* scratch) const;

    std::vector<Pattern> patterns;
    std::array<std::uint64_t, 65536 / 64> pairBits{};
    // For each byte pair (first byte in the low half), 1 + the index of its list in pairLists;
    // 0 when no pattern is anchored there.
    std::vector<std::uint16_t> pairList;
    std::vector<std::vector<std::uint32_t>> pairLists;
    std::array<std::vector<std::uint32_t>, 256> byteLists;
    bool anyByteAnchor = false;
    // Patterns of which no byte counts in full, checked at every position.
    std::vector<std::uint32_t> unanchored;
    std::uint32_t largestPairAnchor = 0;
    std::uint32_t largestByteAnchor = 0;
    unsigned span = 0;
    // Made at the first find after the last add; null when Vectorscan refused the patterns.
    mutable std::unique_ptr<Compiled> compiled;
    mutable bool compileTried = false;
    bool compiledWanted;
};
