#pragma once

#include <string>

// The class library's conversions between numbers and their text, as the settings file stores
// them. Both use the decimal separator of the user's regional settings (LC_NUMERIC of the C
// library's current locale), so that a number written by one user reads back for that user;
// SetDecimalSeparator stands in for the class library's assignable separator.

// Text to an extended-precision number: optional spaces, an optional sign, digits with at most
// one decimal separator, an optional exponent ("E" or "e", an optional sign, digits), optional
// spaces, and nothing else. Spaces are the space character only. The digits are taken as one
// integer and divided (or multiplied) by the power of ten that the decimal places and the
// exponent give, in extended precision, so "0.001" is the nearest value below 1/1000 that a
// 64-bit significand holds.
// Raises EConvertError for every other text and for a value that does not fit.
long double StrToFloat(const std::string& text);

// The general number format: 15 significant digits; trailing zeros and a separator left without
// digits dropped; fixed notation for values of at least 0.0001 with at most 15 digits before the
// separator, otherwise scientific ("1E-5", "1.5E20"). NaN and infinities give "NAN", "INF",
// "-INF".
std::string FloatToStr(long double value);

// The separator that both conversions use now: the one set by SetDecimalSeparator, or else the
// current locale's.
std::string DecimalSeparator();

// Makes the conversions use separator in place of the locale's; an empty text goes back to
// following the locale.
void SetDecimalSeparator(const std::string& separator);
