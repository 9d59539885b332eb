#include "cli/Findreport.h"

#include "cli/Systemreason.h"

#include <cerrno>

namespace {

// The length of the well-formed UTF-8 sequence at text[at], or 0 when there is none.
std::size_t sequenceLength(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = byte(at + i);
        if (i == 1 ? (next < low || next > high) : (next < 0x80 || next > 0xBF)) return 0;
    }
    return length;
}

std::string base64(const std::string& bytes) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t group = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 2]);
        text += digits[(group >> 18) & 63];
        text += digits[(group >> 12) & 63];
        text += i + 1 < bytes.size() ? digits[(group >> 6) & 63] : '=';
        text += i + 2 < bytes.size() ? digits[group & 63] : '=';
    }
    return text;
}

// A name as JSON: the text itself, and where it is no UTF-8 (a file system takes any bytes),
// the exact bytes beside it under key + "_base64", since a JSON string can only hold text.
std::string jsonField(const std::string& key, const std::string& value) {
    std::string field = "\"" + key + "\":" + FindReport::jsonString(value);
    if (!FindReport::isUtf8(value)) field += ",\"" + key + "_base64\":\"" + base64(value) + "\"";
    return field;
}

}  // namespace

FindReport::~FindReport() { close(); }

bool FindReport::open(const std::string& path, CommandLine::ReportFormat wanted, std::string& error) {
    format = wanted;
    file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        error = SystemReason::ofLastError();
        return false;
    }
    if (format == CommandLine::ReportFormat::csv) {
        put("input,offset,size,kind,output,method,original_path,state,contents,offsets\n");
        error = reason;
    }
    return !failed;
}

void FindReport::put(const std::string& line) {
    errno = 0;
    if (std::fputs(line.c_str(), file) < 0 || std::fflush(file) != 0) fail();
}

void FindReport::fail() {
    if (!failed) reason = SystemReason::ofLastError();
    failed = true;
}

bool FindReport::isUtf8(const std::string& text) {
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = sequenceLength(text, at);
        if (length == 0) return false;
        at += length;
    }
    return true;
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
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = sequenceLength(text, at);
        if (length == 0) {
            // Not UTF-8: the replacement character keeps the line valid JSON.
            quoted += "\\ufffd";
            ++at;
            continue;
        }
        const auto c = static_cast<unsigned char>(text[at]);
        if (length > 1) {
            quoted.append(text, at, length);
        } else if (c == '"') {
            quoted += "\\\"";
        } else if (c == '\\') {
            quoted += "\\\\";
        } else if (c == '\n') {
            quoted += "\\n";
        } else if (c == '\r') {
            quoted += "\\r";
        } else if (c == '\t') {
            quoted += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            quoted += escaped;
        } else {
            quoted += static_cast<char>(c);
        }
        at += length;
    }
    return quoted + "\"";
}

bool FindReport::addUnreadable(const std::string& input, std::uint64_t offset, std::uint64_t size) {
    return add(input, offset, size, "unreadable", "");
}

bool FindReport::add(const std::string& input, std::uint64_t offset, std::uint64_t size,
                     const std::string& kind, const std::string& output, bool damaged, const Origin& origin) {
    if (file == nullptr || failed) return false;
    if (format == CommandLine::ReportFormat::csv) {
        put(csvField(input) + "," + std::to_string(offset) + "," + std::to_string(size) + "," + csvField(kind) + "," +
            csvField(output) + "," + csvField(origin.method) + "," + csvField(origin.originalPath) + "," +
            csvField(origin.state) + "," + csvField(origin.contents) + "," + csvField(origin.offsets) + "\n");
    } else {
        put("{" + jsonField("input", input) + ",\"offset\":" + std::to_string(offset) +
            ",\"size\":" + std::to_string(size) + "," + jsonField("kind", kind) + "," + jsonField("output", output) +
            (damaged ? ",\"damaged\":true" : "") + "," + jsonField("method", origin.method) + "," +
            jsonField("originalPath", origin.originalPath) + "," + jsonField("state", origin.state) + "," +
            jsonField("contents", origin.contents) + "," + jsonField("offsets", origin.offsets) + "}\n");
    }
    return !failed;
}

bool FindReport::close() {
    if (file == nullptr) return !failed;
    errno = 0;
    if (std::fclose(file) != 0) fail();
    file = nullptr;
    return !failed;
}
