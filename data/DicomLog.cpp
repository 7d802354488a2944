#include "data/DicomLog.h"

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <dcmtk/config/osconfig.h>
#include <dcmtk/oflog/appender.h>
#include <dcmtk/oflog/logger.h>
#include <dcmtk/oflog/oflog.h>
#include <dcmtk/oflog/spi/logevent.h>

#include "data/MessageLog.h"

namespace {
namespace log4 = dcmtk::log4cplus;

thread_local int t_nMuted = 0;

// The message log is not for other threads: their lines wait here.
struct PendingLines {
    std::mutex mutex;
    std::thread::id owner;
    std::vector<std::string> lines;
};

PendingLines& Pending()
{
    static PendingLines* pending = new PendingLines; // outlives the toolkit's own statics
    return *pending;
}

std::string LevelName(log4::LogLevel level)
{
    if (level >= log4::FATAL_LOG_LEVEL)
        return "fatal error";
    if (level >= log4::ERROR_LOG_LEVEL)
        return "error";
    return "warning";
}

// One line of plain text: the toolkit quotes element values and file names
// in whatever character set they came in, which the log window cannot show.
std::string LogLine(const log4::spi::InternalLoggingEvent& event)
{
    std::string text = "DCMTK " + LevelName(event.getLogLevel()) + ": ";
    const OFString& message = event.getMessage();
    std::size_t end = message.length();
    while (end > 0 && (message[end - 1] == '\n' || message[end - 1] == '\r'))
        --end;
    for (std::size_t i = 0; i < end; ++i) {
        const unsigned char c = static_cast<unsigned char>(message[i]);
        text += c == '\n' || (c >= 0x20 && c < 0x7F) ? char(c) : '?';
    }
    return text;
}

class CMessageLogAppender : public log4::Appender {
public:
    ~CMessageLogAppender() override { destructorImpl(); }
    void close() override {}

protected:
    void append(const log4::spi::InternalLoggingEvent& event) override
    {
        if (t_nMuted > 0)
            return;
        PendingLines& pending = Pending();
        {
            std::lock_guard<std::mutex> lock(pending.mutex);
            pending.lines.push_back(LogLine(event));
            if (std::this_thread::get_id() != pending.owner)
                return;
        }
        FlushDicomLog();
    }
};
} // namespace

CDicomLogMute::CDicomLogMute() { ++t_nMuted; }
CDicomLogMute::~CDicomLogMute() { --t_nMuted; }

void RouteDicomLog()
{
    {
        std::lock_guard<std::mutex> lock(Pending().mutex);
        Pending().owner = std::this_thread::get_id();
    }
    // The toolkit sets up its console output on first use; getting a logger
    // makes sure that has happened before it is replaced.
    (void)OFLog::getLogger("dcmtk");
    log4::Logger root = log4::Logger::getRoot();
    root.removeAllAppenders();
    root.addAppender(log4::SharedAppenderPtr(new CMessageLogAppender));
    root.setLogLevel(log4::WARN_LOG_LEVEL);
}

void FlushDicomLog()
{
    std::vector<std::string> lines;
    {
        PendingLines& pending = Pending();
        std::lock_guard<std::mutex> lock(pending.mutex);
        if (std::this_thread::get_id() != pending.owner)
            return;
        lines.swap(pending.lines);
    }
    for (const std::string& line : lines)
        CMessageLog::Log(line);
}
