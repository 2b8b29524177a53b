// File-system port. Paths are Windows paths ("C:\Program Files\Tarnwick\report.txt"); the sim maps
// them into the profile directory, the Windows adapter uses them as they are.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tw::platform {

/// Every call that fails raises Error. Thread rule: the user-interface thread only.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual bool fileExists(const std::string& path) = 0;
    virtual bool folderExists(const std::string& path) = 0;
    virtual uint64_t fileSize(const std::string& path) = 0;
    /// Last write time as seconds since 1970.
    virtual int64_t lastModified(const std::string& path) = 0;

    virtual std::string readAll(const std::string& path) = 0;
    /// Appends bytes, creating the file when missing.
    virtual void append(const std::string& path, const std::string& bytes) = 0;
    /// Writes a new file beside the old one and puts it in place only when complete,
    /// so a failure in the middle leaves the old content whole.
    virtual void replaceContents(const std::string& path, const std::string& bytes) = 0;

    virtual void removeFile(const std::string& path) = 0;
    virtual void renameFile(const std::string& from, const std::string& to) = 0;
    virtual void copyFile(const std::string& from, const std::string& to) = 0;
    virtual void createFolders(const std::string& path) = 0;
    /// Names (not paths) of the files directly inside a folder.
    virtual std::vector<std::string> listFiles(const std::string& folder) = 0;
};

}  // namespace tw::platform
