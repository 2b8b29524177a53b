// The simulated file system: Windows paths mapped into a real directory ("C:\x" is <root>/drive_c/x).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "sim/FaultInjector.h"

namespace tw::sim {

/// Failures raise Error with source "SimFileSystem": 53 "File not found" for a missing file,
/// 76 "Path not found" for a missing folder, 58 "File already exists" when a rename would
/// overwrite, 75 "Path/File access error" for everything else (injected failures included).
class SimFileSystem : public platform::FileSystem {
public:
    explicit SimFileSystem(std::filesystem::path root);

    /// Where a Windows path lives under the root. Each level that does not exist with the exact
    /// name is looked up without regard to case, as Windows does. Raises for a path that is not
    /// absolute ("C:\..." or "C:/...") or that climbs above its drive with "..".
    std::filesystem::path hostPath(const std::string& windowsPath) const;
    const std::filesystem::path& root() const { return root_; }

    /// Operation names are the port's method names, optionally with ":" and a Windows path.
    /// An injected replaceContents failure strikes after half of the new content is written and
    /// removes the temporary file. "replaceContents.write" and "replaceContents.rename" stop a
    /// replacement as a crash would, with the temporary file half written or complete but not yet
    /// renamed, and leave it behind.
    void failNext(const std::string& operation) { faults_.failNext(operation); }
    void failAlways(const std::string& operation) { faults_.failAlways(operation); }
    void failNth(const std::string& operation, int n) { faults_.failNth(operation, n); }
    void clearFailures() { faults_.clearFailures(); }
    /// Whether an armed one-shot failure has not struck yet.
    bool failurePending() const { return faults_.pending(); }

    bool fileExists(const std::string& path) override;
    bool folderExists(const std::string& path) override;
    uint64_t fileSize(const std::string& path) override;
    int64_t lastModified(const std::string& path) override;
    std::string readAll(const std::string& path) override;
    void append(const std::string& path, const std::string& bytes) override;
    void replaceContents(const std::string& path, const std::string& bytes) override;
    void removeFile(const std::string& path) override;
    void renameFile(const std::string& from, const std::string& to) override;
    void copyFile(const std::string& from, const std::string& to) override;
    void createFolders(const std::string& path) override;
    /// Sorted without regard to case, as Windows lists them.
    std::vector<std::string> listFiles(const std::string& folder) override;

private:
    void checkFault(const char* operation, const std::string& path);
    std::filesystem::path existingFile(const std::string& path) const;

    std::filesystem::path root_;
    FaultInjector faults_;
};

}  // namespace tw::sim
