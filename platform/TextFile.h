#pragma once
#include <cstdio>
#include <string>

// Text-mode writer: every "\n" goes out as "\r\n", as the framework's text
// files wrote it. Failures are remembered rather than thrown so a writer can
// finish a format and report once.
class CTextWriter {
public:
    CTextWriter() = default;
    CTextWriter(const CTextWriter&) = delete;
    CTextWriter& operator=(const CTextWriter&) = delete;
    ~CTextWriter();

    bool Open(const std::string& path); // create or truncate
    void WriteString(const std::string& text);
    void WriteFormat(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    // Flushes and closes; false when any write or the close failed.
    bool Close();
    bool IsOpen() const { return m_fp != nullptr; }
    bool Failed() const { return m_bFailed; }

private:
    std::FILE* m_fp = nullptr;
    bool m_bFailed = false;
};

// Line reader: ReadString gives one line without its "\n" and without "\r".
class CLineReader {
public:
    CLineReader() = default;
    CLineReader(const CLineReader&) = delete;
    CLineReader& operator=(const CLineReader&) = delete;
    ~CLineReader();

    bool Open(const std::string& path);
    bool ReadString(std::string& line); // false at end of file
    void Close();

private:
    std::FILE* m_fp = nullptr;
};

// C stdio file closed on scope exit.
struct StdioCloser {
    void operator()(std::FILE* f) const noexcept
    {
        if (f)
            std::fclose(f);
    }
};
