#include "platform/classlib/TRegexp.h"

#include <QRegularExpression>
#include <QString>

#include <algorithm>
#include <vector>

namespace {

// The length of the well-formed UTF-8 sequence at text[at], or 0 when the byte there starts none.
std::size_t sequenceLength(const std::string& text, std::size_t at)
{
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(at);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t size = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        size = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        size = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        size = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + size > text.size()) {
        return 0;
    }
    if (byte(at + 1) < low || byte(at + 1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < size; ++i) {
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) {
            return 0;
        }
    }
    return size;
}

}  // namespace

struct TRegexp::Impl {
    QRegularExpression expression;
};

TRegexp::TRegexp(const std::string& pattern) : impl(new Impl)
{
    impl->expression.setPattern(QString::fromUtf8(pattern.data(), static_cast<qsizetype>(pattern.size())));
}

TRegexp::~TRegexp() = default;

TRegexp::TRegexp(const TRegexp& other) : impl(new Impl(*other.impl)) {}

TRegexp& TRegexp::operator=(const TRegexp& other)
{
    *impl = *other.impl;
    return *this;
}

TRegexp::StatVal TRegexp::status() const
{
    return impl->expression.isValid() ? OK : ILLEGAL;
}

std::size_t TRegexp::find(const std::string& text, std::size_t* length, std::size_t start) const
{
    if (length != nullptr) {
        *length = 0;
    }
    if (!impl->expression.isValid() || start > text.size()) {
        return std::string::npos;
    }
    // Qt counts UTF-16 units, the caller bytes; a path need not be valid UTF-8, so each unit
    // remembers the byte it came from (an invalid byte becomes one replacement character).
    QString decoded;
    std::vector<std::size_t> byteOf;
    decoded.reserve(static_cast<qsizetype>(text.size()));
    byteOf.reserve(text.size() + 1);
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t size = sequenceLength(text, at);
        QString part = size == 0 ? QString(QChar::ReplacementCharacter) : QString::fromUtf8(text.data() + at, static_cast<qsizetype>(size));
        for (qsizetype i = 0; i < part.size(); ++i) {
            byteOf.push_back(at);
        }
        decoded += part;
        at += size == 0 ? 1 : size;
    }
    byteOf.push_back(text.size());
    qsizetype from = static_cast<qsizetype>(std::lower_bound(byteOf.begin(), byteOf.end(), start) - byteOf.begin());
    QRegularExpressionMatch match = impl->expression.match(decoded, from);
    if (!match.hasMatch()) {
        return std::string::npos;
    }
    std::size_t position = byteOf[static_cast<std::size_t>(match.capturedStart())];
    if (length != nullptr) {
        *length = byteOf[static_cast<std::size_t>(match.capturedEnd())] - position;
    }
    return position;
}
