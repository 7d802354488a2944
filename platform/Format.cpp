#include "platform/Format.h"

#include <cstdio>
#include <vector>

std::string FormatStringV(const char* fmt, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    char small[256];
    int n = std::vsnprintf(small, sizeof small, fmt, copy);
    va_end(copy);
    if (n < 0)
        return {};
    if (n < int(sizeof small))
        return std::string(small, size_t(n));
    std::vector<char> big(size_t(n) + 1);
    std::vsnprintf(big.data(), big.size(), fmt, args);
    return std::string(big.data(), size_t(n));
}

std::string FormatString(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    std::string s = FormatStringV(fmt, args);
    va_end(args);
    return s;
}
