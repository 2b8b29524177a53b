// Handlers of the release offer.
#include "net/frmNewRelease.h"

#include "core/StringTable.h"
#include "core/Text.h"
#include "settings/SettingsWriters.h"

namespace tw::net {

namespace {
constexpr int kCaptionId = 290;
constexpr int kIgnoreId = 291;
constexpr int kOfferId = 292;
constexpr int kYesId = 279;
constexpr int kNoId = 280;
}  // namespace

frmNewRelease::frmNewRelease(NetContext& context, std::string offeredVersion, std::string downloadPage)
    : context_(context), offered_(std::move(offeredVersion)), downloadPage_(std::move(downloadPage)) {}

void frmNewRelease::Form_Load() {
    caption_ = loadString(kCaptionId);
    ignoreCaption_ = loadString(kIgnoreId);
    okCaption_ = loadString(kYesId);
    noCaption_ = loadString(kNoId);
    label_ = text::fillPlaceholder(loadString(kOfferId), downloadPage_);
}

void frmNewRelease::chkIgnore_Click(bool ticked) { chkIgnore_ = ticked; }

void frmNewRelease::cmdOK_Click() {
    try {
        context_.platform.shell.openWithShell(downloadPage_);
    } catch (...) {
        context_.log.logError("frmNewRelease cmdOK_Click");
    }
    context_.platform.ui.hideForm(*this);
}

void frmNewRelease::cmdIgnore_Click() {
    try {
        if (chkIgnore_) {
            context_.settings.lastUpgradeNotification = offered_;
            settings::SettingsWriters(context_.key, context_.settings).writeLastUpgradeNotification(offered_);
        }
    } catch (...) {
        context_.log.logError("frmNewRelease cmdIgnore_Click");
    }
    context_.platform.ui.hideForm(*this);
}

}  // namespace tw::net
