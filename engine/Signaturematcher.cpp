#include "engine/Signaturematcher.h"

#include <hs.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

namespace {

// How often a byte value turns up in ordinary files: zeros fill disk images and padding, 0xFF
// fills erased flash, and text is everywhere. Anything else is taken as rare.
unsigned commonness(unsigned char value) {
    if (value == 0x00) return 8;
    if (value == 0xFF) return 6;
    if (value >= 0x20 && value < 0x7F) return 3;
    return 1;
}

// A pattern as an expression of Vectorscan: every byte spelt out, a byte that only partly counts
// as the class of the values its mask lets through.
std::string expression(const std::vector<unsigned char>& bytes, const std::vector<unsigned char>& mask) {
    std::string text;
    char piece[8];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (mask[i] == 0xFF) {
            std::snprintf(piece, sizeof piece, "\\x%02x", bytes[i]);
            text += piece;
        } else if (mask[i] == 0) {
            text += ".";
        } else {
            text += "[";
            for (unsigned value = 0; value < 256; ++value) {
                if ((value & mask[i]) == bytes[i]) {
                    std::snprintf(piece, sizeof piece, "\\x%02x", value);
                    text += piece;
                }
            }
            text += "]";
        }
    }
    return text;
}

// Vectorscan's compiler takes long and much memory for bytes that count for nothing (a RIFF
// header's size between "RIFF" and "WAVE", say): a pattern with such bytes is handed over as its
// rarest run of whole bytes alone, and the rest is checked where that run turns up.
constexpr std::size_t shortestLiteral = 3;

// The run of bytes that count in full that random data and disk images meet least often, its
// length, and where it begins (from); 0 when no run will do. Zeros and 0xFF fill whole regions of
// an image, so they weigh little: a run of them alone would match at every byte of such a region.
std::size_t rarestWholeRun(const std::vector<unsigned char>& bytes, const std::vector<unsigned char>& mask,
                           std::size_t& from) {
    const std::size_t length = bytes.size();
    std::size_t bestLength = 0;
    unsigned bestWeight = 0;
    for (std::size_t at = 0; at < length;) {
        if (mask[at] != 0xFF) {
            ++at;
            continue;
        }
        std::size_t to = at;
        unsigned weight = 0;
        for (; to < length && mask[to] == 0xFF; ++to) weight += bytes[to] == 0x00 || bytes[to] == 0xFF ? 1 : 4;
        if (weight > bestWeight) {
            from = at;
            bestLength = to - at;
            bestWeight = weight;
        }
        at = to;
    }
    return bestLength >= shortestLiteral && bestWeight >= 4 * shortestLiteral ? bestLength : 0;
}

}  // namespace

struct SignatureMatcher::Compiled {
    // By expression: the pattern, and where the bytes handed to Vectorscan begin in it.
    struct Part {
        std::uint32_t pattern;
        std::uint32_t from;
        std::uint32_t length;
        // Whether the pattern holds more than those bytes, to be checked at a match.
        bool partial;
    };
    std::vector<Part> parts;
    hs_database_t* database = nullptr;
    hs_scratch_t* scratch = nullptr;
    ~Compiled() {
        if (scratch != nullptr) hs_free_scratch(scratch);
        if (database != nullptr) hs_free_database(database);
    }
};

class SignatureMatcher::Scratch {
public:
    hs_scratch_t* scratch = nullptr;
    ~Scratch() {
        if (scratch != nullptr) hs_free_scratch(scratch);
    }
};

void SignatureMatcher::ScratchDeleter::operator()(Scratch* scratch) const { delete scratch; }

SignatureMatcher::ScratchHandle SignatureMatcher::makeScratch() const {
    prepare();
    if (!compiled) return nullptr;
    ScratchHandle made(new Scratch);
    if (hs_clone_scratch(compiled->scratch, &made->scratch) != HS_SUCCESS) throw std::bad_alloc();
    return made;
}

SignatureMatcher::SignatureMatcher(bool compiledWanted)
    : pairList(65536, 0), compiledWanted(compiledWanted) {}

SignatureMatcher::~SignatureMatcher() = default;

void SignatureMatcher::add(std::uint32_t slot, const ExtractSignature* signatures, unsigned count) {
    for (unsigned s = 0; s < count; ++s) {
        const ExtractSignature& signature = signatures[s];
        Pattern pattern;
        pattern.slot = slot;
        pattern.offset = signature.offset;
        pattern.bytes.assign(signature.bytes, signature.bytes + signature.length);
        pattern.mask.assign(signature.length, 0xFF);
        if (signature.mask != nullptr) {
            pattern.mask.assign(signature.mask, signature.mask + signature.length);
        }
        for (unsigned i = 0; i < signature.length; ++i) pattern.bytes[i] &= pattern.mask[i];

        // The rarest pair of whole bytes, else the rarest whole byte.
        unsigned bestPair = 0;
        unsigned bestPairScore = ~0u;
        unsigned bestByte = 0;
        unsigned bestByteScore = ~0u;
        for (unsigned i = 0; i < signature.length; ++i) {
            if (pattern.mask[i] != 0xFF) continue;
            const unsigned score = commonness(pattern.bytes[i]);
            if (score < bestByteScore) {
                bestByteScore = score;
                bestByte = i;
            }
            if (i + 1 < signature.length && pattern.mask[i + 1] == 0xFF) {
                const unsigned pairScore = score + commonness(pattern.bytes[i + 1]);
                if (pairScore < bestPairScore) {
                    bestPairScore = pairScore;
                    bestPair = i;
                }
            }
        }

        const auto index = static_cast<std::uint32_t>(patterns.size());
        if (bestPairScore != ~0u) {
            pattern.anchor = pattern.offset + bestPair;
            const unsigned pair = pattern.bytes[bestPair] | (pattern.bytes[bestPair + 1] << 8);
            pairBits[pair >> 6] |= std::uint64_t{1} << (pair & 63);
            if (pairList[pair] == 0) {
                pairLists.emplace_back();
                pairList[pair] = static_cast<std::uint16_t>(pairLists.size());
            }
            pairLists[pairList[pair] - 1].push_back(index);
            largestPairAnchor = std::max(largestPairAnchor, pattern.anchor);
        } else if (bestByteScore != ~0u) {
            pattern.anchor = pattern.offset + bestByte;
            byteLists[pattern.bytes[bestByte]].push_back(index);
            anyByteAnchor = true;
            largestByteAnchor = std::max(largestByteAnchor, pattern.anchor);
        } else {
            pattern.anchor = 0;
            unanchored.push_back(index);
        }
        span = std::max(span, pattern.offset + signature.length);
        patterns.push_back(std::move(pattern));
    }
    compiled.reset();
    compileTried = false;
}

bool SignatureMatcher::empty() const { return patterns.empty(); }

unsigned SignatureMatcher::reach() const { return span; }

bool SignatureMatcher::matchesAt(const Pattern& pattern, const unsigned char* window) const {
    const unsigned char* data = window + pattern.offset;
    const std::size_t length = pattern.bytes.size();
    for (std::size_t i = 0; i < length; ++i) {
        if ((data[i] & pattern.mask[i]) != pattern.bytes[i]) return false;
    }
    return true;
}

// at is where the anchor was seen; each pattern's own position lies its anchor before that.
void SignatureMatcher::check(const std::vector<std::uint32_t>& patternIndices,
                             const unsigned char* data, std::size_t at, std::size_t count,
                             std::vector<Candidate>& out) const {
    for (std::uint32_t index : patternIndices) {
        const Pattern& pattern = patterns[index];
        if (at < pattern.anchor) continue;
        const std::size_t position = at - pattern.anchor;
        if (position >= count) continue;
        if (matchesAt(pattern, data + position)) {
            out.push_back(Candidate{static_cast<std::uint32_t>(position), pattern.slot});
        }
    }
}

void SignatureMatcher::find(const unsigned char* data, std::size_t count,
                            std::vector<Candidate>& out, Scratch* scratch) const {
    const std::size_t first = out.size();
    if (count == 0 || patterns.empty()) return;
    if (!findCompiled(data, count, out, scratch)) findByPairs(data, count, out);

    // Patterns anchored at different depths report out of order, and several patterns of one
    // plug-in may match at one position.
    const auto begin = out.begin() + static_cast<std::ptrdiff_t>(first);
    const auto before = [](const Candidate& a, const Candidate& b) {
        return a.position != b.position ? a.position < b.position : a.slot < b.slot;
    };
    if (!std::is_sorted(begin, out.end(), before)) std::sort(begin, out.end(), before);
    const auto same = [](const Candidate& a, const Candidate& b) {
        return a.position == b.position && a.slot == b.slot;
    };
    out.erase(std::unique(begin, out.end(), same), out.end());
}

void SignatureMatcher::prepare() const {
    if (!compiledWanted || compileTried || patterns.empty()) return;
    {
        compileTried = true;
        std::vector<std::string> texts;
        std::vector<const char*> expressions;
        std::vector<unsigned> flags(patterns.size(), HS_FLAG_DOTALL);
        std::vector<unsigned> ids;
        auto made = std::make_unique<Compiled>();
        for (std::uint32_t index = 0; index < patterns.size(); ++index) {
            const Pattern& pattern = patterns[index];
            const std::size_t length = pattern.bytes.size();
            Compiled::Part part{index, 0, static_cast<std::uint32_t>(length), false};
            std::size_t from = 0;
            const std::size_t run = rarestWholeRun(pattern.bytes, pattern.mask, from);
            if (run > 0 && run < length) {
                part = Compiled::Part{index, static_cast<std::uint32_t>(from), static_cast<std::uint32_t>(run), true};
            }
            const auto begin = pattern.bytes.begin() + part.from;
            const auto maskBegin = pattern.mask.begin() + part.from;
            texts.push_back(expression(std::vector<unsigned char>(begin, begin + part.length),
                                       std::vector<unsigned char>(maskBegin, maskBegin + part.length)));
            made->parts.push_back(part);
        }
        for (std::size_t i = 0; i < texts.size(); ++i) {
            expressions.push_back(texts[i].c_str());
            ids.push_back(static_cast<unsigned>(i));
        }
        hs_compile_error_t* error = nullptr;
        if (hs_compile_multi(expressions.data(), flags.data(), ids.data(),
                             static_cast<unsigned>(expressions.size()), HS_MODE_BLOCK, nullptr,
                             &made->database, &error) == HS_SUCCESS &&
            hs_alloc_scratch(made->database, &made->scratch) == HS_SUCCESS) {
            compiled = std::move(made);
        } else if (error != nullptr) {
            hs_free_compile_error(error);
        }
    }
}

bool SignatureMatcher::findCompiled(const unsigned char* data, std::size_t count,
                                    std::vector<Candidate>& out, Scratch* scratch) const {
    if (!compiledWanted) return false;
    prepare();
    if (!compiled) return false;

    struct Context {
        const SignatureMatcher* matcher;
        const unsigned char* data;
        std::size_t count;
        std::vector<Candidate>* out;
    } context{this, data, count, &out};
    // Every expression has a fixed length, so where a match ends tells where its window begins.
    const auto onMatch = [](unsigned id, unsigned long long, unsigned long long to, unsigned,
                            void* opaque) -> int {
        auto* c = static_cast<Context*>(opaque);
        const Compiled::Part& part = c->matcher->compiled->parts[id];
        const Pattern& pattern = c->matcher->patterns[part.pattern];
        const unsigned long long start = to - part.length;
        const unsigned long long before = std::uint64_t{pattern.offset} + part.from;
        if (start < before || start - before >= c->count) return 0;
        const std::size_t window = static_cast<std::size_t>(start - before);
        if (part.partial && !c->matcher->matchesAt(pattern, c->data + window)) return 0;
        c->out->push_back(Candidate{static_cast<std::uint32_t>(window), pattern.slot});
        return 0;
    };
    // A window that begins below count lies wholly within count + reach bytes; one that begins
    // before data was found by the scan of the bytes before.
    return hs_scan(compiled->database, reinterpret_cast<const char*>(data),
                   static_cast<unsigned>(count + span), 0,
                   scratch != nullptr ? scratch->scratch : compiled->scratch, onMatch,
                   &context) == HS_SUCCESS;
}

void SignatureMatcher::findByPairs(const unsigned char* data, std::size_t count,
                                   std::vector<Candidate>& out) const {
    if (!pairLists.empty()) {
        // Every anchor of a position below count lies below count + largestPairAnchor, and its
        // second byte still within count + reach.
        const std::size_t end = count + largestPairAnchor;
        const std::uint64_t* bits = pairBits.data();
        for (std::size_t at = 0; at < end; ++at) {
            std::uint16_t pair;
            std::memcpy(&pair, data + at, sizeof pair);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
            pair = static_cast<std::uint16_t>((pair >> 8) | (pair << 8));
#endif
            if ((bits[pair >> 6] >> (pair & 63)) & 1) {
                check(pairLists[pairList[pair] - 1], data, at, count, out);
            }
        }
    }
    if (anyByteAnchor) {
        const std::size_t end = count + largestByteAnchor;
        for (std::size_t at = 0; at < end; ++at) {
            const std::vector<std::uint32_t>& list = byteLists[data[at]];
            if (!list.empty()) check(list, data, at, count, out);
        }
    }
    if (!unanchored.empty()) {
        for (std::size_t position = 0; position < count; ++position) {
            check(unanchored, data, position, count, out);
        }
    }
}
