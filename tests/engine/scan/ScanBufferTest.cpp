// The scan buffer's readers ahead: a block asked for is read by a reader that has the input open,
// whichever readers the input leaves idle.

#include "app/IGlintfetchFactory.h"
#include "engine/Scanbuffer.h"
#include "framework/IMemory.h"
#include "framework/IRandomAccessFile.h"
#include "framework/IResource.h"
#include "tests/plugins/Samplefiles.h"
#include "tests/plugins/Temporaryfolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

namespace {

// A file of the run's factory that tells how often it was read.
class CountingFile : public IRandomAccessFile {
public:
    CountingFile(IRandomAccessFile* file, std::mutex& mutex, std::condition_variable& changed)
        : file(file), mutex(mutex), changed(changed) {}
    void setFile(IResource* entry) override { file->setFile(entry); }
    std::int32_t read(IMemory* block) override {
        count();
        return file->read(block);
    }
    std::int32_t readSalvaging(IMemory* block, std::vector<ByteRange>& unreadable) override {
        count();
        return file->readSalvaging(block, unreadable);
    }
    void seek(std::int32_t offset) override { file->seek(offset); }
    void seek(std::int32_t high, std::uint32_t low) override { file->seek(high, low); }
    void seekFromCurrent(std::int32_t offset) override { file->seekFromCurrent(offset); }
    void copyTo(IWritableRandomAccessFile* target, std::uint32_t size) override { file->copyTo(target, size); }

    unsigned reads = 0;

private:
    void count() {
        const std::lock_guard<std::mutex> hold(mutex);
        ++reads;
        changed.notify_all();
    }

    IRandomAccessFile* file;
    std::mutex& mutex;
    std::condition_variable& changed;
};

}  // namespace

TEST(ScanBufferTest, ABlockAskedForWakesAReaderThatHasTheInputOpen) {
    if (ScanBuffer::readerThreads() < 2) GTEST_SKIP() << "one reader: every reader has every input open";
    TemporaryFolder folder;
    std::unique_ptr<IGlintfetchFactory> factory = createGlintfetchFactory();
    IGlintfetchFactory* made = factory.get();
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::unique_ptr<CountingFile>> files;
    ScanBuffer buffer([made] { return made->createMemory(); },
                      [&] {
                          files.push_back(std::make_unique<CountingFile>(made->createRandomAccessFile(), mutex, changed));
                          return files.back().get();
                      });
    buffer.reserve(1000, 16, 1u << 20, nullptr);
    // The first file made is the caller's, the others are the readers'.
    ASSERT_GE(files.size(), 3u);
    IResource* entry = factory->createResource();
    // Two blocks: one reader has the input open, the others have not.
    entry->setPath(folder.write("two.bin", SampleFiles::random(2000, 3)));
    for (int input = 0; input < 2; ++input) {
        SCOPED_TRACE(input);
        buffer.open(entry, 2000);
        buffer.load(0);
        {
            std::unique_lock<std::mutex> lock(mutex);
            // The readers wait already from the first input on: only a wake-up brings one.
            const bool read = changed.wait_for(lock, std::chrono::seconds(20), [&] { return files[1]->reads > 0; });
            ASSERT_TRUE(read);
            files[1]->reads = 0;
        }
        const unsigned own = files[0]->reads;
        buffer.load(1000);
        EXPECT_EQ(files[0]->reads, own);
        buffer.settle();
    }
}

// A block reads its window again after its positions; blocks sized from the budget keep that
// share small however large the window, within the same memory.
TEST(ScanBufferTest, BlocksAreSizedFromTheBudget) {
    constexpr std::uint32_t mebibyte = 1u << 20;
    constexpr std::uint64_t budget = 64ull << 20;
    const unsigned wanted = ScanBuffer::readerThreads() + 2;
    struct Case {
        std::uint32_t window;
        std::uint32_t positions;
    };
    const Case cases[] = {
        {4096, static_cast<std::uint32_t>(budget / wanted - 4096)},
        // Too large for every block wanted to get a mebibyte: fewer blocks, larger ones.
        {12 * mebibyte, std::max<std::uint32_t>(mebibyte, static_cast<std::uint32_t>(budget / std::min(wanted, 4u) -
                                                                                     12 * mebibyte))},
        // Only two blocks of a mebibyte fit.
        {31 * mebibyte, mebibyte},
        {32 * mebibyte, mebibyte},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.window);
        const std::uint32_t positions = ScanBuffer::positionsFor(mebibyte, c.window, budget);
        EXPECT_EQ(positions, c.positions);
        EXPECT_GE(positions, mebibyte);
        // Two blocks at the least fit the budget.
        EXPECT_LE(2 * (std::uint64_t{positions} + c.window), std::max(budget, 2 * (std::uint64_t{mebibyte} + c.window)));
    }
}
