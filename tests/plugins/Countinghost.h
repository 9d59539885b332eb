#pragma once

#include "engine/ExtractPlugin.h"
#include "tests/plugins/Temporaryfolder.h"

#include <cstdint>
#include <string>
#include <vector>

// The program's services as a run hands them over, with the input served from memory, counting
// every byte a plug-in reads through them. scan offers every position at which a plug-in's detect
// passes, as a run does, so what a damaged or cut input costs a plug-in shows as the bytes it read
// per byte of input, a number that does not depend on the machine's speed.
class CountingHost {
public:
    explicit CountingHost(const Bytes& input);
    CountingHost(const CountingHost&) = delete;
    CountingHost& operator=(const CountingHost&) = delete;

    // Scans the input with the plug-ins of the folders given, in that order, each loaded afresh
    // and handed this host: the first plug-in whose extract succeeds at a position takes it. The
    // input is also written to a file under its path, which a plug-in never needs to open.
    // Returns the offsets and kinds of the finds.
    struct Find {
        std::uint64_t offset;
        std::uint64_t size;
        std::string kind;
    };
    std::vector<Find> scan(const std::vector<std::string>& folders);

    std::uint64_t bytesRead() const;
    // The reads asked for: a parser that peeks at each header costs a read per header, however
    // few bytes it takes.
    std::uint64_t reads() const;
    std::uint64_t extractCalls() const;

private:
    static void window(void* context, std::uint64_t* minimum, std::uint64_t* maximum);
    static int notCancelled(void* context);
    static std::uint64_t inputSize(void* context);
    static std::int64_t readInput(void* context, std::uint64_t offset, unsigned char* target, std::uint32_t count);

    const Bytes& input;
    ExtractHost host;
    std::uint64_t read = 0;
    std::uint64_t readCalls = 0;
    std::uint64_t calls = 0;
    TemporaryFolder folder;
};
