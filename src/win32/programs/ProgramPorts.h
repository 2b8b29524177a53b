// The real registry, files, shell and message boxes, as a windowless program of ours uses them.
#pragma once

#include "regop/ProgramPorts.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32Registry.h"
#include "win32/Win32Shell.h"
#include "win32/Win32UserInterface.h"

namespace tw::win32 {

struct Win32ProgramPorts {
    Win32Registry registry;
    Win32FileSystem files;
    Win32Shell shell;
    Win32UserInterface ui;

    regop::ProgramPorts ports() { return {registry, files, shell, ui}; }
    /// The shell's module folder is the program's own folder: the code is linked into the program.
    std::string programFolder() { return shell.libraryFolder(); }
};

}  // namespace tw::win32
