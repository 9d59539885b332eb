#pragma once

#include <cstdint>
#include <vector>

class ByteCursor;
class SignatureSet;
struct IsoBox;

// A file of the ISO base media family: MP4 and its relatives (3GP, M4A), QuickTime, the still
// pictures of HEIF (HEIC, AVIF) and Canon's CR3. Its top-level boxes are walked from the first to
// the last one whose type a top-level box can have; the file ends there. The kind comes from the
// major brand of the leading ftyp box, which lies in the detector's window, so that the plug-in
// can tell it before the file is measured. A movie must hold a movie box with its header, a
// picture a meta box with a picture handler.
//
// Old QuickTime files have no ftyp and start with their movie, media data or a wide box, which
// every MP4 also holds further in: such a file counts only when the first chunk of its tracks
// begins exactly where one of its media data boxes starts its payload, which an MP4's inner
// boxes, read from the wrong origin, do not.
class IsoMediaParser {
public:
    static constexpr unsigned windowSize = 64;

    static const SignatureSet& signatures();
    static bool detect(const unsigned char* data);
    // The kind of file that starts at data, a window of windowSize bytes, or null when none does.
    static const char* kindOf(const unsigned char* data);

    std::uint64_t measure(ByteCursor& input);
    // Once measure has found a file: where its top-level boxes after the first begin. Each of them
    // could only begin an old QuickTime file whose chunk offsets count from it, which those of the
    // file found do not.
    const std::vector<std::uint64_t>& members() const;
    // Once measure has found none: the top-level boxes after the first that the walk passed, where
    // a walk from any of them is bound to fail as well (it meets the same boxes, and no movie box
    // after it where this walk saw none); empty where the failure says nothing of them.
    const std::vector<std::uint64_t>& refused() const;

private:
    std::uint64_t walk(ByteCursor& input);
    bool checkMovie(ByteCursor& input, const IsoBox& movie);
    bool checkMeta(ByteCursor& input, const IsoBox& meta);
    bool firstChunkOf(ByteCursor& input, const IsoBox& track, std::uint64_t& offset);

    bool needsProof = false;
    bool sawChunk = false;
    std::uint64_t firstChunk = 0;
    std::vector<std::uint64_t> mediaStarts;
    std::vector<std::uint64_t> boxes;
    // Whether the way the walk failed holds for the boxes after the first.
    bool provesLater = true;
    std::vector<std::uint64_t> laterBoxes;
    std::vector<std::uint64_t> refusedBoxes;
};
