#pragma once

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Memorysource.h"
#include "plugins/common/Signatureset.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <type_traits>
#include <vector>

// Stops the fuzzer with a message; libFuzzer saves the input that got here.
inline void fuzzFailure(const char* what, std::uint64_t expected, std::uint64_t found)
{
    std::fprintf(stderr, "ERROR: %s (expected %llu, found %llu)\n", what,
                 static_cast<unsigned long long>(expected), static_cast<unsigned long long>(found));
    std::abort();
}

// Whether Parser says that a file of its kind whose end its structure does not tell (a recording
// never finished) ends where the size window does: Parser::mayEndAtLimit.
template <class Parser, class = void>
struct MayEndAtLimit : std::false_type {
};

template <class Parser>
struct MayEndAtLimit<Parser, std::void_t<decltype(Parser::mayEndAtLimit)>>
    : std::integral_constant<bool, Parser::mayEndAtLimit> {
};

// Measures data with a fresh parser, the input being exactly size bytes in a block of their own
// (so that AddressSanitizer sees any read past them) and the cursor stopping at limit.
template <class MakeParser>
std::uint64_t fuzzMeasure(MakeParser makeParser, const std::uint8_t* data, std::size_t size, std::uint64_t limit)
{
    std::vector<unsigned char> copy(data, data + size);
    MemorySource source(copy.data(), copy.size());
    ByteCursor cursor(source, 0, limit);
    auto parser = makeParser();
    return parser.measure(cursor);
}

// One fuzzing step for a parser, made afresh by makeParser for every parse, as extract does:
// - detect reads nothing beyond its window (the window is copied to a block of exactly that size);
// - detect keeps the promise of the parser's signatures: it accepts no window that none of them
//   matches, and none of them reaches past the window;
// - a measured file lies inside its input;
// - the file measured is a file of its own: cut out of its input it measures the same;
// - the size window holds: under a limit, the parser finds the same file when it fits and none
//   when it does not, never a shorter piece of it; a parser that may end a file at the limit
//   (MayEndAtLimit) gives a file of its own there, no longer than the limit.
template <class MakeParser>
int fuzzParser(const std::uint8_t* data, std::size_t size, MakeParser makeParser)
{
    using Parser = decltype(makeParser());
    if (size >= Parser::windowSize) {
        std::vector<unsigned char> window(data, data + Parser::windowSize);
        const bool detected = Parser::detect(window.data());
        if (Parser::signatures().span() > Parser::windowSize) {
            fuzzFailure("a signature reaches past the window", Parser::windowSize, Parser::signatures().span());
        }
        if (detected && !Parser::signatures().matches(window.data())) {
            fuzzFailure("detect accepted a window that no signature matches", 0, 1);
        }
    }
    const std::uint64_t unlimited = std::numeric_limits<std::uint64_t>::max();
    const std::uint64_t length = fuzzMeasure(makeParser, data, size, unlimited);
    if (length > size) {
        fuzzFailure("the file measured reaches past its input", size, length);
    }
    if (length > 0) {
        std::uint64_t alone = fuzzMeasure(makeParser, data, static_cast<std::size_t>(length), unlimited);
        if (alone != length) {
            fuzzFailure("the file cut out of its input measures differently", length, alone);
        }
    }
    // The limit comes from the input's last byte, so that the fuzzer steers it across the file's end.
    const std::uint64_t limit = size == 0 ? 0 : data[size - 1] * size / 255;
    const std::uint64_t limited = fuzzMeasure(makeParser, data, size, limit);
    const std::uint64_t expected = length <= limit ? length : 0;
    if (limited != expected) {
        const bool endedAtLimit = MayEndAtLimit<Parser>::value && length > limit && limited <= limit &&
                                  (limited == 0 ||
                                   fuzzMeasure(makeParser, data, static_cast<std::size_t>(limited), unlimited) == limited);
        if (!endedAtLimit) {
            fuzzFailure("a limit changed the file measured", expected, limited);
        }
    }
    return 0;
}
