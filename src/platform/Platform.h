// The ports handed to the add-in at connection: the composition root fills this once.
#pragma once

#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/LibraryLoader.h"
#include "platform/Registry.h"
#include "platform/SafeMail.h"
#include "platform/Shell.h"
#include "platform/UserInterface.h"

namespace tw::platform {

struct Platform {
    Registry& registry;
    FileSystem& files;
    Shell& shell;
    UserInterface& ui;
    Clock& clock;
    LibraryLoader& libraries;
    safemail::SafeMail& safeMail;
};

}  // namespace tw::platform
