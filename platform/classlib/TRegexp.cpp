#include "platform/classlib/TRegexp.h"

#include <QRegularExpression>
#include <QString>

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
    // Qt counts UTF-16 units; the caller counts bytes of UTF-8.
    QString head = QString::fromUtf8(text.data(), static_cast<qsizetype>(start));
    QString whole = head + QString::fromUtf8(text.data() + start, static_cast<qsizetype>(text.size() - start));
    QRegularExpressionMatch match = impl->expression.match(whole, head.size());
    if (!match.hasMatch()) {
        return std::string::npos;
    }
    std::size_t position = start + static_cast<std::size_t>(whole.mid(head.size(), match.capturedStart() - head.size()).toUtf8().size());
    if (length != nullptr) {
        *length = static_cast<std::size_t>(match.captured().toUtf8().size());
    }
    return position;
}
