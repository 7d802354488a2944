#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// The text side of dialog data exchange: how a field's text becomes a member
// and back, and the messages a refused field shows. The window side, which
// reads the controls and keeps a failing dialog open, is platform/wx/
// WxDataExchange.h.

inline constexpr char kDdxIntegerMessage[] = "Please enter an integer.";
inline constexpr char kDdxNumberMessage[] = "Please enter a number.";

// A decimal integer with an optional sign, blanks and tabs allowed around
// it. False for an empty field, anything else in it, or a value beyond 32
// bits (the field would otherwise show a number other than the one typed).
bool DdxParseInt(std::string_view text, std::int32_t& value);
// A decimal number, fixed or with an exponent, blanks and tabs allowed
// around it. False for an empty field, anything else in it, and for values
// that are not finite in single precision (no field takes "nan" or 1e39).
bool DdxParseFloat(std::string_view text, float& value);

std::string DdxFormatInt(std::int64_t value);
// Six significant digits, the shortest of fixed and exponent forms ("5",
// "0.33", "1e-07"): what a float field shows.
std::string DdxFormatFloat(float value);
// The largest number at or below `value` that a float field shows as it is,
// so that a bound named in a message can be typed back and is accepted.
float DdxShownAtMost(float value);

// The messages of the range checks, bounds written as the fields show them.
std::string DdxIntRangeMessage(std::int64_t min, std::int64_t max);
std::string DdxFloatRangeMessage(float min, float max);
// For fields whose bound itself is refused (a scale must be above 0).
std::string DdxFloatAboveMessage(float min);
