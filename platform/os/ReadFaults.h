#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace os {

// A stand-in for a failing device, for tests of everything above: a file opened through File
// once a fault is injected for its path reads as a worn card or disk does. Every system read that
// touches a faulty stretch fails, with an input/output error (unreadable) or as a device that is
// no longer there (gone); the rest of the file reads as it is. Reads are counted, so that a test
// can show how often a failing device would be asked.
//
// Files opened before an injection, and files opened by other paths, are not affected; with no
// injection at all nothing is looked up.
class ReadFaults {
public:
    enum class Kind { unreadable, gone };

    // Adds a faulty stretch for files opened at path from here on.
    static void inject(const std::string& path, std::int64_t offset, std::int64_t length,
                       Kind kind = Kind::unreadable);
    // Files opened from here on read normally again; the counts start anew.
    static void clear();
    // The system reads made on files opened at path since its first injection, and how many of
    // them failed.
    static std::uint64_t reads(const std::string& path);
    static std::uint64_t failedReads(const std::string& path);

    // For File: the faults of one path.
    struct Stretch {
        std::int64_t offset;
        std::int64_t length;
        Kind kind;
    };
    struct Plan {
        std::vector<Stretch> stretches;
        std::atomic<std::uint64_t> reads{0};
        std::atomic<std::uint64_t> failed{0};
    };
    // Null when nothing is injected for path.
    static std::shared_ptr<Plan> planFor(const std::string& path);
    // Counts a read of count bytes at offset; 0 when it may go ahead, else the errno it fails with.
    static int check(Plan& plan, std::int64_t offset, std::size_t count);
};

}  // namespace os
