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

struct ComCommandBarControl::ClickSource {
    Event<std::shared_ptr<mso::CommandBarControl>, bool&> event;
    std::unique_ptr<EventConnection> connection;
};

std::shared_ptr<ComCommandBarControl::ClickSource> ComCommandBarControl::clickSource() {
    if (!click_) {
        auto source = std::make_shared<ClickSource>();
        std::weak_ptr<ClickSource> weak = source;
        source->connection = std::make_unique<EventConnection>(d_.get(), DIID_CommandBarButtonEvents,
                                                               [weak](DISPID id, const EventArguments& args) {
            auto target = weak.lock();
            if (!target || id != DISPID_Click || args.count() < 2) return;
            VARIANT_BOOL* cancelSlot = args.booleanReference(1);
            bool cancel = cancelSlot && *cancelSlot != VARIANT_FALSE;
            target->event.raise(outlook::wrapped<ComCommandBarControl>(args.at(0)), cancel);
            if (cancelSlot) *cancelSlot = cancel ? VARIANT_TRUE : VARIANT_FALSE;
        });
        click_ = std::move(source);
    }
    return click_;
}

Subscription ComCommandBarControl::onClick(ClickHandler handler) {
    auto source = clickSource();
    auto inner = std::make_shared<Subscription>(source->event.connect(std::move(handler)));
    // The subscription holds the connection, so it outlives this adapter: the client forgets the
    // sink of an ended connection, and the user's clicks would reach nobody.
    return Subscription([source, inner] { inner->reset(); });
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
