// What plug-ins read of the input through the run: the bytes of the file, whether the block in
// memory holds them, holds part of them or lies elsewhere, and nothing past the input's end.

#include "app/IGlintfetchFactory.h"
#include "engine/ExtractPlugin.h"
#include "engine/Runhost.h"
#include "engine/Runinput.h"
#include "engine/Scanbuffer.h"
#include "framework/IResource.h"
#include "platform/os/ReadFaults.h"
#include "tests/plugins/Samplefiles.h"
#include "tests/plugins/Temporaryfolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t block = 1000;
constexpr std::uint32_t window = 16;

class RunInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        factory = createGlintfetchFactory();
        IGlintfetchFactory* made = factory.get();
        buffer = std::make_unique<ScanBuffer>([made] { return made->createMemory(); },
                                              [made] { return made->createRandomAccessFile(); });
        buffer->reserve(block, window, 1u << 20, nullptr);
        input = std::make_unique<RunInput>(*buffer, factory->createRandomAccessFile(), factory->createMemory());
        bytes = SampleFiles::random(4500, 11);
        entry = factory->createResource();
        entry->setPath(folder.write("input.bin", bytes));
        buffer->open(entry, bytes.size());
        input->open(entry, bytes.size());
    }

    void TearDown() override {
        buffer->settle();
        os::ReadFaults::clear();
    }

    // The read through input, checked against the file's own bytes.
    void expectRead(std::uint64_t offset, std::uint32_t count) {
        SCOPED_TRACE("offset " + std::to_string(offset) + ", count " + std::to_string(count));
        std::vector<unsigned char> got(count + 1, 0xAA);
        const std::int64_t copied = input->read(offset, got.data(), count);
        const std::uint64_t available = offset < bytes.size() ? bytes.size() - offset : 0;
        const std::uint64_t wanted = std::min<std::uint64_t>(count, available);
        ASSERT_EQ(copied, static_cast<std::int64_t>(wanted));
        for (std::uint64_t i = 0; i < wanted; ++i) ASSERT_EQ(got[i], bytes[offset + i]) << "at " << offset + i;
        // Nothing is written past what was copied.
        EXPECT_EQ(got[wanted], 0xAA);
    }

    TemporaryFolder folder;
    std::unique_ptr<IGlintfetchFactory> factory;
    std::unique_ptr<ScanBuffer> buffer;
    std::unique_ptr<RunInput> input;
    IResource* entry = nullptr;
    Bytes bytes;
};

}  // namespace

TEST_F(RunInputTest, ReadsTheFilesBytesWhereverTheyLie) {
    // The block at 2000 is in memory, with its window: 2000 to 3016.
    buffer->load(2000);
    struct Case {
        std::uint64_t offset;
        std::uint32_t count;
    };
    const Case cases[] = {
        {2100, 100},   // inside the block
        {2990, 26},    // the block's last positions and its window
        {2990, 500},   // from the block into what follows it
        {1500, 1000},  // from before the block into it
        {1000, 2500},  // over the whole block, from before it to after it
        {0, 4500},     // the whole input
        {4400, 500},   // past the end
        {4500, 10},    // at the end
        {9000, 10},    // far past it
        {0, 0},
    };
    for (const Case& c : cases) expectRead(c.offset, c.count);
}

TEST_F(RunInputTest, TheLastBlocksZerosAreNotTheInputs) {
    // The last block holds 500 positions and, past the input's end, zeros for its window.
    buffer->load(4000);
    ASSERT_EQ(buffer->held(), 500u);
    expectRead(4490, 16);
    expectRead(3990, 600);
}

TEST_F(RunInputTest, TheHostServesOnlyWhileAnInputIsSet) {
    RunHost host(nullptr, [] { return false; });
    const ExtractHost* table = host.table();
    ASSERT_GE(table->size, sizeof(ExtractHost));
    unsigned char byte = 0;
    EXPECT_EQ(table->getInputSize(table->context), 0u);
    EXPECT_EQ(table->readInput(table->context, 0, &byte, 1), -1);

    buffer->load(0);
    host.setInput(input.get());
    EXPECT_EQ(table->getInputSize(table->context), bytes.size());
    ASSERT_EQ(table->readInput(table->context, 7, &byte, 1), 1);
    EXPECT_EQ(byte, bytes[7]);
    host.setInput(nullptr);
    EXPECT_EQ(table->readInput(table->context, 7, &byte, 1), -1);
}

// Sectors that cannot be read reach a plug-in as zeros, as the scan sees them, and the device is
// not asked for them again; the run can tell afterwards which stretches a find touched.
TEST_F(RunInputTest, UnreadableSectorsReadAsZerosAndAreAskedForOnce) {
    // Two sectors of 512 bytes, as a device loses them.
    os::ReadFaults::inject(entry->getPath(), 3072, 1024);
    // Opened anew, so that the faults lie beneath its reads.
    input->open(entry, bytes.size());
    buffer->load(2000);
    std::vector<unsigned char> got(1000, 0xAA);
    ASSERT_EQ(input->read(3000, got.data(), 1000), 1000);
    for (std::uint64_t i = 0; i < 1000; ++i) {
        const std::uint64_t at = 3000 + i;
        const bool lost = at >= 3072 && at < 4096;
        ASSERT_EQ(got[i], lost ? 0 : bytes[at]) << "at " << at;
    }
    const std::uint64_t failed = os::ReadFaults::failedReads(entry->getPath());
    EXPECT_GT(failed, 0u);
    ASSERT_EQ(input->read(3050, got.data(), 900), 900);
    EXPECT_EQ(os::ReadFaults::failedReads(entry->getPath()), failed);
    // What was asked for is known: up to 4000.
    EXPECT_TRUE(input->touchesUnreadable(3900, 200));
    EXPECT_FALSE(input->touchesUnreadable(4000, 200));
    EXPECT_FALSE(input->touchesUnreadable(2000, 1072));
    // Reading on finds the rest of the sector, and it is told as one stretch with the first part.
    ASSERT_EQ(input->read(3900, got.data(), 400), 400);
    for (std::uint64_t i = 0; i < 400; ++i) ASSERT_EQ(got[i], 3900 + i < 4096 ? 0 : bytes[3900 + i]) << i;
    EXPECT_FALSE(input->touchesUnreadable(4096, 404));
    ASSERT_EQ(input->unreadable().ranges().size(), 1u);
    EXPECT_EQ(input->unreadable().ranges()[0].offset, 3072u);
    EXPECT_EQ(input->unreadable().ranges()[0].length, 1024u);
    // A new input begins with nothing known.
    input->open(entry, bytes.size());
    EXPECT_FALSE(input->touchesUnreadable(3000, 1000));
}
