#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/jpeg2000/Jpeg2000parser.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// The file format and the bare codestream, told apart by their first bytes, which detect sees;
// the program asks for the kind right after it. Every JP2 file holds a codestream that would be a
// find of its own, the same picture again: the plug-in remembers where the codestream of the
// last JP2 file it found lies and takes no bare codestream there. Checked side by side, a call at
// the codestream of the last find settled so far skips its walk; settle tells whether the finds
// settled since bear that out.
class Jpeg2000Plugin final : public FormatPlugin<Jpeg2000Parser> {
public:
    static constexpr bool callsConcurrently = true;

    Jpeg2000Plugin();

    bool detect(const unsigned char* data) override;
    const char* getKind() override;
    unsigned extract(const char* inputPath, unsigned offsetHigh, unsigned offsetLow,
                     const char* outputPath) override;

protected:
    std::uint64_t measure(ByteCursor& input) override;
    std::uint64_t measureCall(ByteCursor& input, Attempt& attempt) override;
    Settled settle(const ExtractCall& call, unsigned result, CallNote* note) override;
    std::vector<const char*> kinds() override;

private:
    struct Note : CallNote {
        bool skipped = false;
        std::uint64_t codestream = 0;
    };

    // Under memoryMutex.
    bool atFoundCodestream(const char* inputPath, std::uint64_t offset) const;
    void remember(const char* inputPath, std::uint64_t offset, std::uint64_t codestreamStart);

    // Detect and getKind, on the run's thread.
    const char* kind = "jp2";
    // Written on the run's thread, read by the calls beside it.
    std::mutex memoryMutex;
    std::string foundPath;
    std::uint64_t foundCodestream = 0;
    // The extract running now, one after another.
    bool candidateSkipped = false;
    std::uint64_t codestream = 0;
};
