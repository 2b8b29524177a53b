// The message files of the simulated store: a Maildir++ tree, one folder per mail folder and one
// file per message, written through tmp/ and a rename so a reader never sees half a message.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tw::sim {

/// Folder mapping. The Inbox is the root of the tree (its cur/, new/ and tmp/ lie directly in the
/// mail folder), as Maildir++ has it. Every other folder is a directory "." followed by its path
/// from the top of the store with "." between the names: "Sent Items" is ".Sent Items", "Lists"
/// under the Inbox is ".Inbox.Lists", "2026" under "Tarnwick" is ".Tarnwick.2026". In a name, "%"
/// is written "%25", "." is "%2E" and "/" is "%2F", so every name maps back to itself.
///
/// Message files are named "<unique>:2,<flags>"; the flag S (seen) is the read state, other flags
/// are kept as found. Files found in new/ are moved to cur/ when the folder is opened.
class MaildirStore {
public:
    using LogSink = std::function<void(const std::string&)>;

    MaildirStore(std::filesystem::path root, LogSink log);

    static std::string directoryName(const std::vector<std::string>& pathFromTop);
    /// The folder path of a directory name; empty for a name that is not a Maildir++ folder.
    static std::vector<std::string> folderPath(std::string_view directory);

    /// Directory names of the folders present ("" for the Inbox), sorted so parents come first.
    std::vector<std::string> discoverFolders() const;
    /// Creates cur/, new/ and tmp/ of a folder when missing.
    void ensureFolder(const std::string& directory);

    struct File {
        std::string directory;
        std::string unique;
        std::string flags;  // the letters after ":2,"
        bool seen() const { return flags.find('S') != std::string::npos; }
    };

    /// The messages of a folder in the order of their names; new/ is emptied into cur/ first.
    std::vector<File> scanFolder(const std::string& directory);

    File addMessage(const std::string& directory, std::string_view bytes, bool seen);
    File moveMessage(const File& file, const std::string& toDirectory);
    File setSeen(const File& file, bool seen);
    File copyMessage(const File& file, const std::string& toDirectory);
    void replaceMessage(const File& file, std::string_view bytes);
    void removeMessage(const File& file);

    std::string readMessage(const File& file) const;
    /// The start of a message, up to and including the blank line after its headers (at most
    /// 1 MB), so that a large message is not read whole to list it.
    std::string readHeaderPart(const File& file) const;

    const std::filesystem::path& root() const { return root_; }

private:
    std::filesystem::path folderDir(const std::string& directory) const;
    std::string newUnique();
    void writeThroughTmp(const std::string& directory, const std::string& unique, std::string_view bytes,
                         const std::filesystem::path& target);

    std::filesystem::path root_;
    LogSink log_;
    uint64_t sequence_ = 0;
};

}  // namespace tw::sim
