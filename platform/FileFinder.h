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
