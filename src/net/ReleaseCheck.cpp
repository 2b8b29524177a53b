// Reads the release file after a successful request only, and compares its version as numbers.
#include "net/ReleaseCheck.h"

#include "net/CurlRequest.h"
#include "net/ReleaseVersion.h"
#include "net/frmNewRelease.h"
#include "settings/ServiceAddresses.h"

namespace tw::net {

namespace {
constexpr int kShowNormal = 1;
}

void CheckForNewRelease(NetContext& context, FetchLibrary& fetch) {
    try {
        auto addresses = settings::serviceAddresses(context.platform.registry);
        CurlRequest curl(fetch, context.settings, context.log);
        curl.setBufferSize(kReleaseBufferSize);
        curl.setConnectTimeout(kReleaseConnectTimeoutSeconds);
        curl.setTimeout(kReleaseTimeoutSeconds);
        curl.GetRequest(addresses.releaseHost, 80, false, addresses.releasePage);
        // A proxy's or server's error page is no release file.
        if (curl.errorCode() != 0) {
            context.log.LogErrorMessage("release check: no answer (" + std::to_string(curl.errorCode()) + ")");
            return;
        }
        auto text = offeredVersionText(curl.Response());
        if (!text) return;
        auto offered = parseRelease(*text);
        if (!offered) {
            context.log.LogErrorMessage("release check: unreadable version \"" + *text + "\"");
            return;
        }
        if (isNewer(*offered, {AddinRelease::major, AddinRelease::minor, AddinRelease::revision})) {
            if (!shouldRemind(*offered, context.settings.lastUpgradeNotification)) return;
            frmNewRelease form(context, *text, addresses.releaseDownloadPage);
            form.Form_Load();
            context.platform.ui.showForm(form, true);
            if (context.platform.ui.isFormVisible(form)) context.platform.ui.hideForm(form);
            return;
        }
        const std::string folder = context.platform.shell.libraryFolder();
        context.platform.shell.shellExecute("open", folder + "\\" + kRuleUpdaterFile, "1", folder, kShowNormal);
    } catch (...) {
        context.log.logError("CheckForNewRelease");
    }
}

}  // namespace tw::net
