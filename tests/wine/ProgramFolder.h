// A fresh folder beside the test program holding one of the small programs, and a way to run it and wait.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <process.h>

#include <cerrno>

#include <string>

#include "core/Text.h"
#include "win32/TextEncoding.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32Shell.h"

namespace tw::winetest {

/// The folder of the test program, where run.sh put the programs and the probe libraries too.
inline std::string testProgramFolder() { return win32::Win32Shell().libraryFolder(); }

/// Starts `program` and waits for it; the exit code, or -1 when it could not be started.
/// Wine now and then refuses a start right after the previous process ended, so a refused
/// start is tried again a few times, apart, before it counts as a program that cannot start.
inline intptr_t spawnAndWait(const std::wstring& program, const wchar_t* const* argv) {
    constexpr int kStartAttempts = 5;
    intptr_t code = -1;
    for (int attempt = 0; attempt < kStartAttempts && code == -1; ++attempt) {
        if (attempt > 0) ::Sleep(200);
        code = _wspawnv(_P_WAIT, program.c_str(), argv);
    }
    return code;
}

class ProgramFolder {
public:
    /// Copies `program` (a file beside the test program) into a new folder named after the running test.
    explicit ProgramFolder(const std::string& program) : program_(program) {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = testProgramFolder() + "\\runs\\" + info->test_suite_name() + "." + info->name();
        files.createFolders(path_);
        for (const std::string& name : files.listFiles(path_)) files.removeFile(at(name));
        files.copyFile(beside(program), at(program));
    }

    const std::string& path() const { return path_; }
    std::string at(const std::string& name) const { return path_ + "\\" + name; }
    static std::string beside(const std::string& name) { return testProgramFolder() + "\\" + name; }

    /// Runs the program with `arguments` exactly as its command line tail and returns its exit code.
    int run(const std::string& arguments) const {
        // The runtime joins these with blanks and quotes nothing, so the tail arrives as written.
        const std::wstring program = win32::toWide(at(program_));
        const std::wstring quoted = L"\"" + program + L"\"";
        const std::wstring tail = win32::toWide(arguments);
        const wchar_t* argv[] = {quoted.c_str(), arguments.empty() ? nullptr : tail.c_str(), nullptr};
        const intptr_t code = spawnAndWait(program, argv);
        EXPECT_NE(code, -1) << "could not start " << at(program_) << ": errno " << errno;
        return static_cast<int>(code);
    }

    std::vector<std::string> lines(const std::string& name) {
        std::vector<std::string> result = text::split(files.readAll(at(name)), "\r\n");
        if (!result.empty() && result.back().empty()) result.pop_back();
        return result;
    }

    win32::Win32FileSystem files;

private:
    std::string program_;
    std::string path_;
};

}  // namespace tw::winetest
