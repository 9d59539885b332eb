#include "engine/Scanbuffer.h"

#include "framework/IMemory.h"
#include "framework/IRandomAccessFile.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// A block keeps at most about this many candidates from its readers; the rest of it is matched
// by the run when it gets there.
constexpr std::size_t heldCandidates = 64 * 1024;

}  // namespace

ScanBuffer::ScanBuffer(std::function<IMemory*()> makeMemory, std::function<IRandomAccessFile*()> makeFile)
    : makeMemory(std::move(makeMemory)), makeFile(std::move(makeFile)) {}

ScanBuffer::~ScanBuffer() {
    {
        const std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    work.notify_all();
    idle.notify_all();
    finished.notify_all();
    for (std::thread& reader : readers) reader.join();
}

unsigned ScanBuffer::readerThreads() {
    const unsigned processors = std::thread::hardware_concurrency();
    return std::clamp(processors > 1 ? processors - 1 : 1u, 1u, 8u);
}

std::uint32_t ScanBuffer::positionsFor(std::uint32_t least, std::uint32_t window, std::uint64_t budget) {
    // Every block reads its window again after its positions: the fewer positions a block has,
    // the more of the reading is windows.
    const std::uint64_t smallest = std::uint64_t{least} + window;
    for (unsigned blocks = readerThreads() + 2;; --blocks) {
        const std::uint64_t share = budget / blocks;
        if (share >= smallest) {
            return static_cast<std::uint32_t>(std::min<std::uint64_t>(share - window, UINT32_MAX - window));
        }
        if (blocks == 2) return least;
    }
}

void ScanBuffer::reserve(std::uint32_t positionsPerBlock, std::uint32_t windowSize, std::uint64_t budget,
                         const SignatureMatcher* signatureMatcher) {
    settle();
    blockPositions = positionsPerBlock;
    window = windowSize;
    matcher = signatureMatcher != nullptr && !signatureMatcher->empty() ? signatureMatcher : nullptr;
    const std::uint64_t slotSize = std::uint64_t{blockPositions} + window;
    // One block is the run's, the others are read ahead; two at the least, whatever the window.
    const unsigned wanted = readerThreads() + 2;
    const auto fitting = static_cast<unsigned>(std::min<std::uint64_t>(budget / slotSize, wanted));
    const unsigned slotCount = std::max(2u, fitting);
    const unsigned readerCount = slotCount - 1 < readerThreads() ? slotCount - 1 : readerThreads();

    if (file == nullptr) file = makeFile();
    while (slots.size() < slotCount) {
        slots.emplace_back();
        slots.back().memory = makeMemory();
    }
    for (Slot& slot : slots) slot.memory->setSize(static_cast<std::uint32_t>(slotSize));
    while (readerFiles.size() < readerCount && readers.empty()) readerFiles.push_back(makeFile());
    scratch = matcher != nullptr ? matcher->makeScratch() : nullptr;
    readerScratch.clear();
    for (std::size_t i = 0; i < readerFiles.size(); ++i) {
        readerScratch.push_back(matcher != nullptr ? matcher->makeScratch() : nullptr);
    }
    current = slots.size();
    bytes = slots.front().memory->getPointer();
    count = 0;
    blockStart = 0;
    heldBytes = 0;
}

void ScanBuffer::open(IResource* input, std::uint64_t inputSize) {
    settle();
    file->setFile(input);
    size = inputSize;
    count = 0;
    blockStart = 0;
    heldBytes = 0;
    unreadableSeen.clear();
    // Only an input of several blocks is read ahead; each reader opens it for itself, here, so
    // that a failure to open is the caller's at once and the readers only ever read.
    const std::uint64_t blocks = blockPositions == 0 ? 0 : (size + blockPositions - 1) / blockPositions;
    const auto ahead = static_cast<unsigned>(std::min<std::uint64_t>(readerFiles.size(), blocks > 1 ? blocks - 1 : 0));
    for (unsigned reader = 0; reader < ahead; ++reader) readerFiles[reader]->setFile(input);
    {
        const std::lock_guard<std::mutex> lock(mutex);
        readersOpen = ahead;
    }
    // Readers that had the last input open and not this one go over to waiting for an input.
    work.notify_all();
    idle.notify_all();
}

void ScanBuffer::fill(Slot& slot, IRandomAccessFile* source, SignatureMatcher::Scratch* matcherScratch) {
    slot.failure = nullptr;
    slot.candidates.clear();
    slot.positions = 0;
    slot.held = 0;
    slot.matched = 0;
    slot.unreadable.clear();
    try {
        source->seek(static_cast<std::int32_t>(slot.start >> 32), static_cast<std::uint32_t>(slot.start));
        const std::int32_t got = source->readSalvaging(slot.memory, slot.unreadable);
        unsigned char* target = slot.memory->getPointer();
        const std::uint64_t left = size > slot.start ? size - slot.start : 0;
        slot.positions = static_cast<std::uint32_t>(std::min<std::uint64_t>(left, blockPositions));
        // A file that grew since its size was taken shows no more than that size.
        const std::uint64_t valid = std::min<std::uint64_t>(got > 0 ? static_cast<std::uint64_t>(got) : 0, left);
        const std::uint32_t total = slot.memory->getSize();
        slot.held = static_cast<std::uint32_t>(std::min<std::uint64_t>(valid, total));
        if (slot.held < total) std::memset(target + slot.held, 0, total - slot.held);
        // What lies past the input's size is no part of it, readable or not.
        const std::uint64_t inputEnd = slot.start + slot.held;
        while (!slot.unreadable.empty() && slot.unreadable.back().offset >= inputEnd) slot.unreadable.pop_back();
        if (!slot.unreadable.empty() && slot.unreadable.back().end() > inputEnd) {
            slot.unreadable.back().length = inputEnd - slot.unreadable.back().offset;
        }
        if (matcher == nullptr) {
            slot.matched = slot.positions;
            return;
        }
        while (slot.matched < slot.positions && slot.candidates.size() < heldCandidates) {
            const std::uint32_t length = std::min(matchPositions, slot.positions - slot.matched);
            const std::size_t before = slot.candidates.size();
            matcher->find(target + slot.matched, length, slot.candidates, matcherScratch);
            for (std::size_t i = before; i < slot.candidates.size(); ++i) slot.candidates[i].position += slot.matched;
            slot.matched += length;
        }
    } catch (...) {
        slot.failure = std::current_exception();
    }
}

void ScanBuffer::load(std::uint64_t start) {
    // Until the block is in, nothing in memory may be taken for the input's bytes.
    heldBytes = 0;
    std::unique_lock<std::mutex> lock(mutex);
    if (current < slots.size()) slots[current].state = State::free;
    current = slots.size();
    std::size_t found = slots.size();
    for (std::size_t i = 0; i < slots.size(); ++i) {
        if (slots[i].state != State::free && slots[i].start == start) found = i;
    }
    if (found == slots.size()) {
        // Nothing was read ahead for it (the input's first block): read it here.
        settleLocked(lock);
        found = 0;
        slots[found].start = start;
    }
    Slot& slot = slots[found];
    if (slot.state == State::free || slot.state == State::wanted) {
        // No reader has taken it yet: reading it here is sooner than waiting for one.
        slot.state = State::working;
        lock.unlock();
        fill(slot, file, scratch.get());
        lock.lock();
        slot.state = State::done;
    } else {
        finished.wait(lock, [&slot] { return slot.state == State::done; });
    }
    current = found;
    bytes = slot.memory->getPointer();
    count = slot.positions;
    blockStart = slot.start;
    heldBytes = slot.held;
    if (slot.failure) {
        heldBytes = 0;
        std::rethrow_exception(std::exchange(slot.failure, nullptr));
    }
    unreadableSeen.add(slot.unreadable);
    const unsigned asked = scheduleAfter(start);
    lock.unlock();
    // Only readers that have the input open wait on work, so the one woken can take the block.
    if (asked == 1) {
        work.notify_one();
    } else if (asked > 1) {
        work.notify_all();
    }
}

// Under mutex: the blocks after start that no slot holds yet go to the free slots, nearest first.
unsigned ScanBuffer::scheduleAfter(std::uint64_t start) {
    if (readersOpen == 0) return 0;
    unsigned asked = 0;
    for (std::size_t ahead = 1; ahead < slots.size(); ++ahead) {
        const std::uint64_t next = start + ahead * blockPositions;
        if (next >= size) break;
        bool held = false;
        std::size_t free = slots.size();
        for (std::size_t i = 0; i < slots.size(); ++i) {
            if (slots[i].state != State::free && slots[i].start == next) held = true;
            if (slots[i].state == State::free && i != current && free == slots.size()) free = i;
        }
        if (held) continue;
        if (free == slots.size()) break;
        slots[free].state = State::wanted;
        slots[free].start = next;
        ++asked;
    }
    if (readers.empty()) {
        for (unsigned reader = 0; reader < readerFiles.size(); ++reader) {
            readers.emplace_back([this, reader] { readerLoop(reader); });
        }
    }
    return asked;
}

void ScanBuffer::settle() {
    std::unique_lock<std::mutex> lock(mutex);
    settleLocked(lock);
    current = slots.size();
    heldBytes = 0;
}

void ScanBuffer::settleLocked(std::unique_lock<std::mutex>& lock) {
    for (Slot& slot : slots) {
        if (slot.state == State::wanted) slot.state = State::free;
    }
    finished.wait(lock, [this] {
        return std::none_of(slots.begin(), slots.end(), [](const Slot& slot) { return slot.state == State::working; });
    });
    for (Slot& slot : slots) slot.state = State::free;
}

const std::vector<SignatureMatcher::Candidate>& ScanBuffer::candidates() const {
    static const std::vector<SignatureMatcher::Candidate> none;
    return current < slots.size() ? slots[current].candidates : none;
}

std::uint32_t ScanBuffer::matchedUpTo() const { return current < slots.size() ? slots[current].matched : 0; }

void ScanBuffer::readerLoop(unsigned reader) {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        if (stopping) return;
        if (reader >= readersOpen) {
            idle.wait(lock);
            continue;
        }
        Slot* next = nullptr;
        for (Slot& slot : slots) {
            if (slot.state == State::wanted && (next == nullptr || slot.start < next->start)) next = &slot;
        }
        if (next == nullptr) {
            work.wait(lock);
            continue;
        }
        next->state = State::working;
        lock.unlock();
        fill(*next, readerFiles[reader], readerScratch[reader].get());
        lock.lock();
        next->state = State::done;
        finished.notify_all();
    }
}
