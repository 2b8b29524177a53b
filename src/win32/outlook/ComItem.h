// Object-model adapters of an item and its parts: user properties, recipients, attachments.
#pragma once

#include <memory>

#include "platform/Outlook.h"
#include "win32/com/EventConnection.h"
#include "win32/outlook/ComObject.h"

namespace tw::win32::outlook {

namespace ol = tw::outlook;

class ComAddressEntry final : public ol::AddressEntry, public ComObject {
public:
    using ComObject::ComObject;
    std::string Name() override { return d_.get("Name").toString(); }
    std::string Address() override { return d_.get("Address").toString(); }
    std::string Type() override { return d_.get("Type").toString(); }
};

class ComRecipient final : public ol::Recipient, public ComObject {
public:
    using ComObject::ComObject;
    std::string Name() override { return d_.get("Name").toString(); }
    std::string Address() override { return d_.get("Address").toString(); }
    int Type() override { return d_.get("Type").toInt(); }
    void setType(int type) override { d_.put("Type", type); }
    std::shared_ptr<ol::AddressEntry> AddressEntry() override { return wrapped<ComAddressEntry>(d_.get("AddressEntry")); }
};

class ComRecipients final : public ol::Recipients, public ComObject {
public:
    using ComObject::ComObject;
    int Count() override { return d_.get("Count").toInt(); }
    std::shared_ptr<ol::Recipient> Item(int index) override { return wrapped<ComRecipient>(d_.get("Item", index)); }
    std::shared_ptr<ol::Recipient> Add(const std::string& nameOrAddress) override {
        return wrapped<ComRecipient>(d_.call("Add", nameOrAddress));
    }
};

class ComUserProperty final : public ol::UserProperty, public ComObject {
public:
    using ComObject::ComObject;
    std::string Name() override { return d_.get("Name").toString(); }
    int Type() override { return d_.get("Type").toInt(); }
    ol::PropertyValue Value() override;
    void setValue(const ol::PropertyValue& value) override;
};

class ComUserProperties final : public ol::UserProperties, public ComObject {
public:
    using ComObject::ComObject;
    int Count() override { return d_.get("Count").toInt(); }
    std::shared_ptr<ol::UserProperty> Item(int index) override { return wrapped<ComUserProperty>(d_.get("Item", index)); }
    std::shared_ptr<ol::UserProperty> Find(const std::string& name) override {
        return wrapped<ComUserProperty>(d_.call("Find", name));
    }
    std::shared_ptr<ol::UserProperty> Add(const std::string& name, int type, bool addToFolderFields) override {
        return wrapped<ComUserProperty>(d_.call("Add", name, type, addToFolderFields));
    }
};

class ComAttachment final : public ol::Attachment, public ComObject {
public:
    using ComObject::ComObject;
    std::string DisplayName() override { return d_.get("DisplayName").toString(); }
    std::string FileName() override { return d_.get("FileName").toString(); }
    int Type() override { return d_.get("Type").toInt(); }
};

class ComAttachments final : public ol::Attachments, public ComObject {
public:
    using ComObject::ComObject;
    int Count() override { return d_.get("Count").toInt(); }
    std::shared_ptr<ol::Attachment> Item(int index) override { return wrapped<ComAttachment>(d_.get("Item", index)); }
    std::shared_ptr<ol::Attachment> Add(const std::shared_ptr<ol::Item>& source, int type) override;
};

class ComItem final : public ol::Item, public ComObject {
public:
    using ComObject::ComObject;
    /// Listens to the item's events from the first call on, for as long as this adapter lives.
    ol::ItemEvents& Events() override;
    int Class() override { return d_.get("Class").toInt(); }
    std::string MessageClass() override { return d_.get("MessageClass").toString(); }
    std::string EntryID() override { return d_.get("EntryID").toString(); }
    std::string Subject() override { return d_.get("Subject").toString(); }
    void setSubject(const std::string& value) override { d_.put("Subject", value); }
    bool UnRead() override { return d_.get("UnRead").toBool(); }
    void setUnRead(bool value) override { d_.put("UnRead", value); }
    OleDate CreationTime() override { return d_.get("CreationTime").toDate(); }
    OleDate ReceivedTime() override { return d_.get("ReceivedTime").toDate(); }
    void Save() override { d_.call("Save"); }
    std::shared_ptr<ol::Item> Move(ol::Folder& destination) override;
    std::shared_ptr<ol::Item> Copy() override { return wrapped<ComItem>(d_.call("Copy")); }
    void Delete() override { d_.call("Delete"); }
    std::shared_ptr<ol::Folder> Parent() override;

    std::string Body() override { return d_.get("Body").toString(); }
    void setBody(const std::string& value) override { d_.put("Body", value); }
    std::string HTMLBody() override { return d_.get("HTMLBody").toString(); }
    void setHTMLBody(const std::string& value) override { d_.put("HTMLBody", value); }
    std::string SenderName() override { return d_.get("SenderName").toString(); }
    std::shared_ptr<ol::Recipients> Recipients() override { return wrapped<ComRecipients>(d_.get("Recipients")); }
    std::shared_ptr<ol::Attachments> Attachments() override { return wrapped<ComAttachments>(d_.get("Attachments")); }
    void Send() override { d_.call("Send"); }
    std::shared_ptr<ol::UserProperties> UserProperties() override {
        return wrapped<ComUserProperties>(d_.get("UserProperties"));
    }

    std::string FullName() override { return d_.get("FullName").toString(); }
    std::string Email1Address() override { return d_.get("Email1Address").toString(); }
    std::string Email2Address() override { return d_.get("Email2Address").toString(); }
    std::string Email3Address() override { return d_.get("Email3Address").toString(); }

private:
    std::shared_ptr<ol::ItemEvents> events_;
    std::unique_ptr<EventConnection> connection_;
};

}  // namespace tw::win32::outlook
