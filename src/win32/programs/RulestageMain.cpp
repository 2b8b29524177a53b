// Rulestage.exe: the installer's windowless helper over the real registry and files.
#include <windows.h>

#include "rulestage/Rulestage.h"
#include "win32/programs/ProgramCommandLine.h"
#include "win32/programs/ProgramPorts.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        tw::win32::Win32ProgramPorts real;
        const auto ports = real.ports();
        return tw::rulestage::Rulestage(ports, real.programFolder()).run(tw::win32::programArguments());
    } catch (...) {
        return tw::rulestage::kCouldNotRun;
    }
}
