// The monitor program with the add-in in the stand-in client: a client started without windows is
// connected once a main window opens, and the monitor never outlives the client it watches.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include "wine/AddinHost.h"
#include "wine/ProgramFolder.h"
#include "win32/Win32Registry.h"

namespace tw::winetest {
namespace {

using standin::StandInClient;


/// The first running process of that executable name, opened to wait on; null when none runs.
HANDLE openProcessNamed(const wchar_t* name) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return nullptr;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    HANDLE found = nullptr;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry))
        if (_wcsicmp(entry.szExeFile, name) == 0) found = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, entry.th32ProcessID);
    CloseHandle(snapshot);
    return found;
}

/// User and kernel time the process used.
ULONGLONG processorMilliseconds(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return ~0ULL;
    return (ULARGE_INTEGER{{user.dwLowDateTime, user.dwHighDateTime}}.QuadPart +
            ULARGE_INTEGER{{kernel.dwLowDateTime, kernel.dwHighDateTime}}.QuadPart) / 10000;
}

bool ended(HANDLE process) { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }

bool inFolder(StandInClient& client, const std::string& path, const std::string& subject) {
    for (const auto& item : client.items(path))
        if (item.subject == subject) return true;
    return false;
}

class HostWatchWineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(registerForFirstRun()) << "regsvr32 could not register the add-in";
        files.copyFile(ProgramFolder::beside("monitor\\HostWatch.exe"), program);
    }
    void TearDown() override {
        if (HANDLE left = openProcessNamed(L"HostWatch.exe")) {
            ADD_FAILURE() << "a monitor was still running";
            TerminateProcess(left, 1);
            WaitForSingleObject(left, 5000);
            CloseHandle(left);
        }
        files.removeFile(program);
        regsvr32(true);
    }

    win32::Win32FileSystem files;
    const std::string program = ProgramFolder::beside("HostWatch.exe");
};

// The test run gives these tests a Wine session of their own (tests/wine/run.sh).
TEST_F(HostWatchWineTest, AWindowlessClientIsConnectedWhenItsFirstMainWindowOpensAndTheMonitorLeaves) {
    StandInClient client;
    const HRESULT listed = client.listAsRunning();
    ASSERT_EQ(listed, S_OK) << "the client is not in the running object table: " << std::hex << listed;
    const auto& loaded = client.loadAddIns();
    ASSERT_EQ(loaded.size(), 1u);
    HANDLE monitor = nullptr;
    for (int waited = 0; waited < 5000 && !monitor; waited += 100) {
        client.pump(100);
        monitor = openProcessNamed(L"HostWatch.exe");
    }
    ASSERT_TRUE(monitor) << "the add-in did not start the monitor";
    client.pump(1500);
    EXPECT_FALSE(ended(monitor)) << "the monitor left while the client had no window";
    EXPECT_FALSE(client.folderExists(kJunk));

    client.openExplorer(kInbox);
    for (int waited = 0; waited < 15000 && !ended(monitor); waited += 100) client.pump(100);
    EXPECT_TRUE(ended(monitor)) << "the monitor is still waiting: " << addinLog();
    CloseHandle(monitor);
    ASSERT_TRUE(client.addIns()[0].connected);
    EXPECT_EQ(client.addIns()[0].connection, S_OK);
    EXPECT_TRUE(client.folderExists(kJunk)) << "the add-in did not start: " << addinLog();

    const standin::MailSpec spam = mailFromFile("spam.eml");
    client.deliver(kInbox, spam);
    for (int waited = 0; waited < 5000 && !inFolder(client, kJunk, spam.subject); waited += 250) client.pump(250);
    EXPECT_TRUE(inFolder(client, kJunk, spam.subject)) << addinLog();
    client.disconnectAddIns();
}

TEST_F(HostWatchWineTest, TheMonitorEndsWithItsClientAndASecondOneLeavesAtOnce) {
    // A client process that ends of itself without ever opening a window.
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION client{};
    std::wstring clientLine = L"\"" + win32::toWide(ProgramFolder::beside("hostwatch_probe.exe")) + L"\" /sleep 2000";
    ASSERT_TRUE(CreateProcessW(nullptr, clientLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &client));
    CloseHandle(client.hThread);

    auto start = [&](PROCESS_INFORMATION& started) {
        std::wstring line = L"\"" + win32::toWide(program) + L"\" /n OrvennaOutlookAddIn.Connect /p " +
                            std::to_wstring(client.dwProcessId) + L" /t " + std::to_wstring(client.dwThreadId);
        STARTUPINFOW info{};
        info.cb = sizeof(info);
        return CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &info, &started) != FALSE;
    };
    PROCESS_INFORMATION first{}, second{};
    ASSERT_TRUE(start(first));
    Sleep(300);
    ASSERT_TRUE(start(second));
    EXPECT_EQ(WaitForSingleObject(second.hProcess, 3000), WAIT_OBJECT_0) << "a second monitor stayed";
    EXPECT_NE(WaitForSingleObject(first.hProcess, 0), WAIT_OBJECT_0) << "the monitor left before its client";

    EXPECT_EQ(WaitForSingleObject(first.hProcess, 10000), WAIT_OBJECT_0) << "the monitor outlived its client";
    EXPECT_EQ(WaitForSingleObject(client.hProcess, 0), WAIT_OBJECT_0);
    // Waiting on the process, not looping: beyond what starting a program costs (the second monitor
    // did nothing else), it used well under a tenth of the two seconds it waited.
    const ULONGLONG watching = processorMilliseconds(first.hProcess), starting = processorMilliseconds(second.hProcess);
    EXPECT_LT(watching, starting + 200) << "milliseconds of processor time; starting alone took " << starting;
    for (HANDLE h : {first.hProcess, first.hThread, second.hProcess, second.hThread, client.hProcess}) CloseHandle(h);
}

}  // namespace
}  // namespace tw::winetest
