// Object-model adapters of the client's windows: explorers with their selection, inspectors.
#pragma once

#include "core/Error.h"
#include "platform/Outlook.h"
#include "win32/com/EventConnection.h"
#include "win32/outlook/ComObject.h"

namespace tw::win32::outlook {

namespace ol = tw::outlook;

class ComSelection final : public ol::Selection, public ComObject {
public:
    using ComObject::ComObject;
    int Count() override { return d_.get("Count").toInt(); }
    std::shared_ptr<ol::Item> Item(int index) override;
};

class ComExplorer final : public ol::Explorer, public ComObject {
public:
    using ComObject::ComObject;
    std::shared_ptr<ol::Folder> CurrentFolder() override;
    std::string Caption() override { return d_.get("Caption").toString(); }
    std::shared_ptr<ol::Selection> Selection() override { return wrapped<ComSelection>(d_.get("Selection")); }
    std::shared_ptr<tw::office::CommandBars> CommandBars() override;

    Event<>& Activate() override { return events().activate; }
    Event<>& Deactivate() override { return events().deactivate; }
    Event<std::shared_ptr<ol::Folder>, bool&>& BeforeFolderSwitch() override { return events().beforeFolderSwitch; }
    Event<>& FolderSwitch() override { return events().folderSwitch; }
    Event<>& SelectionChange() override { return events().selectionChange; }
    Event<>& ViewSwitch() override { return events().viewSwitch; }
    Event<>& Close() override { return events().close; }

private:
    struct Events {
        Event<> activate, deactivate, folderSwitch, selectionChange, viewSwitch, close;
        Event<std::shared_ptr<ol::Folder>, bool&> beforeFolderSwitch;
    };
    /// Listens to the window's events from the first call on, for as long as this adapter lives.
    Events& events();

    std::shared_ptr<Events> events_;
    std::unique_ptr<EventConnection> connection_;
};

class ComExplorers final : public ol::Explorers, public ComObject {
public:
    using ComObject::ComObject;
    int Count() override { return d_.get("Count").toInt(); }
    std::shared_ptr<ol::Explorer> Item(int index) override { return wrapped<ComExplorer>(d_.get("Item", index)); }
    Event<std::shared_ptr<ol::Explorer>>& NewExplorer() override;

private:
    std::shared_ptr<Event<std::shared_ptr<ol::Explorer>>> newExplorer_;
    std::unique_ptr<EventConnection> connection_;
};

class ComInspector final : public ol::Inspector, public ComObject {
public:
    using ComObject::ComObject;
    std::shared_ptr<ol::Item> CurrentItem() override;
    std::string Caption() override { return d_.get("Caption").toString(); }
    int EditorType() override { return d_.get("EditorType").toInt(); }
    std::shared_ptr<tw::office::CommandBars> CommandBars() override;
    Event<>& Activate() override { return events().activate; }
    Event<>& Deactivate() override { return events().deactivate; }
    Event<>& Close() override { return events().close; }

private:
    struct Events {
        Event<> activate, deactivate, close;
    };
    Events& events();

    std::shared_ptr<Events> events_;
    std::unique_ptr<EventConnection> connection_;
};

class ComInspectors final : public ol::Inspectors, public ComObject {
public:
    using ComObject::ComObject;
    int Count() override { return d_.get("Count").toInt(); }
    std::shared_ptr<ol::Inspector> Item(int index) override { return wrapped<ComInspector>(d_.get("Item", index)); }
    Event<std::shared_ptr<ol::Inspector>>& NewInspector() override;

private:
    std::shared_ptr<Event<std::shared_ptr<ol::Inspector>>> newInspector_;
    std::unique_ptr<EventConnection> connection_;
};

}  // namespace tw::win32::outlook
