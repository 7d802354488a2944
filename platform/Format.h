#pragma once
#include <cstdarg>
#include <string>

// printf-style formatting into a std::string, bounded by construction.
std::string FormatString(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string FormatStringV(const char* fmt, va_list args);
