#pragma once

#include <cstdint>

class ByteCursor;

// A RIFF form: "RIFF", its size, the form type, then chunks that fill that size exactly, each
// with a printable identifier and padded to an even length. Subclasses check the chunks of their
// form. Identifiers are compared as the words that loadWord32 gives for them.
//
// Real writers bend this, and the walk takes what they write:
// - an odd chunk whose pad byte was left out (the next identifier starts one byte early);
// - a form whose size was never written (0 or 0xFFFFFFFF: the recorder stopped before it closed
//   the file): the chunks are walked by their own sizes and the form ends after the last whole
//   one, or where the size window ends, whichever comes first; a list of unwritten size there
//   holds the chunks that follow it;
// - for forms that take them (acceptsLargeForms), RF64 and BW64: the sizes past 4 GiB lie in the
//   "ds64" chunk that comes first, and a chunk whose size field is 0xFFFFFFFF takes its size from it.
class RiffParser {
public:
    // "RIFF", the size and the form type.
    static constexpr unsigned windowSize = 12;

    virtual ~RiffParser() = default;

protected:
    static bool detectForm(const unsigned char* data, std::uint32_t formType);
    // Also "RF64" and "BW64".
    static bool detectLargeForm(const unsigned char* data, std::uint32_t formType);

    // Measures the form that begins at start, a position of the cursor, and gives the position
    // just past its end, or 0 when it is not a whole, valid form of that type.
    std::uint64_t measureForm(ByteCursor& input, std::uint64_t start, std::uint32_t formType);

    // Called for every chunk of the form, with the cursor at the chunk's data, of which it may
    // read up to size bytes.
    virtual bool visitChunk(ByteCursor& input, std::uint32_t id, std::uint64_t size) = 0;
    // Called once the chunks have filled the form.
    virtual bool isComplete() = 0;

    virtual bool acceptsLargeForms() const;
    // Whether a form whose size was never written is walked by its chunks; else it is refused.
    virtual bool acceptsOpenForms() const;
    // Whether a chunk with this size field holds everything up to the form's end: its size was
    // never written. Asked only where the size field could not be meant (0, 0xFFFFFFFF).
    virtual bool runsToEnd(std::uint32_t id) const;
    // The unit that the data of a chunk running to an unknown end comes in: it ends after the
    // last whole one.
    virtual std::uint32_t unitOfOpenChunk() const;
    // Whether the form's size was missing: its end came from its chunks.
    bool wasOpen() const;

private:
    bool readLargeSizes(ByteCursor& input, std::uint64_t start, std::uint64_t& position, std::uint64_t& end);
    std::uint64_t walkClosed(ByteCursor& input, std::uint64_t position, std::uint64_t end);
    std::uint64_t walkOpen(ByteCursor& input, std::uint64_t position);
    bool largeSize(std::uint32_t id, std::uint64_t& size) const;

    bool large = false;
    bool open = false;
    std::uint64_t dataSize = 0;
    // The ds64 table: a few chunks besides data may be larger than 4 GiB.
    static constexpr int tableCapacity = 8;
    std::uint32_t tableIds[tableCapacity] = {};
    std::uint64_t tableSizes[tableCapacity] = {};
    int tableCount = 0;
};
