#include "engine/Runinput.h"

#include "engine/Scanbuffer.h"
#include "framework/Exception.h"
#include "framework/IMemory.h"
#include "framework/IRandomAccessFile.h"

#include <algorithm>
#include <cstring>

namespace {

// A large find is copied through the spill block in pieces of this size, so that the run's memory
// stays bounded whatever the plug-in asks for at once.
constexpr std::uint32_t spillSize = 1024 * 1024;

}  // namespace

RunInput::RunInput(const ScanBuffer& buffer, IRandomAccessFile* file, IMemory* spill)
    : buffer(buffer), file(file), spill(spill) {}

void RunInput::open(IResource* input, std::uint64_t size) {
    entry = input;
    length = size;
    fileOpen = false;
    found.clear();
}

bool RunInput::touchesUnreadable(std::uint64_t offset, std::uint64_t count) const {
    return found.touches(offset, count) || buffer.unreadable().touches(offset, count);
}

UnreadableRanges RunInput::unreadable() const {
    UnreadableRanges all = buffer.unreadable();
    all.add(found);
    return all;
}

const ByteRange* RunInput::nextUnreadable(std::uint64_t offset) const {
    const ByteRange* mine = found.firstEndingAfter(offset);
    const ByteRange* scanned = buffer.unreadable().firstEndingAfter(offset);
    if (mine == nullptr) return scanned;
    if (scanned == nullptr) return mine;
    return scanned->offset < mine->offset ? scanned : mine;
}

std::int64_t RunInput::read(std::uint64_t offset, unsigned char* target, std::uint32_t count) {
    if (entry == nullptr || (target == nullptr && count > 0)) return -1;
    if (offset >= length) return 0;
    const std::uint32_t wanted = static_cast<std::uint32_t>(std::min<std::uint64_t>(count, length - offset));
    std::uint32_t done = 0;
    while (done < wanted) {
        const std::uint64_t at = offset + done;
        const std::uint64_t first = buffer.first();
        if (at >= first && at - first < buffer.held()) {
            const auto from = static_cast<std::uint32_t>(at - first);
            const std::uint32_t piece = std::min(wanted - done, buffer.held() - from);
            std::memcpy(target + done, buffer.data() + from, piece);
            done += piece;
            continue;
        }
        // Up to where the block in memory begins, if it lies ahead; the rest from the file.
        std::uint32_t piece = wanted - done;
        if (first > at && buffer.held() > 0) piece = static_cast<std::uint32_t>(std::min<std::uint64_t>(piece, first - at));
        const std::int64_t got = readFile(at, target + done, piece);
        if (got < 0) return -1;
        done += static_cast<std::uint32_t>(got);
        // The file ended before the length the run took: it shrank meanwhile.
        if (static_cast<std::uint32_t>(got) < piece) break;
    }
    return done;
}

// Around the stretches known unreadable, which read as zeros without asking the device again.
std::int64_t RunInput::readFile(std::uint64_t offset, unsigned char* target, std::uint32_t count) {
    std::uint32_t done = 0;
    while (done < count) {
        const std::uint64_t at = offset + done;
        const ByteRange* hole = nextUnreadable(at);
        if (hole != nullptr && hole->offset <= at) {
            const auto piece = static_cast<std::uint32_t>(std::min<std::uint64_t>(count - done, hole->end() - at));
            std::memset(target + done, 0, piece);
            done += piece;
            continue;
        }
        std::uint32_t piece = count - done;
        if (hole != nullptr) piece = static_cast<std::uint32_t>(std::min<std::uint64_t>(piece, hole->offset - at));
        const std::int64_t got = readDevice(at, target + done, piece);
        if (got < 0) return -1;
        done += static_cast<std::uint32_t>(got);
        if (static_cast<std::uint32_t>(got) < piece) break;
    }
    return done;
}

std::int64_t RunInput::readDevice(std::uint64_t offset, unsigned char* target, std::uint32_t count) {
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
            newlyFound.clear();
            const std::int32_t got = file->readSalvaging(spill, newlyFound);
            found.add(newlyFound);
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
