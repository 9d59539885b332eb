#include "plugins/mpg/Mpgplugin.h"

#include "plugins/common/Pluginexports.h"

#include <memory>

MpgPlugin::MpgPlugin() : FormatPlugin("glintfetch.mpg", "MPEG プログラムストリーム動画", "mpg")
{
}

bool MpgPlugin::insideFound(const char* inputPath, std::uint64_t offset) const
{
    return (inputPath != nullptr ? inputPath : "") == foundPath && offset > foundStart && offset < foundEnd;
}

void MpgPlugin::remember(const char* inputPath, std::uint64_t offset, std::uint64_t length)
{
    foundPath = inputPath != nullptr ? inputPath : "";
    foundStart = offset;
    foundEnd = offset + length;
}

unsigned MpgPlugin::extract(const char* inputPath, unsigned offsetHigh, unsigned offsetLow, const char* outputPath)
{
    const std::uint64_t offset = std::uint64_t{offsetHigh} << 32 | offsetLow;
    {
        const std::lock_guard<std::mutex> lock(memoryMutex);
        candidateInside = insideFound(inputPath, offset);
    }
    measured = 0;
    const unsigned result = FormatPlugin::extract(inputPath, offsetHigh, offsetLow, outputPath);
    if (result > 0) {
        const std::lock_guard<std::mutex> lock(memoryMutex);
        remember(inputPath, offset, measured);
    }
    return result;
}

std::uint64_t MpgPlugin::measure(ByteCursor& input)
{
    if (candidateInside) {
        return 0;
    }
    measured = FormatPlugin::measure(input);
    return measured;
}

std::uint64_t MpgPlugin::measureCall(ByteCursor& input, Attempt& attempt)
{
    auto note = std::make_unique<Note>();
    {
        const std::lock_guard<std::mutex> lock(memoryMutex);
        note->skipped = insideFound(attempt.inputPath, attempt.offset);
    }
    if (!note->skipped) {
        note->measured = FormatPlugin::measure(input);
    }
    const std::uint64_t length = note->measured;
    attempt.note = std::move(note);
    return length;
}

PluginBase::Settled MpgPlugin::settle(const ExtractCall& call, unsigned result, CallNote* callNote)
{
    const auto* note = static_cast<const Note*>(callNote);
    const std::lock_guard<std::mutex> lock(memoryMutex);
    if (note == nullptr) {
        return Settled::stands;
    }
    if (insideFound(call.inputPath, call.offset)) {
        return note->skipped ? Settled::stands : Settled::withdrawn;
    }
    if (note->skipped) {
        return Settled::again;
    }
    if (result > 0) {
        remember(call.inputPath, call.offset, note->measured);
    }
    return Settled::stands;
}

GLINTFETCH_EXPORT_PLUGIN(MpgPlugin)
