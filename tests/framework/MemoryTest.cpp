#include "framework/Memory.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(MemoryTest, SizeZeroMeansNoBlock) {
    Memory memory;
    EXPECT_EQ(memory.getSize(), 0u);
    EXPECT_EQ(memory.getPointer(), nullptr);
    memory.setSize(0);
    EXPECT_EQ(memory.getPointer(), nullptr);
    memory.setSize(64);
    EXPECT_NE(memory.getPointer(), nullptr);
    memory.setSize(0);
    EXPECT_EQ(memory.getSize(), 0u);
    EXPECT_EQ(memory.getPointer(), nullptr);
}

TEST(MemoryTest, ResizingKeepsTheLeadingBytes) {
    Memory memory;
    memory.setSize(4);
    std::memcpy(memory.getPointer(), "abcd", 4);
    memory.setSize(100000);
    EXPECT_EQ(memory.getSize(), 100000u);
    EXPECT_EQ(std::memcmp(memory.getPointer(), "abcd", 4), 0);
    memory.setSize(2);
    EXPECT_EQ(memory.getSize(), 2u);
    EXPECT_EQ(std::memcmp(memory.getPointer(), "ab", 2), 0);
}
