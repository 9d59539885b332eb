#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/jpeg2000/Jpeg2000parser.h"

#include <string>

// The file format and the bare codestream, told apart by their first bytes, which detect sees;
// the program asks for the kind right after it. Every JP2 file holds a codestream that would be a
// find of its own, the same picture again: the plug-in remembers where the codestream of the
// last JP2 file it found lies and takes no bare codestream there.
class Jpeg2000Plugin final : public FormatPlugin<Jpeg2000Parser> {
public:
    Jpeg2000Plugin();

    bool detect(const unsigned char* data) override;
    const char* getKind() override;
    unsigned extract(const char* inputPath, unsigned offsetHigh, unsigned offsetLow,
                     const char* outputPath) override;

protected:
    std::uint64_t measure(ByteCursor& input) override;

private:
    const char* kind = "jp2";
    std::string candidatePath;
    std::uint64_t candidateOffset = 0;
    std::uint64_t codestream = 0;
    std::string foundPath;
    std::uint64_t foundCodestream = 0;
};
