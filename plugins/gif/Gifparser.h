#pragma once

#include <cstdint>
#include <unordered_map>

class ByteCursor;
class SignatureSet;

// A GIF87a or GIF89a file: header, logical screen, optional global colour table, then images and
// extensions up to the trailer. Each image's LZW data is decoded far enough to know that its codes
// are valid and that they cover every pixel, because GIF has no checksum and no length that could
// tell a whole image from a cut one.
class GifParser {
public:
    // Where the sub-block chains of one input end, kept by the plug-in object across the
    // candidates of a run. A GIF header found inside another GIF's sub-blocks often leads into
    // the same chain; without this each such candidate would walk the rest of it again, so a
    // chain of n sub-blocks with a header in each would cost n * n steps.
    class ChainEnds {
    public:
        // Positions are those of the input; origin is where the candidate being parsed begins.
        void reset();
        std::uint64_t origin = 0;

    private:
        friend class GifParser;
        struct End {
            // Just past the terminator; or, when the chain ran into the limit, that limit.
            std::uint64_t position;
            bool terminated;
        };
        std::unordered_map<std::uint64_t, End> ends;
    };

    explicit GifParser(ChainEnds* chains = nullptr);

    static constexpr unsigned windowSize = 6;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);

private:
    bool skipSubBlocks(ByteCursor& input);
    bool skipRemembered(ByteCursor& input);

    ChainEnds* chains;
    bool checkImage(ByteCursor& input);
    bool decodeImageData(ByteCursor& input, unsigned minimumCodeSize, std::uint64_t pixels);
};
