#include "platform/TextFile.h"

#include <cstdarg>

#include "platform/Format.h"
#include "platform/WriteGate.h"

CTextWriter::~CTextWriter()
{
    if (m_fp)
        std::fclose(m_fp);
}

bool CTextWriter::Open(const std::string& path)
{
    if (m_fp)
        Close();
    m_bFailed = false;
    m_fp = std::fopen(path.c_str(), "wb");
    return m_fp != nullptr;
}

void CTextWriter::WriteString(const std::string& text)
{
    if (!m_fp) {
        m_bFailed = true;
        return;
    }
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    if (!FileWriteAllowed(out.size()) || std::fwrite(out.data(), 1, out.size(), m_fp) != out.size())
        m_bFailed = true;
}

void CTextWriter::WriteFormat(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    std::string s = FormatStringV(fmt, args);
    va_end(args);
    WriteString(s);
}

bool CTextWriter::Close()
{
    if (!m_fp)
        return false;
    if (std::fflush(m_fp) != 0)
        m_bFailed = true;
    if (std::fclose(m_fp) != 0)
        m_bFailed = true;
    m_fp = nullptr;
    return !m_bFailed;
}

CLineReader::~CLineReader() { Close(); }

bool CLineReader::Open(const std::string& path)
{
    Close();
    m_fp = std::fopen(path.c_str(), "rb");
    return m_fp != nullptr;
}

bool CLineReader::ReadString(std::string& line)
{
    line.clear();
    if (!m_fp)
        return false;
    int c;
    bool any = false;
    while ((c = std::fgetc(m_fp)) != EOF) {
        any = true;
        if (c == '\n')
            return true;
        if (c != '\r')
            line += char(c);
    }
    return any;
}

void CLineReader::Close()
{
    if (m_fp)
        std::fclose(m_fp);
    m_fp = nullptr;
}
