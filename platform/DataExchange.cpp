#include "platform/DataExchange.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The text between leading and trailing blanks, without one leading '+'
// (which from_chars does not take); a sign of its own after the '+' stays
// and is refused by the conversion.
std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '-' || text.front() == '+'))
            return {};
    }
    return text;
}
} // namespace

bool DdxParseInt(std::string_view text, std::int32_t& value)
{
    text = Trimmed(text);
    if (text.empty())
        return false;
    std::int64_t v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v, 10);
    if (ec != std::errc() || end != text.data() + text.size())
        return false;
    if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
        return false;
    value = static_cast<std::int32_t>(v);
    return true;
}

bool DdxParseFloat(std::string_view text, float& value)
{
    text = Trimmed(text);
    if (text.empty())
        return false;
    double d = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), d, std::chars_format::general);
    if (ec != std::errc() || end != text.data() + text.size())
        return false;
    if (!std::isfinite(d) || std::fabs(d) > std::numeric_limits<float>::max())
        return false;
    value = static_cast<float>(d);
    return true;
}

std::string DdxFormatInt(std::int64_t value) { return std::to_string(value); }

std::string DdxFormatFloat(float value)
{
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, double(value), std::chars_format::general, 6);
    return ec == std::errc() ? std::string(buf, end) : std::string();
}

float DdxShownAtMost(float value)
{
    if (!std::isfinite(value))
        return value;
    float shown = 0.0f;
    if (DdxParseFloat(DdxFormatFloat(value), shown) && shown <= value)
        return shown;
    // Showing it rounds it up: one unit of the sixth digit lower, or one more
    // where the float nearest to that rounds up again.
    const double unit = std::pow(10.0, std::floor(std::log10(std::fabs(double(value)))) - 5.0);
    double d = std::floor(double(value) / unit) * unit;
    for (int i = 0; i < 3; ++i, d -= unit)
        if (DdxParseFloat(DdxFormatFloat(float(d)), shown) && shown <= value)
            return shown;
    return value;
}

std::string DdxIntRangeMessage(std::int64_t min, std::int64_t max)
{
    return "Please enter an integer between " + DdxFormatInt(min) + " and " + DdxFormatInt(max) + ".";
}

std::string DdxFloatRangeMessage(float min, float max)
{
    return "Please enter a number between " + DdxFormatFloat(min) + " and " + DdxFormatFloat(max) + ".";
}

std::string DdxFloatAboveMessage(float min)
{
    return "Please enter a number greater than " + DdxFormatFloat(min) + ".";
}
