// Envprobe.exe: the windowless diagnostics program over the real registry, files and message boxes.
#include <windows.h>

#include "envprobe/Envprobe.h"
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
        tw::envprobe::Envprobe(ports, shell.libraryFolder()).run(tw::win32::programArguments());
    } catch (...) {
        return 1;
    }
    return 0;
}
