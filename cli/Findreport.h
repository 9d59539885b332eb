#pragma once

#include "cli/Commandline.h"

#include <cstdint>
#include <cstdio>
#include <string>

// The report of a run's finds: one line per find, written and flushed as the find is told, so
// that an interrupted run leaves every line of what it wrote. A stretch of an input that could
// not be read has a line of its own, of the kind "unreadable" and with no output; a find written
// with zeros for such bytes is marked damaged in the JSON lines.
class FindReport {
public:
    FindReport() = default;
    ~FindReport();
    FindReport(const FindReport&) = delete;
    FindReport& operator=(const FindReport&) = delete;

    // False, with the reason in error, when the file cannot be made.
    bool open(const std::string& path, CommandLine::ReportFormat format, std::string& error);
    bool isOpen() const { return file != nullptr; }
    // How a file was found beside where it went: by "filesystem" (with its original path, "live"
    // or "deleted", how whole its bytes were, and every piece "offset:length") or by "carving".
    struct Origin {
        std::string method;
        std::string originalPath;
        std::string state;
        std::string contents;
        std::string offsets;
    };

    // False once a line could not be written. output is "" for a file the file system names but
    // whose bytes could not be had.
    bool add(const std::string& input, std::uint64_t offset, std::uint64_t size, const std::string& kind,
             const std::string& output, bool damaged = false, const Origin& origin = Origin());
    bool addUnreadable(const std::string& input, std::uint64_t offset, std::uint64_t size);
    bool close();
    // Why the report could not be written, once it could not.
    const std::string& failure() const { return reason; }

    // Whether text is well-formed UTF-8.
    static bool isUtf8(const std::string& text);

    static std::string csvField(const std::string& text);
    // A JSON string of text; bytes that are no UTF-8 become U+FFFD (jsonl keeps them beside).
    static std::string jsonString(const std::string& text);

private:
    void put(const std::string& line);
    void fail();

    std::FILE* file = nullptr;
    CommandLine::ReportFormat format = CommandLine::ReportFormat::csv;
    bool failed = false;
    std::string reason;
};
