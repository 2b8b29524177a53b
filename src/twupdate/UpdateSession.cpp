// The worker thread and the window that watches it.
#include "twupdate/UpdateSession.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "fetchapi/tarnfetch_api.h"
#include "twupdate/frmTwupdate.h"

namespace tw::twupdate {

UpdateResult runUpdateSession(Updater& updater, platform::UserInterface& ui) {
    std::atomic<bool> done{false};
    UpdateResult result;
    std::thread worker([&] {
        try {
            result = updater.run();
        } catch (...) {
            // No memory for the package, most likely: refused like any other failed download.
            result.outcome = UpdateOutcome::downloadFailed;
            result.code = TF_INTERNAL_ERROR;
        }
        done = true;
    });
    while (!done && updater.stage() == UpdateStage::manifest) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (!done) {
        frmTwupdate form(updater, ui);
        const auto start = std::chrono::steady_clock::now();
        const platform::TimerId timer = ui.setTimer(250, [&] {
            const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start);
            form.showProgress(static_cast<int>(elapsed.count()));
            if (done && ui.isFormVisible(form)) ui.hideForm(form);
        });
        if (!done) ui.showForm(form, true);
        ui.killTimer(timer);
        // The window closed by its frame rather than by Cancel stops the update just the same.
        if (!done) updater.cancel();
    }
    worker.join();
    if (isRefusal(result.outcome)) ui.MsgBox(outcomeMessage(result), platform::vbOKOnly | platform::vbCritical, kUpdateTitle);
    return result;
}

}  // namespace tw::twupdate
