#pragma once
#include <cstdio>
#include <memory>

// The OBJ and OFF readers take lines in pieces of at most 254 characters
// (longer lines arrive as several pieces), as the C library's fgets gives them.
constexpr int kTextPiece = 255;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// The next piece of the current line into buf (kTextPiece bytes); an empty
// string at the end of the file.
inline void ReadPiece(std::FILE* file, char* buf)
{
    if (!std::fgets(buf, kTextPiece, file))
        buf[0] = '\0';
}
