#include "engine/Callinput.h"

#include "framework/Exception.h"
#include "framework/IMemory.h"
#include "framework/IRandomAccessFile.h"
#include "framework/IResource.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// A large find is copied through the spill block in pieces of this size, so that a thread's memory
// stays bounded whatever the plug-in asks for at once.
constexpr std::uint32_t spillSize = 1024 * 1024;

}  // namespace

CallInput::CallInput(IResource* entry, IRandomAccessFile* file, IMemory* spill, std::function<bool()> cancelled)
    : entry(entry), file(file), spill(spill), cancelled(std::move(cancelled)) {
    table.size = sizeof(ExtractHost);
    table.context = this;
    table.getExtractSizeWindow = &CallInput::sizeWindow;
    table.isCancelled = &CallInput::isCancelled;
    table.getInputSize = &CallInput::inputSize;
    table.readInput = &CallInput::readInput;
}

void CallInput::open(const std::string& path, std::uint64_t size, std::uint64_t low, std::uint64_t high) {
    entry->setPath(path);
    length = size;
    minimum = low;
    maximum = high;
    fileOpen = false;
}

void CallInput::begin(const unsigned char* bytes, std::uint32_t count, std::uint64_t offset) {
    head = bytes;
    headCount = count;
    headOffset = offset;
    inCall = true;
}

void CallInput::end() {
    inCall = false;
    head = nullptr;
    headCount = 0;
}

std::int64_t CallInput::read(std::uint64_t offset, unsigned char* target, std::uint32_t count) {
    if (!inCall || (target == nullptr && count > 0)) return -1;
    if (offset >= length) return 0;
    const auto wanted = static_cast<std::uint32_t>(std::min<std::uint64_t>(count, length - offset));
    std::uint32_t done = 0;
    while (done < wanted) {
        const std::uint64_t at = offset + done;
        if (at >= headOffset && at - headOffset < headCount) {
            const auto from = static_cast<std::uint32_t>(at - headOffset);
            const std::uint32_t piece = std::min(wanted - done, headCount - from);
            std::memcpy(target + done, head + from, piece);
            done += piece;
            continue;
        }
        // Up to where the copy begins, if it lies ahead; the rest from the file.
        std::uint32_t piece = wanted - done;
        if (headOffset > at && headCount > 0) piece = static_cast<std::uint32_t>(std::min<std::uint64_t>(piece, headOffset - at));
        const std::int64_t got = readFile(at, target + done, piece);
        if (got < 0) return -1;
        done += static_cast<std::uint32_t>(got);
        // The file ended before the length the run took: it shrank meanwhile.
        if (static_cast<std::uint32_t>(got) < piece) break;
    }
    return done;
}

std::int64_t CallInput::readFile(std::uint64_t offset, unsigned char* target, std::uint32_t count) {
    try {
        if (!fileOpen) {
            file->setFile(entry);
            fileOpen = true;
        }
        file->seek(static_cast<std::int32_t>(offset >> 32), static_cast<std::uint32_t>(offset));
        std::uint32_t done = 0;
        while (done < count) {
            const std::uint32_t piece = std::min(count - done, spillSize);
            // The file reads as much as the block holds.
            if (spill->getSize() != piece) spill->setSize(piece);
            const std::int32_t got = file->read(spill);
            if (got <= 0) break;
            std::memcpy(target + done, spill->getPointer(), static_cast<std::size_t>(got));
            done += static_cast<std::uint32_t>(got);
            if (static_cast<std::uint32_t>(got) < piece) break;
        }
        return done;
    } catch (const Exception&) {
        return -1;
    }
}

void CallInput::sizeWindow(void* context, uint64_t* minimum, uint64_t* maximum) {
    const auto* self = static_cast<const CallInput*>(context);
    if (minimum != nullptr) *minimum = self->minimum;
    if (maximum != nullptr) *maximum = self->maximum;
}

int CallInput::isCancelled(void* context) {
    // Nothing may be thrown back into a plug-in.
    try {
        return static_cast<CallInput*>(context)->cancelled() ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

uint64_t CallInput::inputSize(void* context) {
    const auto* self = static_cast<const CallInput*>(context);
    return self->inCall ? self->length : 0;
}

int64_t CallInput::readInput(void* context, uint64_t offset, unsigned char* target, uint32_t count) {
    // Nothing may be thrown back into a plug-in.
    try {
        return static_cast<CallInput*>(context)->read(offset, target, count);
    } catch (...) {
        return -1;
    }
}
