// Window adapters and their events, sent on by dispatch id to the port's events.
#include "win32/outlook/ComWindows.h"

#include "win32/com/OutlookEvents.h"
#include "win32/office/ComCommandBars.h"
#include "win32/outlook/ComFolder.h"
#include "win32/outlook/ComItem.h"

namespace tw::win32::outlook {

namespace {

/// An event of a collection whose one argument is the new window.
template <typename Window>
std::unique_ptr<EventConnection> connectNewWindow(IDispatch* source, const IID& events, DISPID id,
                                                  const std::shared_ptr<Event<std::shared_ptr<Window>>>& target,
                                                  std::shared_ptr<Window> (*wrap)(const Variant&)) {
    std::weak_ptr<Event<std::shared_ptr<Window>>> weak = target;
    return std::make_unique<EventConnection>(source, events, [weak, id, wrap](DISPID raised, const EventArguments& args) {
        auto event = weak.lock();
        if (!event || raised != id || args.count() < 1) return;
        event->raise(wrap(args.at(0)));
    });
}

std::shared_ptr<ol::Explorer> wrapExplorer(const Variant& v) { return wrapped<ComExplorer>(v); }
std::shared_ptr<ol::Inspector> wrapInspector(const Variant& v) { return wrapped<ComInspector>(v); }

}  // namespace

std::shared_ptr<ol::Item> ComSelection::Item(int index) { return wrapped<ComItem>(d_.get("Item", index)); }

std::shared_ptr<tw::office::CommandBars> ComExplorer::CommandBars() {
    return wrapped<office::ComCommandBars>(d_.get("CommandBars"));
}

std::shared_ptr<tw::office::CommandBars> ComInspector::CommandBars() {
    return wrapped<office::ComCommandBars>(d_.get("CommandBars"));
}

std::shared_ptr<ol::Folder> ComExplorer::CurrentFolder() { return wrapped<ComFolder>(d_.get("CurrentFolder")); }

ComExplorer::Events& ComExplorer::events() {
    if (!events_) {
        auto events = std::make_shared<Events>();
        std::weak_ptr<Events> weak = events;
        connection_ = std::make_unique<EventConnection>(d_.get(), DIID_ExplorerEvents, [weak](DISPID id, const EventArguments& args) {
            auto e = weak.lock();
            if (!e) return;
            switch (id) {
                case DISPID_Activate: e->activate.raise(); break;
                case DISPID_Deactivate: e->deactivate.raise(); break;
                case DISPID_FolderSwitch: e->folderSwitch.raise(); break;
                case DISPID_SelectionChange: e->selectionChange.raise(); break;
                case DISPID_ViewSwitch: e->viewSwitch.raise(); break;
                case DISPID_Close: e->close.raise(); break;
                case DISPID_BeforeFolderSwitch: {
                    if (args.count() < 2) return;
                    VARIANT_BOOL* cancelSlot = args.booleanReference(1);
                    bool cancel = cancelSlot && *cancelSlot != VARIANT_FALSE;
                    e->beforeFolderSwitch.raise(wrapped<ComFolder>(args.at(0)), cancel);
                    if (cancelSlot) *cancelSlot = cancel ? VARIANT_TRUE : VARIANT_FALSE;
                    break;
                }
                default: break;
            }
        });
        events_ = std::move(events);
    }
    return *events_;
}

Event<std::shared_ptr<ol::Explorer>>& ComExplorers::NewExplorer() {
    if (!newExplorer_) {
        auto event = std::make_shared<Event<std::shared_ptr<ol::Explorer>>>();
        connection_ = connectNewWindow<ol::Explorer>(d_.get(), DIID_ExplorersEvents, DISPID_NewExplorer, event, wrapExplorer);
        newExplorer_ = std::move(event);
    }
    return *newExplorer_;
}

std::shared_ptr<ol::Item> ComInspector::CurrentItem() { return wrapped<ComItem>(d_.get("CurrentItem")); }

ComInspector::Events& ComInspector::events() {
    if (!events_) {
        auto events = std::make_shared<Events>();
        std::weak_ptr<Events> weak = events;
        connection_ = std::make_unique<EventConnection>(d_.get(), DIID_InspectorEvents, [weak](DISPID id, const EventArguments&) {
            auto e = weak.lock();
            if (!e) return;
            if (id == DISPID_Activate) e->activate.raise();
            else if (id == DISPID_Deactivate) e->deactivate.raise();
            else if (id == DISPID_Close) e->close.raise();
        });
        events_ = std::move(events);
    }
    return *events_;
}

Event<std::shared_ptr<ol::Inspector>>& ComInspectors::NewInspector() {
    if (!newInspector_) {
        auto event = std::make_shared<Event<std::shared_ptr<ol::Inspector>>>();
        connection_ = connectNewWindow<ol::Inspector>(d_.get(), DIID_InspectorsEvents, DISPID_NewInspector, event, wrapInspector);
        newInspector_ = std::move(event);
    }
    return *newInspector_;
}

}  // namespace tw::win32::outlook
