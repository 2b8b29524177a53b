// Command-bar adapters: optional arguments left out as the client expects, and the click event.
#include "win32/office/ComCommandBars.h"

namespace tw::win32::office {

namespace {

/// An optional argument: left out when it has its "any" value, so the client applies its default.
Variant optionalNumber(int value) { return value == 0 ? Variant::missing() : Variant(static_cast<int32_t>(value)); }
Variant optionalText(const std::string& value) { return value.empty() ? Variant::missing() : Variant(value); }

}  // namespace

std::shared_ptr<mso::CommandBarControls> ComCommandBarControl::Controls() {
    return outlook::wrapped<ComCommandBarControls>(d_.get("Controls"));
}

Event<std::shared_ptr<mso::CommandBarControl>, bool&>& ComCommandBarControl::Click() {
    if (!click_) {
        auto event = std::make_shared<ClickEvent>();
        std::weak_ptr<ClickEvent> weak = event;
        connection_ = std::make_unique<EventConnection>(d_.get(), DIID_CommandBarButtonEvents,
                                                        [weak](DISPID id, const EventArguments& args) {
            auto target = weak.lock();
            if (!target || id != DISPID_Click || args.count() < 2) return;
            VARIANT_BOOL* cancelSlot = args.booleanReference(1);
            bool cancel = cancelSlot && *cancelSlot != VARIANT_FALSE;
            target->raise(outlook::wrapped<ComCommandBarControl>(args.at(0)), cancel);
            if (cancelSlot) *cancelSlot = cancel ? VARIANT_TRUE : VARIANT_FALSE;
        });
        click_ = std::move(event);
    }
    return *click_;
}

std::shared_ptr<mso::CommandBarControl> ComCommandBarControls::Add(int type, int id, const std::string& parameter,
                                                                   int before, bool temporary) {
    return outlook::wrapped<ComCommandBarControl>(d_.call("Add", static_cast<int32_t>(type), optionalNumber(id),
                                                          optionalText(parameter), optionalNumber(before), temporary));
}

std::shared_ptr<mso::CommandBarControl> ComCommandBar::FindControl(int type, int id, const std::string& tag,
                                                                   bool visibleOnly, bool recursive) {
    return outlook::wrapped<ComCommandBarControl>(
        d_.call("FindControl", optionalNumber(type), optionalNumber(id), optionalText(tag), visibleOnly, recursive));
}

}  // namespace tw::win32::office
