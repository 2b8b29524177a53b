// The real adapters of every port, made once on the mail client's user-interface thread.
#pragma once

#include "platform/Platform.h"
#include "win32/Win32Clock.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32LibraryLoader.h"
#include "win32/Win32Registry.h"
#include "win32/Win32Shell.h"
#include "win32/Win32UserInterface.h"
#include "win32/safemail/ComSafeMail.h"

namespace tw::win32 {

struct Win32Platform {
    Win32Registry registry;
    Win32FileSystem files;
    Win32Shell shell;
    Win32UserInterface ui;
    Win32Clock clock;
    Win32LibraryLoader libraries;
    ComSafeMail safeMail;
    platform::Platform ports{registry, files, shell, ui, clock, libraries, safeMail};
};

}  // namespace tw::win32
