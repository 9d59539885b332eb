#include "plugins/userdefined/Bytepattern.h"

#include <cstring>

namespace {

int digitValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',';
}

bool isAsciiLetter(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// A piece of the user's text short enough to quote in a message.
std::string quoted(const std::string& text)
{
    const std::size_t longest = 24;
    if (text.size() <= longest) {
        return "「" + text + "」";
    }
    std::size_t cut = longest;
    // Never in the middle of a UTF-8 character.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return "「" + text.substr(0, cut) + "…」";
}

}  // namespace

std::string BytePattern::parseHex(const std::string& text, const std::string& field)
{
    bytes.clear();
    mask.clear();
    std::size_t at = 0;
    while (at < text.size()) {
        if (isSpace(text[at])) {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < text.size() && !isSpace(text[end])) {
            ++end;
        }
        const std::string group = text.substr(at, end - at);
        at = end;
        if (group == "?") {
            append(0, 0);
            continue;
        }
        for (std::size_t i = 0; i < group.size(); ++i) {
            const char c = group[i];
            if (c != '?' && digitValue(c) < 0) {
                bytes.clear();
                mask.clear();
                return field + "の" + quoted(group) + "に 16 進数でない文字" + quoted(std::string(1, c)) +
                       "があります。00〜FF の 16 進数か、任意の 1 バイトを表す ? / ?? で書いてください。";
            }
        }
        if (group.size() % 2 != 0) {
            bytes.clear();
            mask.clear();
            return field + "の" + quoted(group) +
                   "は桁数が奇数です。1 バイトは 2 桁の 16 進数（例 0A）で書いてください。";
        }
        for (std::size_t i = 0; i < group.size(); i += 2) {
            unsigned char value = 0;
            unsigned char bits = 0;
            for (std::size_t k = 0; k < 2; ++k) {
                const int digit = digitValue(group[i + k]);
                value = static_cast<unsigned char>(value << 4);
                bits = static_cast<unsigned char>(bits << 4);
                if (digit >= 0) {
                    value = static_cast<unsigned char>(value | digit);
                    bits = static_cast<unsigned char>(bits | 0x0F);
                }
            }
            append(value, bits);
        }
    }
    if (bytes.empty()) {
        return field + "を入力してください。";
    }
    chooseAnchor();
    return std::string();
}

std::string BytePattern::parseText(const std::string& text, const std::string& field)
{
    bytes.clear();
    mask.clear();
    for (char c : text) {
        append(static_cast<unsigned char>(c), 0xFF);
    }
    if (bytes.empty()) {
        return field + "を入力してください。";
    }
    chooseAnchor();
    return std::string();
}

void BytePattern::ignoreLetterCase()
{
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (mask[i] == 0xFF && isAsciiLetter(bytes[i])) {
            mask[i] = 0xDF;
            bytes[i] &= 0xDF;
        }
    }
    chooseAnchor();
}

bool BytePattern::allOpen() const
{
    for (unsigned char bits : mask) {
        if (bits != 0) {
            return false;
        }
    }
    return true;
}

bool BytePattern::matchesAt(const unsigned char* data) const
{
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if ((data[i] & mask[i]) != bytes[i]) {
            return false;
        }
    }
    return true;
}

std::size_t BytePattern::find(const unsigned char* data, std::size_t length, std::size_t from) const
{
    const std::size_t size = bytes.size();
    if (size == 0 || length < size) {
        return std::string::npos;
    }
    const std::size_t lastStart = length - size;
    std::size_t start = from;
    while (start <= lastStart) {
        if (anchor != std::string::npos) {
            // The anchor of a match at start lies at start + anchor.
            const void* hit = std::memchr(data + start + anchor, bytes[anchor], lastStart - start + 1);
            if (hit == nullptr) {
                return std::string::npos;
            }
            start = static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - data) - anchor;
        }
        if (matchesAt(data + start)) {
            return start;
        }
        ++start;
    }
    return std::string::npos;
}

std::string BytePattern::toHex() const
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (!text.empty()) {
            text += ' ';
        }
        text += (mask[i] & 0xF0) == 0xF0 ? digits[bytes[i] >> 4] : '?';
        text += (mask[i] & 0x0F) == 0x0F ? digits[bytes[i] & 0x0F] : '?';
    }
    return text;
}

BytePattern BytePattern::of(std::vector<unsigned char> bytes, std::vector<unsigned char> mask)
{
    BytePattern pattern;
    for (std::size_t i = 0; i < bytes.size() && i < mask.size(); ++i) {
        pattern.append(bytes[i], mask[i]);
    }
    pattern.chooseAnchor();
    return pattern;
}

void BytePattern::append(unsigned char byte, unsigned char bits)
{
    bytes.push_back(static_cast<unsigned char>(byte & bits));
    mask.push_back(bits);
}

void BytePattern::chooseAnchor()
{
    anchor = std::string::npos;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (mask[i] == 0xFF) {
            anchor = i;
            return;
        }
    }
}
