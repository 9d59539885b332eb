#include "plugins/mpg/Mpgplugin.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Pluginexports.h"

#include <memory>
#include <string>

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
    const std::string path = inputPath != nullptr ? inputPath : "";
    refusals.clear();
    try {
        const std::lock_guard<std::mutex> lock(memoryMutex);
        candidateInside = insideFound(inputPath, offset) || refused.knows(path, offset);
    } catch (...) {
        refused.clear();
    }
    measured = 0;
    const unsigned result = FormatPlugin::extract(inputPath, offsetHigh, offsetLow, outputPath);
    if (result > 0) {
        const std::lock_guard<std::mutex> lock(memoryMutex);
        remember(inputPath, offset, measured);
    } else if (failure() == EXTRACT_NOTHING_FOUND) {
        // A walk that could not read the input, or was cancelled, proves nothing about the rest.
        try {
            refused.remember(path, offset, refusals);
        } catch (...) {
            refused.clear();
        }
    }
    return result;
}

std::uint64_t MpgPlugin::walk(ByteCursor& input, std::vector<std::uint64_t>& proved)
{
    MpgParser parser;
    const std::uint64_t length = parser.measure(input);
    // A later pack reaches further when the size window, not the input's end, stopped this walk.
    if (length == 0 && input.limit() == input.inputLength()) {
        proved = parser.refused();
    }
    return length;
}

std::uint64_t MpgPlugin::measure(ByteCursor& input)
{
    if (candidateInside) {
        return 0;
    }
    measured = walk(input, refusals);
    return measured;
}

std::uint64_t MpgPlugin::measureCall(ByteCursor& input, Attempt& attempt)
{
    auto note = std::make_unique<Note>();
    {
        const std::lock_guard<std::mutex> lock(memoryMutex);
        note->skipped = insideFound(attempt.inputPath, attempt.offset) ||
                        refused.holds(attempt.inputPath != nullptr ? attempt.inputPath : "", attempt.offset);
    }
    if (!note->skipped) {
        note->measured = walk(input, note->refusals);
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
    const std::string path = call.inputPath != nullptr ? call.inputPath : "";
    try {
        if (insideFound(call.inputPath, call.offset) || refused.knows(path, call.offset)) {
            return note->skipped ? Settled::stands : Settled::withdrawn;
        }
        if (note->skipped) {
            return Settled::again;
        }
        if (result > 0) {
            remember(call.inputPath, call.offset, note->measured);
        } else if (call.failure == EXTRACT_NOTHING_FOUND) {
            refused.remember(path, call.offset, note->refusals);
        }
    } catch (...) {
        refused.clear();
    }
    return Settled::stands;
}

GLINTFETCH_EXPORT_PLUGIN(MpgPlugin)
