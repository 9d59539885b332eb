#include "plugins/jpeg2000/Jpeg2000plugin.h"

#include "plugins/common/Pluginexports.h"

Jpeg2000Plugin::Jpeg2000Plugin() : FormatPlugin("glintfetch.jpeg2000", "JPEG 2000 画像", "jp2")
{
}

bool Jpeg2000Plugin::detect(const unsigned char* data)
{
    const char* found = Jpeg2000Parser::kindOf(data);
    if (found == nullptr) {
        return false;
    }
    kind = found;
    return true;
}

const char* Jpeg2000Plugin::getKind()
{
    return kind;
}

unsigned Jpeg2000Plugin::extract(const char* inputPath, unsigned offsetHigh, unsigned offsetLow,
                                 const char* outputPath)
{
    candidatePath = inputPath != nullptr ? inputPath : "";
    candidateOffset = std::uint64_t{offsetHigh} << 32 | offsetLow;
    codestream = 0;
    const unsigned result = FormatPlugin::extract(inputPath, offsetHigh, offsetLow, outputPath);
    if (result > 0 && codestream != 0) {
        foundPath = candidatePath;
        foundCodestream = candidateOffset + codestream;
    }
    return result;
}

std::uint64_t Jpeg2000Plugin::measure(ByteCursor& input)
{
    if (candidatePath == foundPath && foundCodestream != 0 && candidateOffset == foundCodestream) {
        return 0;
    }
    Jpeg2000Parser parser;
    const std::uint64_t length = parser.measure(input);
    codestream = parser.codestreamStart();
    return length;
}

GLINTFETCH_EXPORT_PLUGIN(Jpeg2000Plugin)
