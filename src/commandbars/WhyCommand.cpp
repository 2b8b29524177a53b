// Judging the chosen message and showing the "Why?" window over it.
#include "commandbars/WhyCommand.h"

#include "classify/IncomingFilter.h"
#include "classify/frmWhy.h"
#include "commandbars/CommandBarsHost.h"

namespace tw::commandbars {

void showWhyWindow(CommandBarsHost& host, const std::shared_ptr<outlook::Item>& item, const std::function<void()>& approve,
                   const std::function<void()>& block) {
    auto& log = host.log();
    try {
        auto& classifyHost = host.classifyHost();
        const auto judgement = classify::IncomingFilter(classifyHost).judge(item, true);
        classify::frmWhy window(host.platform().ui, log);
        window.fill(item->Subject(), judgement);
        const auto connection = classifyHost.connection();
        const auto action = window.showModal();
        // The client may have dropped the add-in while the window was open: then nothing is left to run.
        if (!connection.alive()) return;
        switch (action) {
            case classify::frmWhy::Action::approve: approve(); break;
            case classify::frmWhy::Action::block: block(); break;
            case classify::frmWhy::Action::none: break;
        }
    } catch (...) {
        log.logError("showWhyWindow");
    }
}

}  // namespace tw::commandbars
