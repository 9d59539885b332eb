#pragma once

#include <cstdint>

class ByteCursor;

// An IFF form, as Apple's and Electronic Arts' formats use it: "FORM", its size, the form type,
// then chunks that fill that size exactly, each with a printable identifier and a size in
// big-endian order, padded to an even length. Subclasses check the chunks of their form.
// Identifiers are compared as the words that loadWord32 gives for them.
class IffParser {
public:
    // "FORM", the size and the form type.
    static constexpr unsigned windowSize = 12;

    virtual ~IffParser() = default;

protected:
    static bool detectForm(const unsigned char* data, std::uint32_t formType);

    // Measures the form that begins at the cursor's first byte and gives its length, or 0 when
    // it is not a whole, valid form of that type. The caller has checked the type.
    std::uint64_t measureForm(ByteCursor& input);

    // Called for every chunk of the form, with the cursor at the chunk's data, of which it may
    // read up to size bytes.
    virtual bool visitChunk(ByteCursor& input, std::uint32_t id, std::uint32_t size) = 0;
    // Called once the chunks have filled the form.
    virtual bool isComplete() = 0;
};
