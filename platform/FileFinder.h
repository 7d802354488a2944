#pragma once
#include <string>
#include <vector>

// Windows wildcard match: '*' any run, '?' one character, case-insensitive;
// "*.*" matches every name, with or without a dot.
bool MatchesWildcard(const std::string& name, const std::string& pattern);

struct FoundFile {
    std::string name; // file name only
    std::string path; // folder + name
    bool isDirectory = false;
};

// Every entry of `folder` whose name matches `pattern`, sorted by name so the
// result does not depend on the file system's order. "." and ".." are left out.
std::vector<FoundFile> FindFiles(const std::string& folder, const std::string& pattern = "*.*");

// The path to open for `path`, as a Windows file name would find it: `path`
// itself when it exists, else the entry of its folder whose name equals its
// last component but for ASCII case (the first in byte order when several
// do, so the choice does not depend on the file system's order), else `path`
// as given.
std::string ResolveNameCase(const std::string& path);
