#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

class ByteCursor;
class SignatureSet;

// A ZIP archive (PKWARE's APPNOTE): local file headers with their data, each entry's data
// descriptor where bit 3 of its flags asks for one, the central directory, the ZIP64 end of
// central directory record and locator where present, and the end of central directory record with
// its comment, which ends the file; between the last entry and the central directory, an Android
// package's signing block where there is one. The central directory must list exactly the entries
// walked, at the offsets they were found at (so from the archive's first byte), with the same
// method, CRC-32 and compressed size. An entry whose sizes follow its data is walked by inflating
// its deflate stream to its end (nothing is kept of what it holds); one stored or compressed in
// another way with no size before its data cannot be walked, and the archive is refused.
class ZipParser {
public:
    static constexpr unsigned localHeaderSize = 30;
    static constexpr unsigned windowSize = localHeaderSize;

    // Sees the name of every entry in order, as the local headers give them.
    using NameVisitor = std::function<void(const unsigned char* name, std::size_t length)>;

    static bool detect(const unsigned char* data);
    static const SignatureSet& signatures();
    std::uint64_t measure(ByteCursor& input);
    std::uint64_t measure(ByteCursor& input, const NameVisitor& visitor);
    // Where the local headers after the first begin, once measure has found an archive; or,
    // when it has found the entries walked to be the later entries of an archive that begins
    // before the cursor's first byte, where they all begin.
    const std::vector<std::uint64_t>& members() const;
    // Once measure has found no archive: the local headers after the first from which a walk is
    // bound to fail as well. Every walk from a later header of the chain reads the same entries
    // and stops where this one stopped; it could still succeed only where the central directory
    // lists exactly the entries left from there, so such a header is left out.
    const std::vector<std::uint64_t>& refused() const;

private:
    struct Entry {
        std::uint64_t offset;
        std::uint64_t compressedSize;
        std::uint32_t crc;
        std::uint16_t method;
        bool matched;
    };

    bool walkEntry(ByteCursor& input, const NameVisitor& visitor);
    // Moves past an APK signing block that begins where signature was read, and reads the
    // central directory's signature after it.
    bool skipSigningBlock(ByteCursor& input, std::uint32_t& signature);
    bool walkCentralDirectory(ByteCursor& input, std::uint64_t& count);
    // Whether the central directory's entries hold every walked entry, shift bytes further on.
    bool matchListed(std::vector<Entry>& listed, std::uint64_t shift);
    std::uint64_t walkEnd(ByteCursor& input, std::uint64_t centralStart, std::uint64_t centralEnd,
                          std::uint64_t count);
    // Refuses the walked entries from which listed central directory entries could not all
    // match; noCentralDirectory for a walk that found none.
    void refuseWalked(std::uint64_t listed);

    static constexpr std::uint64_t noCentralDirectory = UINT64_MAX;

    std::vector<Entry> entries;
    std::vector<std::uint64_t> laterHeaders;
    std::vector<std::uint64_t> refusedHeaders;
};
