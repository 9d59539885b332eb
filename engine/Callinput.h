#pragma once

#include "engine/ExtractPlugin.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class IMemory;
class IRandomAccessFile;
class IResource;

// The input as one checking thread's plug-in calls read it (the ExtractHost of their calls): the
// first bytes of the candidate from a copy the run made while the block was in memory, everything
// else from a file of the thread's own, opened at the first read that needs it. Most candidates
// are rejected within the copy and cost no system call. One per checking thread; used on that
// thread only, but for open, which the run calls while no check runs.
class CallInput {
public:
    // All three belong to the run's factory; cancelled may be asked from any thread.
    CallInput(IResource* entry, IRandomAccessFile* file, IMemory* spill, std::function<bool()> cancelled);
    CallInput(const CallInput&) = delete;
    CallInput& operator=(const CallInput&) = delete;

    // The input from here on, and the size window its calls apply.
    void open(const std::string& path, std::uint64_t size, std::uint64_t minimum, std::uint64_t maximum);
    // The call about to run: head holds the input's bytes from offset on (as many as the run had).
    void begin(const unsigned char* head, std::uint32_t count, std::uint64_t offset);
    void end();

    const ExtractHost* host() const { return &table; }

    // Up to count bytes from offset, fewer only at the input's end; -1 when it cannot be read.
    std::int64_t read(std::uint64_t offset, unsigned char* target, std::uint32_t count);

private:
    static void sizeWindow(void* context, uint64_t* minimum, uint64_t* maximum);
    static int isCancelled(void* context);
    static uint64_t inputSize(void* context);
    static int64_t readInput(void* context, uint64_t offset, unsigned char* target, uint32_t count);
    std::int64_t readFile(std::uint64_t offset, unsigned char* target, std::uint32_t count);

    IResource* entry;
    IRandomAccessFile* file;
    IMemory* spill;
    std::function<bool()> cancelled;
    ExtractHost table{};
    std::uint64_t length = 0;
    std::uint64_t minimum = 0;
    std::uint64_t maximum = UINT64_MAX;
    bool fileOpen = false;
    bool inCall = false;
    const unsigned char* head = nullptr;
    std::uint32_t headCount = 0;
    std::uint64_t headOffset = 0;
};
