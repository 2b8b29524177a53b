// The simulated safe mail access objects.
#include "sim/SimSafeMail.h"

#include <algorithm>

#include "core/Error.h"
#include "core/Text.h"
#include "sim/SimMailClient.h"
#include "sim/SimAddressLists.h"
#include "sim/SimMapiTable.h"
#include "sim/SimOutlook.h"

namespace tw::sim {

namespace {

constexpr long kNotFound = -2147221233;      // MAPI_E_NOT_FOUND
constexpr long kCannotCreate = 429;          // ActiveX component can't create object
constexpr const char* kSource = "TarnwickRedemption";

std::string hexToBytes(const std::string& hex) {
    if (hex.size() % 2 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return hex;
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

class SimSafeRecipient : public safemail::SafeRecipient {
public:
    SimSafeRecipient(std::shared_ptr<SimItem> item, size_t index) : item_(std::move(item)), index_(index) {}
    std::string Name() override {
        const auto& who = item_->recipientList().at(index_).who;
        return who.name.empty() ? who.address : who.name;
    }
    int Type() override { return item_->recipientList().at(index_).type; }
    std::shared_ptr<safemail::AddressEntry> AddressEntry() override {
        const auto& who = item_->recipientList().at(index_).who;
        if (who.address.empty()) return nullptr;
        return std::make_shared<SimSafeAddressEntry>(item_->resolve(who));
    }

private:
    std::shared_ptr<SimItem> item_;
    size_t index_;
};

class SimSafeRecipients : public safemail::SafeRecipients {
public:
    explicit SimSafeRecipients(std::shared_ptr<SimItem> item) : item_(std::move(item)) {}
    int Count() override { return static_cast<int>(item_->recipientList().size()); }
    std::shared_ptr<safemail::SafeRecipient> Item(int index) override {
        if (index < 1 || index > Count()) throw Error(-2147352567, kSource, "Array index out of bounds.");
        return std::make_shared<SimSafeRecipient>(item_, static_cast<size_t>(index - 1));
    }
    std::shared_ptr<safemail::SafeRecipient> Add(const std::string& nameOrAddress) override {
        if (text::trim(nameOrAddress).empty()) throw Error(-2147024809, kSource, "The recipient has no name.");
        item_->editRecipients().push_back({parseMailAddress(nameOrAddress), outlook::olTo});
        return std::make_shared<SimSafeRecipient>(item_, item_->recipientList().size() - 1);
    }

private:
    std::shared_ptr<SimItem> item_;
};

}  // namespace

safemail::PropValue itemProperty(SimItem& item, uint32_t propTag) {
    using namespace safemail;
    auto senderEntry = [&]() -> std::optional<ResolvedAddress> {
        const auto& sender = item.sender();
        if (!sender || sender->address.empty()) return std::nullopt;
        return item.resolve(*sender);
    };
    switch (propTag) {
        case PR_SUBJECT: return {item.Subject()};
        case PR_MESSAGE_CLASS: return {item.MessageClass()};
        case PR_TRANSPORT_MESSAGE_HEADERS:
            if (!item.hasTransportHeaders()) return {};
            return {item.transportHeaders()};
        case PR_SENDER_ADDRTYPE:
            if (auto s = senderEntry()) return {s->type};
            return {};
        case PR_SENDER_EMAIL_ADDRESS:
            if (auto s = senderEntry()) return {s->address};
            return {};
        case PR_MESSAGE_FLAGS: {
            int32_t flags = 0;
            if (!item.UnRead()) flags |= MSGFLAG_READ;
            if (item.submitted()) flags |= MSGFLAG_SUBMIT | MSGFLAG_UNSENT;
            if (item.isLocal()) flags |= MSGFLAG_FROMME;
            return {flags};
        }
        case PR_ENTRYID:
        case PR_LONGTERM_ENTRYID_FROM_TABLE: return {hexToBytes(item.EntryID())};
        case PR_STORE_ENTRYID: {
            auto folder = item.parentFolder();
            if (!folder) return {};
            return {hexToBytes(folder->StoreID())};
        }
        case PR_CREATION_TIME: return {item.CreationTime()};
        case PR_MESSAGE_DELIVERY_TIME: return {item.ReceivedTime()};
        default: return {};
    }
}

safemail::PropValue SimSafeAddressEntry::Fields(uint32_t propTag) {
    switch (propTag) {
        case safemail::PR_SMTP_ADDRESS:
            if (address_.type == "EX" && !address_.smtp.empty()) return {address_.smtp};
            return {};
        case 0x3001001E: return {address_.name};     // PR_DISPLAY_NAME
        case 0x3002001E: return {address_.type};     // PR_ADDRTYPE
        case 0x3003001E: return {address_.address};  // PR_EMAIL_ADDRESS
        default: return {};
    }
}

void SimSafeMailItem::setItem(std::shared_ptr<outlook::Item> item) {
    if (item && !dynamic_cast<SimItem*>(item.get()))
        throw Error(-2147024809, kSource, "The item is not an item of this mail client.");
    item_ = std::move(item);
}

SimItem& SimSafeMailItem::bound() {
    if (!item_) throw Error(-2147467259, kSource, "The Item property of the safe mail item is not set.");
    return static_cast<SimItem&>(*item_);
}

safemail::PropValue SimSafeMailItem::Fields(uint32_t propTag) { return itemProperty(bound(), propTag); }

std::shared_ptr<safemail::AddressEntry> SimSafeMailItem::Sender() {
    SimItem& item = bound();
    const auto& sender = item.sender();
    if (!sender || sender->address.empty()) return nullptr;
    return std::make_shared<SimSafeAddressEntry>(item.resolve(*sender));
}

std::string SimSafeMailItem::SenderName() {
    const auto& sender = bound().sender();
    if (!sender) return {};
    return sender->name.empty() ? sender->address : sender->name;
}

std::shared_ptr<safemail::SafeRecipients> SimSafeMailItem::Recipients() {
    bound();
    return std::make_shared<SimSafeRecipients>(std::static_pointer_cast<SimItem>(item_));
}

std::string SimSafeMailItem::Body() {
    SimItem& item = bound();
    return item.Class() == outlook::olContact ? std::string() : item.bodies().plain;
}

void SimSafeMailItem::setBody(const std::string& value) { bound().setBody(value); }

std::string SimSafeMailItem::HTMLBody() {
    SimItem& item = bound();
    return item.Class() == outlook::olContact ? std::string() : item.bodies().html;
}

void SimSafeMailItem::Send() { bound().Send(); }

safemail::PropValue SimMAPIUtils::HrGetOneProp(outlook::Item& item, uint32_t propTag) {
    auto* simItem = dynamic_cast<SimItem*>(&item);
    if (!simItem) throw Error(-2147024809, kSource, "The item is not an item of this mail client.");
    if (faults_.trips("HrGetOneProp", {simItem->EntryID()}))
        throw Error(-2147467259, kSource, "The message could not be opened (0x80004005).");
    auto value = itemProperty(*simItem, propTag);
    if (value.isEmpty()) throw Error(kNotFound, kSource, "The property was not found (MAPI_E_NOT_FOUND).");
    return value;
}

void SimMAPIUtils::DeliverNow(int /*flags*/, intptr_t /*parentWindow*/) {
    ++deliveries_;
    if (client_) client_->deliverOutbox();
}

void SimSafeMail::check(const std::string& progId, const char* expected, const char* operation) {
    if (!text::iequals(progId, expected) || faults_.trips(operation, {progId}))
        throw Error(kCannotCreate, "Tarnwick", "ActiveX component can't create object: " + progId);
    createdProgIds_.push_back(expected);
}

std::shared_ptr<safemail::SafeMailItem> SimSafeMail::CreateSafeMailItem(const std::string& progId) {
    check(progId, kSafeMailItem, "CreateSafeMailItem");
    auto item = std::make_shared<SimSafeMailItem>();
    items_.erase(std::remove_if(items_.begin(), items_.end(), [](const auto& w) { return w.expired(); }), items_.end());
    items_.push_back(item);
    return item;
}

std::shared_ptr<safemail::MAPIUtils> SimSafeMail::CreateMAPIUtils(const std::string& progId) {
    check(progId, kMAPIUtils, "CreateMAPIUtils");
    return std::make_shared<SimMAPIUtils>(client_, faults_);
}

std::shared_ptr<safemail::MAPITable> SimSafeMail::CreateMAPITable(const std::string& progId) {
    check(progId, kMAPITable, "CreateMAPITable");
    return std::make_shared<SimMapiTable>();
}

std::shared_ptr<safemail::AddressLists> SimSafeMail::CreateAddressLists(const std::string& progId) {
    check(progId, kAddressLists, "CreateAddressLists");
    if (!client_) throw Error(kCannotCreate, "Tarnwick", "ActiveX component can't create object: " + progId);
    return std::make_shared<SimSafeAddressLists>(*client_);
}

int SimSafeMail::safeMailItemsAlive() const {
    return static_cast<int>(std::count_if(items_.begin(), items_.end(), [](const auto& w) { return !w.expired(); }));
}

int SimSafeMail::created(const std::string& progId) const {
    return static_cast<int>(std::count(createdProgIds_.begin(), createdProgIds_.end(), progId));
}

}  // namespace tw::sim
