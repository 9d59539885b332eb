#include "plugins/mp3/Mp3plugin.h"

#include "plugins/common/Pluginexports.h"

#include <memory>

Mp3Plugin::Mp3Plugin() : FormatPlugin("glintfetch.mp3", "MP3 音声", "mp3")
{
}

bool Mp3Plugin::insideLast(const char* inputPath, std::uint64_t offset) const
{
    return inputPath != nullptr && lastInput == inputPath && offset >= lastStart && offset < lastEnd;
}

void Mp3Plugin::remember(const char* inputPath, std::uint64_t offset, unsigned result, std::uint64_t framesStart)
{
    lastInput = inputPath;
    lastStart = offset + framesStart;
    // The clamped result of a file past 4 GiB still covers its frames far enough.
    lastEnd = offset + result;
}

std::uint64_t Mp3Plugin::measure(ByteCursor& input)
{
    measuredFramesStart = 0;
    if (candidateInside) {
        return 0;
    }
    Mp3Parser parser;
    const std::uint64_t length = parser.measure(input);
    measuredFramesStart = parser.framesStart();
    return length;
}

unsigned Mp3Plugin::extract(const char* inputPath, unsigned offsetHigh, unsigned offsetLow, const char* outputPath)
{
    const std::uint64_t offset = std::uint64_t{offsetHigh} << 32 | offsetLow;
    {
        const std::lock_guard<std::mutex> lock(memoryMutex);
        candidateInside = insideLast(inputPath, offset);
    }
    // Through the base even for a tail, so that the reason of an earlier failure is not left behind.
    const unsigned result = FormatPlugin::extract(inputPath, offsetHigh, offsetLow, outputPath);
    if (result > 0) {
        const std::lock_guard<std::mutex> lock(memoryMutex);
        remember(inputPath, offset, result, measuredFramesStart);
    }
    return result;
}

std::uint64_t Mp3Plugin::measureCall(ByteCursor& input, Attempt& attempt)
{
    auto note = std::make_unique<Note>();
    {
        const std::lock_guard<std::mutex> lock(memoryMutex);
        note->skipped = insideLast(attempt.inputPath, attempt.offset);
    }
    std::uint64_t length = 0;
    if (!note->skipped) {
        Mp3Parser parser;
        length = parser.measure(input);
        note->framesStart = parser.framesStart();
    }
    attempt.note = std::move(note);
    return length;
}

PluginBase::Settled Mp3Plugin::settle(const ExtractCall& call, unsigned result, CallNote* callNote)
{
    const auto* note = static_cast<const Note*>(callNote);
    const std::lock_guard<std::mutex> lock(memoryMutex);
    if (note == nullptr) {
        return Settled::stands;
    }
    if (insideLast(call.inputPath, call.offset)) {
        return note->skipped ? Settled::stands : Settled::withdrawn;
    }
    if (note->skipped) {
        return Settled::again;
    }
    if (result > 0) {
        remember(call.inputPath, call.offset, result, note->framesStart);
    }
    return Settled::stands;
}

GLINTFETCH_EXPORT_PLUGIN(Mp3Plugin)
