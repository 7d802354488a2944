#include "platform/FileFinder.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace {
bool Match(const char* s, const char* p)
{
    // Iterative glob with backtracking to the last '*'.
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*s) {
        if (*p == '?' || (*p && *p != '*' && std::tolower((unsigned char)*p) == std::tolower((unsigned char)*s))) {
            ++s;
            ++p;
        } else if (*p == '*') {
            star = p++;
            resume = s;
        } else if (star) {
            p = star + 1;
            s = ++resume;
        } else {
            return false;
        }
    }
    while (*p == '*')
        ++p;
    return *p == '\0';
}

// ASCII only, whatever the locale: other bytes must match exactly.
bool EqualIgnoringCase(const std::string& a, const std::string& b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}
} // namespace

bool MatchesWildcard(const std::string& name, const std::string& pattern)
{
    if (pattern == "*.*" || pattern == "*")
        return true;
    if (Match(name.c_str(), pattern.c_str()))
        return true;
    // "name.*" also matches a name without any extension, as on Windows.
    if (pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0 && name.find('.') == std::string::npos)
        return Match(name.c_str(), pattern.substr(0, pattern.size() - 2).c_str());
    return false;
}

std::vector<FoundFile> FindFiles(const std::string& folder, const std::string& pattern)
{
    std::vector<FoundFile> out;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder.empty() ? std::string(".") : folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name == "." || name == ".." || !MatchesWildcard(name, pattern))
            continue;
        std::error_code ec2;
        out.push_back({name, it->path().string(), it->is_directory(ec2)});
    }
    std::sort(out.begin(), out.end(), [](const FoundFile& a, const FoundFile& b) { return a.name < b.name; });
    return out;
}

std::string ResolveNameCase(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    if (path.empty() || fs::exists(path, ec))
        return path;
    const fs::path p(path);
    const std::string name = p.filename().string();
    if (name.empty())
        return path;
    std::string best;
    fs::directory_iterator it(p.has_parent_path() ? p.parent_path() : fs::path("."), ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::string n = it->path().filename().string();
        if (EqualIgnoringCase(n, name) && (best.empty() || n < best))
            best = std::move(n);
    }
    if (best.empty())
        return path;
    return p.has_parent_path() ? (p.parent_path() / best).string() : best;
}
