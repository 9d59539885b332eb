#include "cli/Findreport.h"

#include <cerrno>
#include <cstring>

FindReport::~FindReport() { close(); }

bool FindReport::open(const std::string& path, CommandLine::ReportFormat wanted, std::string& error) {
    format = wanted;
    file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        error = std::strerror(errno);
        return false;
    }
    if (format == CommandLine::ReportFormat::csv) {
        failed = std::fputs("input,offset,size,kind,output\n", file) < 0 || std::fflush(file) != 0;
    }
    return !failed;
}

std::string FindReport::csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string FindReport::jsonString(const std::string& text) {
    std::string quoted = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': quoted += "\\\""; break;
        case '\\': quoted += "\\\\"; break;
        case '\n': quoted += "\\n"; break;
        case '\r': quoted += "\\r"; break;
        case '\t': quoted += "\\t"; break;
        default:
            if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                quoted += escaped;
            } else {
                quoted += static_cast<char>(c);
            }
        }
    }
    return quoted + "\"";
}

bool FindReport::addUnreadable(const std::string& input, std::uint64_t offset, std::uint64_t size) {
    return add(input, offset, size, "unreadable", "");
}

bool FindReport::add(const std::string& input, std::uint64_t offset, std::uint64_t size,
                     const std::string& kind, const std::string& output, bool damaged) {
    if (file == nullptr || failed) return false;
    std::string line;
    if (format == CommandLine::ReportFormat::csv) {
        line = csvField(input) + "," + std::to_string(offset) + "," + std::to_string(size) + "," + csvField(kind) +
               "," + csvField(output) + "\n";
    } else {
        line = "{\"input\":" + jsonString(input) + ",\"offset\":" + std::to_string(offset) +
               ",\"size\":" + std::to_string(size) + ",\"kind\":" + jsonString(kind) +
               ",\"output\":" + jsonString(output) + (damaged ? ",\"damaged\":true" : "") + "}\n";
    }
    failed = std::fputs(line.c_str(), file) < 0 || std::fflush(file) != 0;
    return !failed;
}

bool FindReport::close() {
    if (file == nullptr) return !failed;
    failed = std::fclose(file) != 0 || failed;
    file = nullptr;
    return !failed;
}
