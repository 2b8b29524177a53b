// The simulated items: their properties, saving, moving, sending and deleting.
#include "sim/SimItem.h"

#include "core/Error.h"
#include "core/Text.h"
#include "sim/SimItemParts.h"
#include "sim/SimMailClient.h"
#include "sim/SimMailStore.h"
#include "sim/SimOutlook.h"

namespace tw::sim {

namespace {

constexpr long kNotSupported = 438;

std::string defaultMessageClass(int itemClass) {
    switch (itemClass) {
        case outlook::olContact: return "IPM.Contact";
        case outlook::olAppointment: return "IPM.Appointment";
        case outlook::olTask: return "IPM.Task";
        case outlook::olMeetingRequest: return "IPM.Schedule.Meeting.Request";
        case outlook::olPost: return "IPM.Post";
        case outlook::olNote: return "IPM.StickyNote";
        default: return "IPM.Note";
    }
}

}  // namespace

SimItem::SimItem(int itemClass, std::string entryId, OleDate created, SimMailClient* client)
    : class_(itemClass), messageClass_(defaultMessageClass(itemClass)), entryId_(std::move(entryId)),
      created_(created), client_(client) {}

void SimItem::requireContact(const char* property) const {
    if (class_ != outlook::olContact)
        throw Error(kNotSupported, "Microsoft Outlook", std::string("Object doesn't support this property or method: ") + property);
}

void SimItem::requireMessage(const char* property) const {
    if (class_ == outlook::olContact)
        throw Error(kNotSupported, "Microsoft Outlook", std::string("Object doesn't support this property or method: ") + property);
}

void SimItem::noteContentChange() { contentChanged_ = true; }

std::string SimItem::MessageClass() { return messageClass_; }

std::string SimItem::Subject() { return class_ == outlook::olContact ? contact_.fullName : headers_.subject; }

void SimItem::setSubject(const std::string& value) {
    if (class_ == outlook::olContact) contact_.fullName = value;
    else headers_.subject = value;
    noteContentChange();
}

void SimItem::setUnRead(bool value) {
    if (unread_ == value) return;
    unread_ = value;
    if (client_ && client_->store() && !storageKey_.empty()) client_->store()->readStateChanged(*this);
}

void SimItem::Save() {
    if (client_ && client_->faults().trips("Save", {entryId_, Subject()}))
        throw Error(-2147221239, "Microsoft Outlook", "The operation cannot be performed because the message has been changed.");
    bool editable = local_ && class_ != outlook::olContact;
    if (contentChanged_ && !editable && !parent_.expired())
        throw Error(-2147467259, "Microsoft Outlook",
                    "The simulated store keeps received messages and contacts as they came; their content cannot be changed.");
    ++saveCount_;
    auto folder = parent_.lock();
    if (!folder && client_) {
        // A new item is saved where the client keeps unsent mail.
        auto drafts = client_->defaultFolder(class_ == outlook::olContact ? outlook::olFolderContacts : outlook::olFolderDrafts);
        if (drafts) {
            if (client_->store()) client_->store()->added(*this, *drafts);
            drafts->addItem(shared_from_this());
        }
    } else if (folder && client_ && client_->store()) {
        client_->store()->saved(*this);
    }
    contentChanged_ = false;
}

std::shared_ptr<outlook::Item> SimItem::Move(outlook::Folder& destination) {
    auto* target = dynamic_cast<SimFolder*>(&destination);
    if (!target) throw Error(-2147024809, "Microsoft Outlook", "The destination folder is not of this client.");
    if (client_ && client_->faults().trips("Move", {entryId_, Subject()}))
        throw Error(-2147221233, "Microsoft Outlook", "The item has been moved or deleted.");
    auto self = shared_from_this();
    auto source = parent_.lock();
    if (source.get() == target) return self;
    if (client_ && client_->store()) {
        if (source && !storageKey_.empty()) client_->store()->moved(*this, *source, *target);
        else client_->store()->added(*this, *target);
    }
    if (source) source->simItems()->remove(*this);
    target->addItem(self);
    return self;
}

std::shared_ptr<outlook::Item> SimItem::Copy() {
    auto folder = parent_.lock();
    if (!folder || !client_) throw Error(-2147221233, "Microsoft Outlook", "Only an item in a folder can be copied.");
    if (client_->faults().trips("Copy", {entryId_, Subject()}))
        throw Error(-2147221233, "Microsoft Outlook", "The item has been moved or deleted.");
    auto copy = duplicate(client_->newEntryId(), client_->clock().now());
    client_->registerItem(copy);
    if (client_->store()) client_->store()->copied(*this, *copy, *folder);
    folder->addItem(copy);
    return copy;
}

void SimItem::Delete() {
    auto folder = parent_.lock();
    if (!folder) throw Error(-2147221233, "Microsoft Outlook", "The item is not in a folder.");
    if (client_ && client_->faults().trips("Delete", {entryId_, Subject()}))
        throw Error(-2147221233, "Microsoft Outlook", "The item has been moved or deleted.");
    auto deleted = client_ ? client_->defaultFolder(outlook::olFolderDeletedItems) : nullptr;
    if (deleted && deleted != folder && class_ != outlook::olContact) {
        Move(*deleted);
        return;
    }
    if (client_ && client_->store() && !storageKey_.empty()) client_->store()->removed(*this);
    folder->simItems()->remove(*this);
    parent_.reset();
}

std::shared_ptr<outlook::Folder> SimItem::Parent() {
    auto folder = parent_.lock();
    if (!folder) throw Error(-2147221233, "Microsoft Outlook", "The item is not in a folder.");
    return folder;
}

const MessageBodies& SimItem::bodies() {
    if (!bodies_) bodies_ = rawLoader_ ? parseBodies(rawLoader_()) : MessageBodies{};
    return *bodies_;
}

std::string SimItem::Body() {
    if (class_ == outlook::olContact) return {};
    return bodies().plain;
}

void SimItem::setBody(const std::string& value) {
    requireMessage("Body");
    bodies();
    bodies_->plain = value;
    noteContentChange();
}

std::string SimItem::HTMLBody() {
    requireMessage("HTMLBody");
    return bodies().html;
}

void SimItem::setHTMLBody(const std::string& value) {
    requireMessage("HTMLBody");
    bodies();
    bodies_->html = value;
    if (bodies_->plain.empty()) bodies_->plain = htmlToText(value);
    noteContentChange();
}

std::string SimItem::SenderName() {
    requireMessage("SenderName");
    if (!headers_.sender) return {};
    return headers_.sender->name.empty() ? headers_.sender->address : headers_.sender->name;
}

std::shared_ptr<outlook::Recipients> SimItem::Recipients() {
    requireMessage("Recipients");
    return std::make_shared<SimRecipients>(shared_from_this());
}

std::shared_ptr<outlook::Attachments> SimItem::Attachments() {
    requireMessage("Attachments");
    return std::make_shared<SimAttachments>(shared_from_this());
}

std::shared_ptr<outlook::UserProperties> SimItem::UserProperties() {
    return std::make_shared<SimUserProperties>(shared_from_this());
}

void SimItem::Send() {
    requireMessage("Send");
    if (!client_) throw Error(-2147467259, "Microsoft Outlook", "The item does not belong to a mail client.");
    if (client_->faults().trips("Send", {entryId_, Subject()}))
        throw Error(-2147467259, "Microsoft Outlook", "The message could not be sent.");
    if (!local_) throw Error(-2147467259, "Microsoft Outlook", "A received message cannot be sent again; forward it.");
    if (headers_.recipients.empty()) throw Error(-2147467259, "Microsoft Outlook", "There must be at least one name or distribution list in the To, Cc, or Bcc box.");
    events_.Send().raise();
    client_->submit(*this);
}

std::string SimItem::FullName() {
    requireContact("FullName");
    return contact_.fullName;
}

std::string SimItem::email(size_t index) {
    requireContact("Email1Address");
    return index < contact_.emails.size() ? contact_.emails[index] : std::string();
}

void SimItem::setReceived(MessageHeaders headers, std::function<std::string()> rawLoader) {
    headers_ = std::move(headers);
    rawLoader_ = std::move(rawLoader);
    bodies_.reset();
    local_ = false;
    messageClass_ = headers_.messageClass;
    if (headers_.date) received_ = headers_.date;
}

void SimItem::setLocal(std::optional<MailAddress> sender) {
    headers_.sender = std::move(sender);
    headers_.hasHeaders = false;
    headers_.transportHeaders.clear();
    local_ = true;
}

void SimItem::setContact(const VCardContact& contact) {
    contact_ = contact;
    class_ = outlook::olContact;
    messageClass_ = "IPM.Contact";
}

std::vector<MailRecipient>& SimItem::editRecipients() {
    noteContentChange();
    return headers_.recipients;
}

std::vector<MailAttachment>& SimItem::editAttachments() {
    bodies();
    noteContentChange();
    return bodies_->attachments;
}

outlook::PropertyValue SimItem::filterValue(const std::string& name) {
    std::string key = text::lower(name);
    if (key == "subject") return Subject();
    if (key == "unread") return unread_;
    if (key == "creationtime") return created_;
    if (key == "receivedtime") return ReceivedTime();
    if (key == "messageclass") return messageClass_;
    if (key == "entryid") return entryId_;
    if (key == "sendername") return class_ == outlook::olContact ? outlook::PropertyValue() : SenderName();
    if (key == "senderemailaddress") return headers_.sender ? headers_.sender->address : std::string();
    if (key == "fullname") return contact_.fullName;
    if (key == "email1address" || key == "email2address" || key == "email3address") {
        size_t index = static_cast<size_t>(key[5] - '1');
        return index < contact_.emails.size() ? contact_.emails[index] : std::string();
    }
    for (const auto& p : properties_)
        if (text::iequals(p.name, name)) return p.value;
    return {};
}

std::string SimItem::composeRaw() {
    if (!local_ && rawLoader_) return rawLoader_();
    ComposedMessage message;
    message.from = headers_.sender.value_or(client_ ? client_->user() : MailAddress{});
    message.recipients = headers_.recipients;
    message.subject = Subject();
    message.date = ReceivedTime();
    message.plain = bodies().plain;
    message.html = bodies().html;
    message.attachments = bodies().attachments;
    return composeMessage(message);
}

std::shared_ptr<SimItem> SimItem::duplicate(std::string entryId, OleDate created) const {
    auto copy = std::make_shared<SimItem>(class_, std::move(entryId), created, client_);
    copy->messageClass_ = messageClass_;
    copy->unread_ = unread_;
    copy->received_ = received_;
    copy->headers_ = headers_;
    copy->bodies_ = bodies_;
    copy->rawLoader_ = rawLoader_;
    copy->local_ = local_;
    copy->contact_ = contact_;
    copy->properties_ = properties_;
    return copy;
}

ResolvedAddress SimItem::resolve(const MailAddress& who) const {
    if (client_) return client_->resolve(who);
    return {who.name.empty() ? who.address : who.name, "SMTP", who.address, who.address};
}

}  // namespace tw::sim
