#pragma once

#include "platform/os/ReadFaults.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace os {

// An open file with a 64-bit position. Sharing is kept by advisory locks that every opener of this
// class takes, across processes and within one: a file opened for reading takes a shared lock, so
// it cannot be opened while someone has it open for writing; one opened for writing takes an
// exclusive lock, so it cannot be opened while anyone else has it open. Neither blocks: a file
// that is held elsewhere fails to open.
class File {
public:
    enum class Access { read, readWrite };
    enum class Origin { begin, current, end };
    enum class SeekResult { moved, refused, failed };
    // Why the last read failed: the device could not read a sector (a worn card or disk), the
    // device is gone (pulled out), or anything else.
    enum class ReadError { none, unreadable, gone, other };
    // Bytes of the file that could not be read.
    struct Span {
        std::int64_t offset;
        std::int64_t length;
    };

    File() = default;
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Opens an existing file (never creates one); closes nothing on failure.
    static File open(const std::string& path, Access access);

    bool isOpen() const;
    // Reads until count bytes or the end; the count read, or -1 on failure.
    std::int64_t read(void* buffer, std::size_t count);
    // As read, but an input/output error does not fail the read: the failing stretch is narrowed
    // down to the device's sectors, with a bounded number of tries so that a failing device is
    // not worn further, and the sectors that stay unreadable are given as zeros and added to
    // unreadable (ascending, adjacent ones merged). The count then includes them. -1 for any other
    // failure, a device gone among them.
    std::int64_t readSalvaging(void* buffer, std::size_t count, std::vector<Span>& unreadable);
    ReadError lastReadError() const { return readError; }
    // Writes all count bytes; the count written, or -1 when the system refused to write.
    std::int64_t write(const void* buffer, std::size_t count);
    // refused: the position would fall before the start; it stays where it was.
    SeekResult seek(std::int64_t offset, Origin origin);
    std::int64_t position();
    void close();

private:
    explicit File(int descriptor);

    int descriptor = -1;
    ReadError readError = ReadError::none;
    // Faults a test injected for the path it was opened by; null otherwise.
    std::shared_ptr<ReadFaults::Plan> faults;
    // A stretch of the file known to hold data (no hole), from the last time the file system
    // was asked: a file system that answers by walking its pages (tmpfs) would otherwise walk
    // from every read to the end of the data, again and again.
    std::int64_t dataFrom = 0;
    std::int64_t dataTo = 0;
};

}  // namespace os
