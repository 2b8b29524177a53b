// The collections hanging off a simulated item: recipients with their address entries, user
// properties and attachments. Each reads and changes the item it belongs to.
#pragma once

#include <memory>
#include <string>

#include "platform/Outlook.h"
#include "sim/SimItem.h"

namespace tw::sim {

class SimAddressEntry : public outlook::AddressEntry {
public:
    explicit SimAddressEntry(ResolvedAddress address) : address_(std::move(address)) {}
    std::string Name() override { return address_.name; }
    std::string Address() override { return address_.address; }
    std::string Type() override { return address_.type; }

private:
    ResolvedAddress address_;
};

class SimRecipient : public outlook::Recipient {
public:
    SimRecipient(std::shared_ptr<SimItem> item, size_t index) : item_(std::move(item)), index_(index) {}
    std::string Name() override;
    std::string Address() override;
    int Type() override;
    void setType(int type) override;
    std::shared_ptr<outlook::AddressEntry> AddressEntry() override;

private:
    const MailRecipient& data() const;
    std::shared_ptr<SimItem> item_;
    size_t index_;
};

class SimRecipients : public outlook::Recipients {
public:
    explicit SimRecipients(std::shared_ptr<SimItem> item) : item_(std::move(item)) {}
    int Count() override;
    std::shared_ptr<outlook::Recipient> Item(int index) override;
    std::shared_ptr<outlook::Recipient> Add(const std::string& nameOrAddress) override;

private:
    std::shared_ptr<SimItem> item_;
};

class SimUserProperty : public outlook::UserProperty {
public:
    SimUserProperty(std::shared_ptr<SimItem> item, std::string name) : item_(std::move(item)), name_(std::move(name)) {}
    std::string Name() override { return name_; }
    int Type() override;
    outlook::PropertyValue Value() override;
    void setValue(const outlook::PropertyValue& value) override;

private:
    IndexedProperty& data();
    std::shared_ptr<SimItem> item_;
    std::string name_;
};

class SimUserProperties : public outlook::UserProperties {
public:
    explicit SimUserProperties(std::shared_ptr<SimItem> item) : item_(std::move(item)) {}
    int Count() override;
    std::shared_ptr<outlook::UserProperty> Item(int index) override;
    std::shared_ptr<outlook::UserProperty> Find(const std::string& name) override;
    std::shared_ptr<outlook::UserProperty> Add(const std::string& name, int type, bool addToFolderFields) override;

private:
    std::shared_ptr<SimItem> item_;
};

class SimAttachment : public outlook::Attachment {
public:
    explicit SimAttachment(MailAttachment attachment) : attachment_(std::move(attachment)) {}
    std::string DisplayName() override { return attachment_.fileName; }
    std::string FileName() override { return attachment_.embeddedMessage ? attachment_.fileName + ".msg" : attachment_.fileName; }
    int Type() override { return attachment_.embeddedMessage ? outlook::olEmbeddeditem : outlook::olByValue; }

private:
    MailAttachment attachment_;
};

class SimAttachments : public outlook::Attachments {
public:
    explicit SimAttachments(std::shared_ptr<SimItem> item) : item_(std::move(item)) {}
    int Count() override;
    std::shared_ptr<outlook::Attachment> Item(int index) override;
    std::shared_ptr<outlook::Attachment> Add(const std::shared_ptr<outlook::Item>& source, int type) override;

private:
    std::shared_ptr<SimItem> item_;
};

}  // namespace tw::sim
