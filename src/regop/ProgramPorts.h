// The ports the two small programs work through, handed over by each platform's main.
#pragma once

#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/UserInterface.h"
#include "regop/RegOp.h"

namespace tw::regop {

struct ProgramPorts {
    platform::Registry& registry;
    platform::FileSystem& files;
    platform::Shell& shell;
    platform::UserInterface& ui;

    /// A RegOp on the given root and key, with no options.
    RegOp regOp(platform::Hive root, const std::string& key) const {
        RegOp op(registry, shell, ui);
        op.setRoot(root);
        op.setKey(key);
        return op;
    }
};

/// The folder and the file name joined by one "\".
inline std::string inFolder(const std::string& folder, const std::string& fileName) {
    if (!folder.empty() && folder.back() == '\\') return folder + fileName;
    return folder + "\\" + fileName;
}

}  // namespace tw::regop
