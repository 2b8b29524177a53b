// Opens topics of the add-in's compiled help file in the Windows help viewer.
#pragma once

#include <string>

#include "platform/Shell.h"

namespace tw::help {

class HelpWindow {
public:
    explicit HelpWindow(platform::Shell& shell) : shell_(shell) {}

    void setHelpFile(std::string path) { helpFile_ = std::move(path); }
    const std::string& helpFile() const { return helpFile_; }
    void setWindowName(std::string name) { windowName_ = std::move(name); }
    const std::string& windowName() const { return windowName_; }

    /// Opens a topic such as "help_1.html" in the viewer's named window.
    void openTopic(const std::string& topic);

private:
    platform::Shell& shell_;
    std::string helpFile_;
    std::string windowName_;
};

}  // namespace tw::help
