#include "platform/classlib/core/Numconv.h"
#include "platform/classlib/core/Sysutils.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

namespace {

// Each test names the separator it runs under and goes back to the locale's afterwards.
class NumberConversionTest : public ::testing::Test {
protected:
    void TearDown() override { SetDecimalSeparator(""); }
};

struct TextCase {
    const char* separator;
    const char* text;
    long double expected;
};

TEST_F(NumberConversionTest, ReadsTheFormsTheSettingsFileHolds) {
    const TextCase cases[] = {
        {".", "500", 500.0L},
        {".", "0.0001", 1.0L / 10000.0L},
        {",", "0,0001", 1.0L / 10000.0L},
        {".", "1.50", 1.5L},
        {",", "1,50", 1.5L},
        {".", " 2 ", 2.0L},
        {".", "   -1", -1.0L},
        {".", "+7", 7.0L},
        {".", "1e3", 1000.0L},
        {".", "1E-5", 1.0L / 100000.0L},
        {".", "2.5e+2", 250.0L},
        {".", ".5", 0.5L},
        {".", "5.", 5.0L},
        {".", "-0", 0.0L},
        {".", "000123", 123.0L},
        {".", "1e-99999", 0.0L},
        {".", "123456e-4935", 123456.0L / 1e4000L / 1e935L},
    };
    for (const TextCase& c : cases) {
        SetDecimalSeparator(c.separator);
        EXPECT_EQ(StrToFloat(c.text), c.expected) << "\"" << c.text << "\" under " << c.separator;
    }
}

TEST_F(NumberConversionTest, RejectsEveryOtherText) {
    const char* const dotRejects[] = {
        "", " ", "abc", "1,5", "0,0001", "1e", "1e+", "--1", "+-1", "1 2", "\t1", "1\t",
        "1.2.3", "inf", "nan", "0x10", "1e99999", "-", ".", "e5", "1_000", "1.5f",
    };
    SetDecimalSeparator(".");
    for (const char* text : dotRejects) {
        EXPECT_THROW(StrToFloat(text), EConvertError) << "\"" << text << "\"";
    }
    SetDecimalSeparator(",");
    for (const char* text : {"1.5", "0.0001", "1,2,3"}) {
        EXPECT_THROW(StrToFloat(text), EConvertError) << "\"" << text << "\" under ,";
    }
}

TEST_F(NumberConversionTest, TheMessageNamesTheText) {
    SetDecimalSeparator(".");
    try {
        StrToFloat("x1");
        FAIL() << "no EConvertError";
    } catch (const EConvertError& e) {
        EXPECT_NE(e.Message.find("'x1'"), std::string::npos) << e.Message;
    }
}

// The size window multiplies the megabytes by 1,000,000 and truncates; the digits are divided by
// the power of ten, so 0.001 lies just below 1/1000.
TEST_F(NumberConversionTest, MegabytesTimesAMillionTruncateAsTheSizeWindowExpects) {
    struct {
        const char* text;
        long long bytes;
    } const cases[] = {
        {"500", 500000000LL}, {"0.0001", 100LL}, {"0.001", 999LL}, {"1.5", 1500000LL},
        {"1e3", 1000000000LL}, {"0.5", 500000LL},
    };
    SetDecimalSeparator(".");
    for (const auto& c : cases) {
        const long double product = StrToFloat(c.text) * 1000000.0L;
        EXPECT_EQ(static_cast<long long>(product), c.bytes) << c.text;
    }
}

struct NumberCase {
    long double value;
    const char* dot;
    const char* comma;
};

TEST_F(NumberConversionTest, WritesTheGeneralFormat) {
    const NumberCase cases[] = {
        {0.0L, "0", "0"},
        {-0.0L, "0", "0"},
        {500.0L, "500", "500"},
        {1.5L, "1.5", "1,5"},
        {-1.0L, "-1", "-1"},
        {-2.25L, "-2.25", "-2,25"},
        {0.0001L, "0.0001", "0,0001"},
        {static_cast<double>(0.0001), "0.0001", "0,0001"},
        {static_cast<double>(0.1), "0.1", "0,1"},
        {0.00001L, "1E-5", "1E-5"},
        {-0.000015L, "-1.5E-5", "-1,5E-5"},
        {1e16L, "1E16", "1E16"},
        {1e15L, "1E15", "1E15"},
        {999999999999999.0L, "999999999999999", "999999999999999"},
        {123456789012345678.0L, "1.23456789012346E17", "1,23456789012346E17"},
        {1.0L / 3.0L, "0.333333333333333", "0,333333333333333"},
        {2.0L / 3.0L * 1e-5L, "6.66666666666667E-6", "6,66666666666667E-6"},
        {100.0L, "100", "100"},
        {1e300L, "1E300", "1E300"},
        {1e-300L, "1E-300", "1E-300"},
        {2147.483648L, "2147.483648", "2147,483648"},
        {0.99999999999999999L, "1", "1"},
        {NAN, "NAN", "NAN"},
        {INFINITY, "INF", "INF"},
        {-INFINITY, "-INF", "-INF"},
    };
    for (const NumberCase& c : cases) {
        SetDecimalSeparator(".");
        EXPECT_EQ(FloatToStr(c.value), c.dot);
        SetDecimalSeparator(",");
        EXPECT_EQ(FloatToStr(c.value), c.comma);
    }
}

TEST_F(NumberConversionTest, WhatIsWrittenReadsBackUnderTheSameSeparator) {
    const double values[] = {0.0001, 1.5, 500, 0.00001, 1e16, 123.456, 999999};
    for (const char* separator : {".", ","}) {
        SetDecimalSeparator(separator);
        for (double v : values) {
            EXPECT_EQ(static_cast<double>(StrToFloat(FloatToStr(v))), v) << v << " under "
                                                                          << separator;
        }
    }
}

TEST_F(NumberConversionTest, FollowsTheLocaleWhenNoSeparatorIsSet) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous != nullptr ? previous : "C";
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(DecimalSeparator(), ".");
    EXPECT_EQ(FloatToStr(1.5L), "1.5");

    const char* commaLocales[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE"};
    bool found = false;
    for (const char* name : commaLocales) {
        if (std::setlocale(LC_NUMERIC, name) != nullptr) {
            found = true;
            break;
        }
    }
    if (found) {
        EXPECT_EQ(DecimalSeparator(), ",");
        EXPECT_EQ(FloatToStr(1.5L), "1,5");
        EXPECT_EQ(StrToFloat("0,0001"), 1.0L / 10000.0L);
        // A separator set explicitly wins over the locale's.
        SetDecimalSeparator(".");
        EXPECT_EQ(FloatToStr(1.5L), "1.5");
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
    if (!found) GTEST_SKIP() << "no locale with a decimal comma is installed";
}

}  // namespace
