// File-system port over the Win32 file functions; paths are Windows paths in UTF-8.
#pragma once

#include "platform/FileSystem.h"

namespace tw::win32 {

class Win32FileSystem final : public platform::FileSystem {
public:
    bool fileExists(const std::string& path) override;
    bool folderExists(const std::string& path) override;
    uint64_t fileSize(const std::string& path) override;
    int64_t lastModified(const std::string& path) override;

    std::string readAll(const std::string& path) override;
    void append(const std::string& path, const std::string& bytes) override;
    void replaceContents(const std::string& path, const std::string& bytes) override;

    void removeFile(const std::string& path) override;
    /// Fails when the destination exists, as renaming a file does on Windows.
    void renameFile(const std::string& from, const std::string& to) override;
    /// Overwrites the destination.
    void copyFile(const std::string& from, const std::string& to) override;
    void createFolders(const std::string& path) override;
    std::vector<std::string> listFiles(const std::string& folder) override;
};

}  // namespace tw::win32
