// Handlers of the release offer.
#include "net/frmNewRelease.h"

#include "core/StringTable.h"
#include "core/Text.h"
#include "settings/SettingsWriters.h"

namespace tw::net {

namespace {
using platform::ControlKind;
using platform::control;
constexpr int kCaptionId = 290;
constexpr int kIgnoreId = 291;
constexpr int kOfferId = 292;
constexpr int kYesId = 279;
constexpr int kNoId = 280;
}  // namespace

const platform::FormDecl& frmNewRelease::declaration() {
    static const platform::FormDecl decl{
        "frmNewRelease", kCaptionId, 5400, 2400,
        {
            control(ControlKind::Label, "Label1", 0, 240, 240, 4920, 900),
            control(ControlKind::CheckBox, "chkIgnore", kIgnoreId, 240, 1260, 4920, 300, 0),
            control(ControlKind::CommandButton, "cmdOK", kYesId, 1320, 1800, 1215, 375, 1, true),
            control(ControlKind::CommandButton, "cmdIgnore", kNoId, 2865, 1800, 1215, 375, 2, false, true),
        }};
    return decl;
}

frmNewRelease::frmNewRelease(NetContext& context, std::string offeredVersion, std::string downloadPage)
    : context_(context), offered_(std::move(offeredVersion)), downloadPage_(std::move(downloadPage)),
      controls_(declaration()) {
    controls_.onClick("chkIgnore", [this] { chkIgnore_Click(controls_["chkIgnore"].value); });
    controls_.onClick("cmdOK", [this] { cmdOK_Click(); });
    controls_.onClick("cmdIgnore", [this] { cmdIgnore_Click(); });
}

void frmNewRelease::Form_Load() {
    controls_.caption = loadString(kCaptionId);
    controls_["chkIgnore"].caption = loadString(kIgnoreId);
    controls_["cmdOK"].caption = loadString(kYesId);
    controls_["cmdIgnore"].caption = loadString(kNoId);
    controls_["Label1"].caption = text::fillPlaceholder(loadString(kOfferId), downloadPage_);
}

void frmNewRelease::chkIgnore_Click(bool ticked) {
    controls_["chkIgnore"].value = ticked;
    controls_["cmdOK"].enabled = !ticked;
    controls_["cmdOK"].isDefault = !ticked;
    controls_["cmdIgnore"].isDefault = ticked;
}

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
        if (chkIgnore()) {
            context_.settings.lastUpgradeNotification = offered_;
            settings::SettingsWriters(context_.key, context_.settings).writeLastUpgradeNotification(offered_);
        }
    } catch (...) {
        context_.log.logError("frmNewRelease cmdIgnore_Click");
    }
    context_.platform.ui.hideForm(*this);
}

}  // namespace tw::net
