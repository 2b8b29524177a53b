// Item adapters: values of user properties, and the calls that hand one object to another.
#include "win32/outlook/ComItem.h"

#include "core/Error.h"
#include "win32/com/OutlookEvents.h"
#include "win32/outlook/ComFolder.h"

namespace tw::win32::outlook {

IDispatch* dispatchOf(const void* adapter, IDispatch* object, const char* what) {
    if (!adapter || !object) throw Error(13, what, "Type mismatch: not an object of the mail client");
    return object;
}

ol::ItemEvents& ComItem::Events() {
    if (!events_) {
        auto events = std::make_shared<ol::ItemEvents>();
        std::weak_ptr<ol::ItemEvents> weak = events;
        // The Cancel of Open, Close and Send is left as the client passed it: the add-in never vetoes.
        connection_ = std::make_unique<EventConnection>(d_.get(), DIID_ItemEvents, [weak](DISPID id, const EventArguments&) {
            auto e = weak.lock();
            if (!e) return;
            if (id == DISPID_ItemRead) e->Read().raise();
            else if (id == DISPID_ItemOpen) e->Open().raise();
            else if (id == DISPID_ItemSend) e->Send().raise();
            else if (id == DISPID_ItemClose) e->Close().raise();
        });
        events_ = std::move(events);
    }
    return *events_;
}

ol::PropertyValue ComUserProperty::Value() {
    Variant value = d_.get("Value");
    switch (value.raw().vt) {
        case VT_EMPTY:
        case VT_NULL:
            return std::monostate{};
        case VT_BSTR:
            return value.toString();
        case VT_BOOL:
            return value.toBool();
        case VT_DATE:
            return value.toDate();
        default:
            return value.toDouble();
    }
}

void ComUserProperty::setValue(const ol::PropertyValue& value) {
    Variant v = std::visit(
        [](const auto& held) -> Variant {
            using T = std::decay_t<decltype(held)>;
            if constexpr (std::is_same_v<T, std::monostate>)
                return Variant();
            else
                return Variant(held);
        },
        value);
    d_.put("Value", std::move(v));
}

std::shared_ptr<ol::Attachment> ComAttachments::Add(const std::shared_ptr<ol::Item>& source, int type) {
    auto* item = dynamic_cast<ComItem*>(source.get());
    IDispatch* object = dispatchOf(item, item ? item->dispatch() : nullptr, "Attachments.Add");
    return wrapped<ComAttachment>(d_.call("Add", object, type));
}

std::shared_ptr<ol::Item> ComItem::Move(ol::Folder& destination) {
    auto* folder = dynamic_cast<ComFolder*>(&destination);
    IDispatch* object = dispatchOf(folder, folder ? folder->dispatch() : nullptr, "Move");
    return wrapped<ComItem>(d_.call("Move", object));
}

std::shared_ptr<ol::Folder> ComItem::Parent() { return wrapped<ComFolder>(d_.get("Parent")); }

}  // namespace tw::win32::outlook
