// One item of the simulated mail client: a message (received from a file or written here), a
// contact or any other class, with its recipients, attachments and user properties.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Outlook.h"
#include "sim/MimeMessage.h"
#include "sim/StoreIndex.h"
#include "sim/VCard.h"

namespace tw::sim {

class SimFolder;
class SimMailClient;

/// An address as the client resolves it: "SMTP", or "EX" for a user of the Exchange directory,
/// whose Address is the directory name and whose smtp is the Internet address.
struct ResolvedAddress {
    std::string name;
    std::string type;
    std::string address;
    std::string smtp;
};

class SimItem : public outlook::Item, public std::enable_shared_from_this<SimItem> {
public:
    SimItem(int itemClass, std::string entryId, OleDate created, SimMailClient* client = nullptr);

    outlook::ItemEvents& Events() override { return events_; }
    int Class() override { return class_; }
    std::string MessageClass() override;
    std::string EntryID() override { return entryId_; }
    std::string Subject() override;
    void setSubject(const std::string& value) override;
    bool UnRead() override { return unread_; }
    void setUnRead(bool value) override;
    OleDate CreationTime() override { return created_; }
    OleDate ReceivedTime() override { return received_.value_or(created_); }
    void Save() override;
    std::shared_ptr<outlook::Item> Move(outlook::Folder& destination) override;
    std::shared_ptr<outlook::Item> Copy() override;
    void Delete() override;
    std::shared_ptr<outlook::Folder> Parent() override;

    std::string Body() override;
    void setBody(const std::string& value) override;
    std::string HTMLBody() override;
    void setHTMLBody(const std::string& value) override;
    std::string SenderName() override;
    std::shared_ptr<outlook::Recipients> Recipients() override;
    std::shared_ptr<outlook::Attachments> Attachments() override;
    void Send() override;
    std::shared_ptr<outlook::UserProperties> UserProperties() override;

    std::string FullName() override;
    std::string Email1Address() override { return email(0); }
    std::string Email2Address() override { return email(1); }
    std::string Email3Address() override { return email(2); }

    // --- The simulated client's side ---

    /// Makes this a received message read from its header block; the whole message comes from the
    /// loader at the first call that needs the bodies.
    void setReceived(MessageHeaders headers, std::function<std::string()> rawLoader);
    /// Where the whole message is read from from now on (after the store moved or copied its file).
    void setRawLoader(std::function<std::string()> rawLoader) { rawLoader_ = std::move(rawLoader); }
    /// Makes this a message written in this client (no transport headers; its text may change).
    void setLocal(std::optional<MailAddress> sender);
    /// Marks a message read back from the store as one written in this client.
    void markLocal() { local_ = true; }
    void setContact(const VCardContact& contact);
    void setMessageClass(std::string messageClass) { messageClass_ = std::move(messageClass); }
    void setParent(const std::shared_ptr<SimFolder>& folder) { parent_ = folder; }
    std::shared_ptr<SimFolder> parentFolder() const { return parent_.lock(); }
    void setUnReadQuietly(bool value) { unread_ = value; }
    void setReceivedTime(OleDate when) { received_ = when; }

    bool isLocal() const { return local_; }
    bool hasTransportHeaders() const { return headers_.hasHeaders && !local_; }
    const std::string& transportHeaders() const { return headers_.transportHeaders; }
    const std::optional<MailAddress>& sender() const { return headers_.sender; }
    const std::vector<MailRecipient>& recipientList() const { return headers_.recipients; }
    std::vector<MailRecipient>& editRecipients();
    /// Decoded bodies and attachments, read from the store the first time.
    const MessageBodies& bodies();
    std::vector<MailAttachment>& editAttachments();
    const VCardContact& contact() const { return contact_; }

    std::vector<IndexedProperty>& userProperties() { return properties_; }
    /// Submitted with Send and waiting in the Outbox for the transport.
    bool submitted() const { return submitted_; }
    void setSubmitted(bool value) { submitted_ = value; }

    /// The file or contact this item is kept in by the store; empty while it is in memory only.
    const std::string& storageKey() const { return storageKey_; }
    void setStorageKey(std::string key) { storageKey_ = std::move(key); }

    /// A built-in property by its filter name ("Subject", "UnRead", "CreationTime" ...) or a user
    /// property; Empty for anything else.
    outlook::PropertyValue filterValue(const std::string& name);
    /// The message as Internet text: a received one as it arrived, a local one composed.
    std::string composeRaw();
    /// A copy of the content with a new identifier, in no folder.
    std::shared_ptr<SimItem> duplicate(std::string entryId, OleDate created) const;

    SimMailClient* client() const { return client_; }
    ResolvedAddress resolve(const MailAddress& who) const;
    int saveCount() const { return saveCount_; }

private:
    void requireContact(const char* property) const;
    void requireMessage(const char* property) const;
    void noteContentChange();
    std::string email(size_t index);

    int class_;
    std::string messageClass_;
    std::string entryId_;
    bool unread_ = true;
    OleDate created_;
    std::optional<OleDate> received_;
    SimMailClient* client_;
    std::weak_ptr<SimFolder> parent_;
    int saveCount_ = 0;

    MessageHeaders headers_;
    std::optional<MessageBodies> bodies_;
    std::function<std::string()> rawLoader_;
    bool local_ = true;
    bool contentChanged_ = false;
    bool submitted_ = false;
    VCardContact contact_;
    std::vector<IndexedProperty> properties_;
    std::string storageKey_;
    outlook::ItemEvents events_;
};

}  // namespace tw::sim
