// Opens help topics through the shell, in the form the help viewer understands.
#include "help/HelpWindow.h"

namespace tw::help {

void HelpWindow::openTopic(const std::string& topic) {
    std::string target = "mk:@MSITStore:" + helpFile_ + "::/" + topic;
    if (!windowName_.empty()) target += ">" + windowName_;
    shell_.openWithShell(target);
}

}  // namespace tw::help
