// The scanning core's matcher beside Vectorscan (or Hyperscan, which has the same interface)
// over the same bytes in memory: the sample plug-ins' signatures, then the same with 30 more
// distinct ones. Run by hand; see bench/README.md.

#include "engine/ExtractPlugin.h"
#include "engine/Signaturematcher.h"

#include <hs.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Pattern {
    unsigned offset;
    std::vector<unsigned char> bytes;
    std::vector<unsigned char> mask;
};

Pattern literal(unsigned offset, std::vector<unsigned char> bytes) {
    return Pattern{offset, bytes, std::vector<unsigned char>(bytes.size(), 0xFF)};
}

// As the sample plug-ins declare them.
std::vector<Pattern> samplePatterns() {
    std::vector<Pattern> patterns;
    patterns.push_back(literal(0, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'}));
    patterns.push_back(literal(0, {'G', 'I', 'F', '8', '7', 'a'}));
    patterns.push_back(literal(0, {'G', 'I', 'F', '8', '9', 'a'}));
    patterns.push_back(literal(0, {0xFF, 0xD8, 0xFF}));
    patterns.push_back(literal(0, {'B', 'M'}));
    for (const char* form : {"WAVE", "AVI "}) {
        Pattern riff{0, {'R', 'I', 'F', 'F', 0, 0, 0, 0}, {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}};
        for (int i = 0; i < 4; ++i) {
            riff.bytes.push_back(static_cast<unsigned char>(form[i]));
            riff.mask.push_back(0xFF);
        }
        patterns.push_back(riff);
    }
    return patterns;
}

std::uint64_t xorshift(std::uint64_t& state) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
}

// Distinct 4-byte magic numbers, as further formats would declare.
std::vector<Pattern> morePatterns(unsigned count) {
    std::vector<Pattern> patterns;
    std::uint64_t state = 0x2545F4914F6CDD1DULL;
    while (patterns.size() < count) {
        const std::uint64_t word = xorshift(state);
        std::vector<unsigned char> bytes(4);
        std::memcpy(bytes.data(), &word, 4);
        patterns.push_back(literal(0, bytes));
    }
    return patterns;
}

double own(const std::vector<Pattern>& patterns, const std::vector<unsigned char>& data, std::size_t& hits,
           bool compiled) {
    SignatureMatcher matcher(compiled);
    for (std::size_t i = 0; i < patterns.size(); ++i) {
        const ExtractSignature signature{patterns[i].offset, static_cast<unsigned>(patterns[i].bytes.size()),
                                         patterns[i].bytes.data(), patterns[i].mask.data()};
        matcher.add(static_cast<std::uint32_t>(i), &signature, 1);
    }
    std::vector<SignatureMatcher::Candidate> candidates;
    const std::size_t block = 64 * 1024;
    const std::size_t usable = data.size() - 64;
    hits = 0;
    const auto begin = std::chrono::steady_clock::now();
    for (std::size_t at = 0; at < usable; at += block) {
        candidates.clear();
        matcher.find(data.data() + at, std::min(block, usable - at), candidates);
        hits += candidates.size();
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
}

std::string expression(const Pattern& pattern) {
    std::string text;
    char piece[64];
    for (std::size_t i = 0; i < pattern.bytes.size(); ++i) {
        if (pattern.mask[i] == 0xFF) {
            std::snprintf(piece, sizeof piece, "\\x%02x", pattern.bytes[i]);
            text += piece;
        } else if (pattern.mask[i] == 0) {
            text += ".";
        } else {
            text += "[";
            for (unsigned value = 0; value < 256; ++value) {
                if ((value & pattern.mask[i]) == pattern.bytes[i]) {
                    std::snprintf(piece, sizeof piece, "\\x%02x", value);
                    text += piece;
                }
            }
            text += "]";
        }
    }
    return text;
}

double vectorscan(const std::vector<Pattern>& patterns, const std::vector<unsigned char>& data, std::size_t& hits) {
    std::vector<std::string> texts;
    for (const Pattern& pattern : patterns) texts.push_back(expression(pattern));
    std::vector<const char*> expressions;
    std::vector<unsigned> flags(patterns.size(), HS_FLAG_DOTALL);
    std::vector<unsigned> ids;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        expressions.push_back(texts[i].c_str());
        ids.push_back(static_cast<unsigned>(i));
    }
    hs_database_t* database = nullptr;
    hs_compile_error_t* error = nullptr;
    if (hs_compile_multi(expressions.data(), flags.data(), ids.data(), static_cast<unsigned>(expressions.size()),
                         HS_MODE_BLOCK, nullptr, &database, &error) != HS_SUCCESS) {
        std::printf("compile failed: %s\n", error->message);
        hs_free_compile_error(error);
        return -1;
    }
    hs_scratch_t* scratch = nullptr;
    hs_alloc_scratch(database, &scratch);
    hits = 0;
    const auto onMatch = [](unsigned, unsigned long long, unsigned long long, unsigned, void* context) {
        ++*static_cast<std::size_t*>(context);
        return 0;
    };
    const std::size_t block = 64 * 1024;
    const auto begin = std::chrono::steady_clock::now();
    for (std::size_t at = 0; at + 64 < data.size(); at += block) {
        const std::size_t length = std::min(block + 64, data.size() - at);
        hs_scan(database, reinterpret_cast<const char*>(data.data() + at), static_cast<unsigned>(length), 0, scratch,
                onMatch, &hits);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    hs_free_scratch(scratch);
    hs_free_database(database);
    return seconds;
}

} // namespace

int main() {
    const std::size_t size = 512u << 20;
    std::vector<unsigned char> data(size);
    std::uint64_t state = 0x9E3779B97F4A7C15ULL;
    for (std::size_t i = 0; i < size; i += 8) {
        const std::uint64_t word = xorshift(state);
        std::memcpy(data.data() + i, &word, 8);
    }
    std::printf("matcher over %zu MiB of random bytes in memory, best of three, MB/s:\n", size >> 20);
    std::printf("%-28s %12s %12s\n", "", "6 plug-ins", "36 plug-ins");
    for (const char* name : {"byte-pair table (ours)", "Vectorscan", "Vectorscan in the matcher"}) {
        std::printf("%-28s", name);
        for (const unsigned extra : {0u, 30u}) {
            std::vector<Pattern> patterns = samplePatterns();
            const std::vector<Pattern> more = morePatterns(extra);
            patterns.insert(patterns.end(), more.begin(), more.end());
            double best = 1e30;
            std::size_t hits = 0;
            for (int round = 0; round < 3; ++round) {
                best = std::min(best, name[0] == 'b'                  ? own(patterns, data, hits, false)
                                      : std::strlen(name) > 10 ? own(patterns, data, hits, true)
                                                               : vectorscan(patterns, data, hits));
            }
            std::printf(" %12.0f", static_cast<double>(size) / 1e6 / best);
        }
        std::printf("\n");
    }
    return 0;
}
