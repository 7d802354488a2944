#pragma once

// Sends the DICOM toolkit's warnings and errors to the message log instead of
// the terminal; its lesser messages are dropped. The thread that calls
// RouteDicomLog owns the log: what the toolkit says on it is logged at once,
// what it says on other threads (the slice readers) waits for the next
// FlushDicomLog on the owning thread. Calling it again installs the route
// anew, from the calling thread.
void RouteDicomLog();

// Logs what other threads left waiting, in the order they said it. Does
// nothing on any thread but the owning one.
void FlushDicomLog();

// While one lives, what the toolkit says on this thread is not logged: for
// reads whose words are known beforehand (a header read up to a stop tag
// warns, for every file, that it stopped there).
class CDicomLogMute {
public:
    CDicomLogMute();
    ~CDicomLogMute();
    CDicomLogMute(const CDicomLogMute&) = delete;
    CDicomLogMute& operator=(const CDicomLogMute&) = delete;
};
