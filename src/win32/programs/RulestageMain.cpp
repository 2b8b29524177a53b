// Rulestage.exe: the installer's windowless helper over the real registry and files.
#include <windows.h>

#include "rulestage/Rulestage.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32Registry.h"
#include "win32/Win32Shell.h"
#include "win32/Win32UserInterface.h"
#include "win32/programs/ProgramCommandLine.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        tw::win32::Win32Registry registry;
        tw::win32::Win32FileSystem files;
        tw::win32::Win32Shell shell;
        tw::win32::Win32UserInterface ui;
        const tw::regop::ProgramPorts ports{registry, files, shell, ui};
        // The shell's module folder is this program's own folder: the code is linked into the program.
        return tw::rulestage::Rulestage(ports, shell.libraryFolder()).run(tw::win32::programArguments());
    } catch (...) {
        return tw::rulestage::kCouldNotRun;
    }
}
