#pragma once

#include <cstddef>
#include <memory>
#include <string>

// A compiled regular expression (Perl-compatible syntax) searched in UTF-8 text. Positions and
// lengths count bytes of the text.
class TRegexp {
public:
    enum StatVal { OK = 0, ILLEGAL };

    explicit TRegexp(const std::string& pattern);
    ~TRegexp();
    TRegexp(const TRegexp& other);
    TRegexp& operator=(const TRegexp& other);

    // ILLEGAL when the pattern does not compile; such an expression matches nothing.
    StatVal status() const;
    // The position of the first match that starts at or after start, or std::string::npos;
    // *length receives the match's length, which may be 0 (an empty match). length may be null.
    std::size_t find(const std::string& text, std::size_t* length, std::size_t start = 0) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};
