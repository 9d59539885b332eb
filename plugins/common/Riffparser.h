#pragma once

#include <cstdint>

class ByteCursor;

// A RIFF form: "RIFF", its size, the form type, then chunks that fill that size exactly, each
// with a printable identifier and padded to an even length (the pad after the last chunk may be
// missing). Subclasses check the chunks of their form. Identifiers are compared as the words
// that loadWord32 gives for them.
class RiffParser {
public:
    // "RIFF", the size and the form type.
    static constexpr unsigned windowSize = 12;

    virtual ~RiffParser() = default;

protected:
    static bool detectForm(const unsigned char* data, std::uint32_t formType);

    // Measures the form that begins at start, a position of the cursor, and gives the position
    // just past its end, or 0 when it is not a whole, valid form of that type.
    std::uint64_t measureForm(ByteCursor& input, std::uint64_t start, std::uint32_t formType);

    // Called for every chunk of the form, with the cursor at the chunk's data, of which it may
    // read up to size bytes.
    virtual bool visitChunk(ByteCursor& input, std::uint32_t id, std::uint32_t size) = 0;
    // Called once the chunks have filled the form.
    virtual bool isComplete() = 0;
};
