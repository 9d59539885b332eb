#include "platform/classlib/core/Numconv.h"

#include "platform/classlib/core/Sysutils.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

std::mutex separatorMutex;
std::string separatorOverride;

// Past this the next digit could overflow; further digits then only move the decimal point, so a
// hand-edited text of thousands of digits still reads as the number it spells.
constexpr long double mantissaCeiling = 1e4900L;
constexpr long long exponentCeiling = 100000;

// Powers of ten up to 10^27 hold exactly in a 64-bit significand; multiplying exact factors keeps
// them exact, which the size window's arithmetic relies on.
long double powerOfTen(long long n) {
    if (n <= 27) {
        long double p = 1.0L;
        for (long long k = 0; k < n; ++k) p *= 10.0L;
        return p;
    }
    return std::pow(10.0L, static_cast<long double>(n));
}

long double scale(long double mantissa, long long exponent) {
    if (mantissa == 0.0L) return 0.0L;
    if (exponent >= 0) return mantissa * powerOfTen(exponent);
    // Two steps, so that a small result whose power of ten alone would overflow still comes out.
    long long n = -exponent;
    if (n > 4000) {
        mantissa /= powerOfTen(4000);
        n -= 4000;
    }
    return mantissa / powerOfTen(n);
}

[[noreturn]] void rejectText(const std::string& text) {
    throw EConvertError("'" + text + "' は正しい浮動小数点数値ではありません。");
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string DecimalSeparator() {
    {
        std::lock_guard<std::mutex> lock(separatorMutex);
        if (!separatorOverride.empty()) return separatorOverride;
    }
    const std::lconv* conventions = std::localeconv();
    if (conventions == nullptr || conventions->decimal_point == nullptr ||
        conventions->decimal_point[0] == '\0') {
        return ".";
    }
    return conventions->decimal_point;
}

void SetDecimalSeparator(const std::string& separator) {
    std::lock_guard<std::mutex> lock(separatorMutex);
    separatorOverride = separator;
}

long double StrToFloat(const std::string& text) {
    const std::string separator = DecimalSeparator();
    const std::size_t size = text.size();
    std::size_t i = 0;
    while (i < size && text[i] == ' ') ++i;

    bool negative = false;
    if (i < size && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }

    long double mantissa = 0.0L;
    long long exponent = 0;
    bool digitSeen = false;
    bool separatorSeen = false;
    while (i < size) {
        if (isDigit(text[i])) {
            digitSeen = true;
            if (mantissa < mantissaCeiling) {
                mantissa = mantissa * 10.0L + static_cast<long double>(text[i] - '0');
                if (separatorSeen) --exponent;
            } else if (!separatorSeen) {
                ++exponent;
            }
            ++i;
        } else if (!separatorSeen && text.compare(i, separator.size(), separator) == 0) {
            separatorSeen = true;
            i += separator.size();
        } else {
            break;
        }
    }
    if (!digitSeen) rejectText(text);

    if (i < size && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        bool exponentNegative = false;
        if (i < size && (text[i] == '+' || text[i] == '-')) {
            exponentNegative = text[i] == '-';
            ++i;
        }
        if (i >= size || !isDigit(text[i])) rejectText(text);
        long long written = 0;
        while (i < size && isDigit(text[i])) {
            if (written < exponentCeiling) written = written * 10 + (text[i] - '0');
            ++i;
        }
        exponent += exponentNegative ? -written : written;
    }

    while (i < size && text[i] == ' ') ++i;
    if (i != size) rejectText(text);

    const long double value = scale(mantissa, exponent);
    if (!std::isfinite(value)) rejectText(text);
    return negative ? -value : value;
}

std::string FloatToStr(long double value) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    if (value == 0.0L) return "0";

    // The C library rounds to 15 significant digits correctly; only its digits and exponent are
    // taken, so its own decimal point does not matter.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14Le", std::fabs(value));
    std::string digits;
    const char* p = buffer;
    for (; *p != '\0' && *p != 'e'; ++p) {
        if (isDigit(*p)) digits += *p;
    }
    const int exponent = *p == 'e' ? std::atoi(p + 1) : 0;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    const std::string separator = DecimalSeparator();
    std::string result = value < 0 ? "-" : "";
    if (exponent >= -4 && exponent <= 14) {
        if (exponent < 0) {
            result += "0" + separator + std::string(static_cast<std::size_t>(-exponent - 1), '0') +
                      digits;
        } else {
            const std::size_t whole = static_cast<std::size_t>(exponent) + 1;
            if (digits.size() <= whole) {
                result += digits + std::string(whole - digits.size(), '0');
            } else {
                result += digits.substr(0, whole) + separator + digits.substr(whole);
            }
        }
    } else {
        result += digits.substr(0, 1);
        if (digits.size() > 1) result += separator + digits.substr(1);
        result += "E" + std::to_string(exponent);
    }
    return result;
}
