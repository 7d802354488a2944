#pragma once
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// A fresh folder per test, removed afterwards; TMPDIR points into it so that
// temporary files made by the code under test land there too.
class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "vxtest-XXXXXX").string();
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        m_path = mkdtemp(buf.data());
        const char* old = std::getenv("TMPDIR");
        m_hadOld = old != nullptr;
        if (old)
            m_old = old;
        setenv("TMPDIR", m_path.c_str(), 1);
    }
    ~TempDir()
    {
        if (m_hadOld)
            setenv("TMPDIR", m_old.c_str(), 1);
        else
            unsetenv("TMPDIR");
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

    std::string Write(const std::string& name, const std::string& bytes) const
    {
        std::string p = File(name);
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }
    static std::string Read(const std::string& path)
    {
        std::ifstream f(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
    // Names in the folder that start with `prefix`, sorted.
    std::vector<std::string> FilesStartingWith(const std::string& prefix) const
    {
        std::vector<std::string> out;
        for (auto& e : std::filesystem::directory_iterator(m_path)) {
            std::string n = e.path().filename().string();
            if (n.rfind(prefix, 0) == 0)
                out.push_back(n);
        }
        std::sort(out.begin(), out.end());
        return out;
    }

private:
    std::string m_path;
    std::string m_old;
    bool m_hadOld = false;
};
