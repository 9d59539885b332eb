#include "plugins/jpeg2000/Jpeg2000plugin.h"

#include "plugins/common/Pluginexports.h"

#include <memory>

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

bool Jpeg2000Plugin::atFoundCodestream(const char* inputPath, std::uint64_t offset) const
{
    return (inputPath != nullptr ? inputPath : "") == foundPath && foundCodestream != 0 && offset == foundCodestream;
}

void Jpeg2000Plugin::remember(const char* inputPath, std::uint64_t offset, std::uint64_t codestreamStart)
{
    if (codestreamStart != 0) {
        foundPath = inputPath != nullptr ? inputPath : "";
        foundCodestream = offset + codestreamStart;
    }
}

unsigned Jpeg2000Plugin::extract(const char* inputPath, unsigned offsetHigh, unsigned offsetLow,
                                 const char* outputPath)
{
    const std::uint64_t offset = std::uint64_t{offsetHigh} << 32 | offsetLow;
    {
        const std::lock_guard<std::mutex> lock(memoryMutex);
        candidateSkipped = atFoundCodestream(inputPath, offset);
    }
    codestream = 0;
    const unsigned result = FormatPlugin::extract(inputPath, offsetHigh, offsetLow, outputPath);
    if (result > 0) {
        const std::lock_guard<std::mutex> lock(memoryMutex);
        remember(inputPath, offset, codestream);
    }
    return result;
}

std::uint64_t Jpeg2000Plugin::measure(ByteCursor& input)
{
    if (candidateSkipped) {
        return 0;
    }
    Jpeg2000Parser parser;
    const std::uint64_t length = parser.measure(input);
    codestream = parser.codestreamStart();
    return length;
}

std::uint64_t Jpeg2000Plugin::measureCall(ByteCursor& input, Attempt& attempt)
{
    auto note = std::make_unique<Note>();
    {
        const std::lock_guard<std::mutex> lock(memoryMutex);
        note->skipped = atFoundCodestream(attempt.inputPath, attempt.offset);
    }
    std::uint64_t length = 0;
    if (!note->skipped) {
        Jpeg2000Parser parser;
        length = parser.measure(input);
        note->codestream = parser.codestreamStart();
    }
    attempt.note = std::move(note);
    return length;
}

PluginBase::Settled Jpeg2000Plugin::settle(const ExtractCall& call, unsigned result, CallNote* callNote)
{
    const auto* note = static_cast<const Note*>(callNote);
    const std::lock_guard<std::mutex> lock(memoryMutex);
    if (note == nullptr) {
        return Settled::stands;
    }
    if (atFoundCodestream(call.inputPath, call.offset)) {
        return note->skipped ? Settled::stands : Settled::withdrawn;
    }
    if (note->skipped) {
        return Settled::again;
    }
    if (result > 0) {
        remember(call.inputPath, call.offset, note->codestream);
    }
    return Settled::stands;
}

std::vector<const char*> Jpeg2000Plugin::kinds()
{
    return {"jp2", "j2k"};
}

GLINTFETCH_EXPORT_PLUGIN(Jpeg2000Plugin)
