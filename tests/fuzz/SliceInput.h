#pragma once
// The slice-folder targets' input: the first byte picks the import dialog's
// layout, the rest is cut into the slice files, named so that their sorted
// order is the order of the pieces.
#include <cstdio>
#include <filesystem>
#include <string>

#include "FuzzSupport.h"

namespace fuzz {
inline constexpr std::size_t kMaxSlices = 64;

// Writes the slices into a folder of their own and returns the pattern the
// import dialog hands over (folder, separator, wildcard).
inline std::string WriteSlices(const Run& run, std::string_view rest)
{
    const auto pieces = Cut(rest);
    std::string pattern = run.Folder() + "/slices";
    std::filesystem::create_directory(pattern);
    for (std::size_t i = 0; i < pieces.size() && i < kMaxSlices; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "slices/s%03zu.raw", i);
        run.Write(name, pieces[i]);
    }
    return pattern + "/*.*";
}
} // namespace fuzz
