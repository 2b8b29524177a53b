// Envprobe.exe: the windowless diagnostics program over the real registry, files and message boxes.
#include <windows.h>

#include "envprobe/Envprobe.h"
#include "win32/programs/ProgramCommandLine.h"
#include "win32/programs/ProgramPorts.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        tw::win32::Win32ProgramPorts real;
        const auto ports = real.ports();
        tw::envprobe::Envprobe(ports, real.programFolder()).run(tw::win32::programArguments());
    } catch (...) {
        return 1;
    }
    return 0;
}
