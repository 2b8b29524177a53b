// In-memory ports for the diagnostics tests: files, a stopped clock, a shell and a recording UI.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/Error.h"
#include "core/Text.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "platform/UserInterface.h"

namespace tw::diag::fakes {

/// Files keyed by lower-cased Windows path. A size can be pretended so rotation needs no 400 KB.
class MemoryFileSystem : public platform::FileSystem {
public:
    std::map<std::string, std::string> files;
    std::map<std::string, uint64_t> pretendedSize;
    std::set<std::string> failing;  // names of the operations that raise

    void put(const std::string& path, const std::string& bytes, uint64_t size = 0) {
        files[text::lower(path)] = bytes;
        if (size) pretendedSize[text::lower(path)] = size;
    }
    bool has(const std::string& path) const { return files.count(text::lower(path)) != 0; }
    std::string content(const std::string& path) const { return has(path) ? files.at(text::lower(path)) : ""; }

    bool fileExists(const std::string& path) override {
        check("fileExists");
        return has(path);
    }
    bool folderExists(const std::string&) override { return true; }
    uint64_t fileSize(const std::string& path) override {
        auto it = pretendedSize.find(text::lower(path));
        return it != pretendedSize.end() ? it->second : existing(path, "fileSize").size();
    }
    int64_t lastModified(const std::string&) override { return 0; }
    std::string readAll(const std::string& path) override { return existing(path, "readAll"); }
    void append(const std::string& path, const std::string& bytes) override {
        check("append");
        files[text::lower(path)] += bytes;
    }
    void replaceContents(const std::string& path, const std::string& bytes) override { put(path, bytes); }
    void removeFile(const std::string& path) override {
        existing(path, "removeFile");
        files.erase(text::lower(path));
        pretendedSize.erase(text::lower(path));
    }
    void renameFile(const std::string& from, const std::string& to) override {
        const std::string bytes = existing(from, "renameFile");
        if (has(to)) throw Error(58, "FileSystem", "File already exists");
        removeFile(from);
        put(to, bytes);
    }
    void copyFile(const std::string& from, const std::string& to) override { put(to, content(from)); }
    void createFolders(const std::string&) override {}
    std::vector<std::string> listFiles(const std::string&) override { return {}; }

private:
    void check(const std::string& op) const {
        if (failing.count(op)) throw Error(75, "FileSystem", "Path/File access error");
    }
    std::string existing(const std::string& path, const std::string& op) const {
        check(op);
        if (!has(path)) throw Error(53, "FileSystem", "File not found");
        return content(path);
    }
};

class FixedClock : public platform::Clock {
public:
    OleDate now() override { return OleDate::fromCivil({2026, 12, 8, 16, 5, 9}); }
    DateLocale userDateFormats() override { return {}; }
};

class FakeShell : public platform::Shell {
public:
    bool folderFails = false;
    bool browserFails = false;
    platform::OsVersion os;

    std::string expandEnvironmentStrings(const std::string& t) override { return t; }
    void openWithShell(const std::string&) override {}
    void startProgram(const std::string&, int) override {}
    std::vector<std::string> processExecutables() override { return {}; }
    uint32_t currentProcessId() override { return 1; }
    uint32_t currentThreadId() override { return 1; }
    platform::OsVersion osVersion() override { return os; }
    platform::FileVersion browserVersion() override {
        if (browserFails) throw Error(48, "Shell", "Error in loading DLL");
        return {6, 0, 2900, 0};
    }
    platform::FileVersion fileVersion(const std::string&) override { return {}; }
    std::string systemDirectory() override { return "C:\\WINDOWS\\system32"; }
    std::string libraryFolder() override {
        if (folderFails) throw Error(5, "Shell", "Invalid procedure call");
        return "C:\\Program Files\\Tarnwick";
    }
    platform::FileVersion libraryVersion() override { return {2, 1, 0, 37}; }
};

class RecordingUi : public platform::UserInterface {
public:
    std::set<std::string> visible;

    int MsgBox(const std::string&, int, const std::string&) override { return platform::vbOK; }
    void showForm(platform::FormView& form, bool modal) override {
        if (modal && form.controls() == nullptr) platform::refuseModalWithoutWindow(form, "RecordingUi");
        visible.insert(form.formName());
    }
    void hideForm(platform::FormView& form) override { visible.erase(form.formName()); }
    bool isFormVisible(const platform::FormView& form) const override { return visible.count(form.formName()); }
    platform::TimerId setTimer(int, std::function<void()>) override { return 1; }
    void killTimer(platform::TimerId) override {}
    void doEvents() override {}
};

}  // namespace tw::diag::fakes
