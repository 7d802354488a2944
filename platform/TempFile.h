#pragma once
#include <string>

// Temporary files in the system's temporary folder ($TMPDIR honoured).
std::string GetTempFolder();
// Creates a new, empty, uniquely named file "<folder>/<prefix>XXXXXX" and
// returns its path, or an empty string when none could be created.
std::string CreateTempFileName(const std::string& prefix, const std::string& folder = GetTempFolder());
// The same, named "<folder>/<prefix><pid>-<host>-XXXXXX" with the calling
// process's id and its machine's name, so that the files of a process that
// was killed can be told from those of one still running.
std::string CreateOwnedTempFileName(const std::string& prefix, const std::string& folder = GetTempFolder());
// Removes the files named as CreateOwnedTempFileName names them on this
// machine whose process no longer runs; returns how many. Other names, files
// of other machines, of running processes and of other users are left alone.
int RemoveOrphanedTempFiles(const std::string& prefix, const std::string& folder = GetTempFolder());

// Writes a file beside its target and renames it over the target only when
// everything went well, so a failed save leaves the old file as it was.
class CSafeSave {
public:
    explicit CSafeSave(std::string target);
    CSafeSave(const CSafeSave&) = delete;
    CSafeSave& operator=(const CSafeSave&) = delete;
    ~CSafeSave(); // removes the temporary file unless committed

    // The path to write to; empty when no temporary file could be made.
    const std::string& TempPath() const { return m_strTemp; }
    // Renames the temporary file over the target; false (and the temporary
    // file removed) on failure.
    bool Commit();

private:
    std::string m_strTarget;
    std::string m_strTemp;
    bool m_bDone = false;
};
