#pragma once

#include <cstdint>
#include <set>

class ByteCursor;
class SignatureSet;

// A PDF file: the "%PDF-" header line, a body, and one or more cross-reference sections, each
// closed by "startxref", the section's offset and "%%EOF". Offsets count from the header's first
// byte. A closing is taken only when its section is a real cross-reference section (an "xref"
// table with its trailer, or a cross-reference stream) and every earlier section its trailer's
// /Prev chain names lies before it; a closing that points elsewhere (that of a PDF embedded in a
// stream, or the placeholder of a linearized file's first page) is passed over. When what follows
// a closing starts an incremental update (another object or "xref"), the file goes on to that
// update's closing, whose chain must lead back to the section before it; an update that does not
// close so makes the whole file unusable, as a reader would see it.
class PdfParser {
public:
    // "%PDF-", the version and the end of the header's text.
    static constexpr unsigned windowSize = 9;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);

private:
    struct Section {
        bool hasPrevious = false;
        std::uint64_t previous = 0;
        bool hasStream = false;
        std::uint64_t stream = 0;
    };

    // Reads "startxref", the offset and "%%EOF" from the cursor, which stands just past the
    // keyword; offset and end (past "%%EOF" and its end of line) on success.
    bool readClosing(ByteCursor& input, std::uint64_t& offset, std::uint64_t& end);
    // Whether the chain of sections that begins at offset lies before stop, and passes through
    // mustReach when one is given.
    bool checkChain(ByteCursor& input, std::uint64_t offset, std::uint64_t stop, bool hasMustReach,
                    std::uint64_t mustReach);
    bool readSection(ByteCursor& input, std::uint64_t offset, std::uint64_t stop, Section& section);
    // Whether an incremental update begins at end (white space, then an object or "xref").
    static bool updateFollows(ByteCursor& input, std::uint64_t end);
};
