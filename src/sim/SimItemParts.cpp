// Recipients, user properties and attachments of the simulated items.
#include "sim/SimItemParts.h"

#include "core/Error.h"
#include "core/Text.h"
#include "sim/SimOutlook.h"

namespace tw::sim {

namespace {

Error outOfBounds() { return Error(-2147352567, "Microsoft Outlook", "Array index out of bounds."); }

size_t checkedIndex(int index, size_t count) {
    if (index < 1 || static_cast<size_t>(index) > count) throw outOfBounds();
    return static_cast<size_t>(index - 1);
}

bool suits(int type, const outlook::PropertyValue& value) {
    if (std::holds_alternative<std::monostate>(value)) return true;
    switch (type) {
        case outlook::olText: return std::holds_alternative<std::string>(value);
        case outlook::olNumber: return std::holds_alternative<double>(value);
        case outlook::olDateTime: return std::holds_alternative<OleDate>(value);
        case outlook::olYesNo: return std::holds_alternative<bool>(value);
        default: return false;
    }
}

}  // namespace

const MailRecipient& SimRecipient::data() const {
    const auto& list = item_->recipientList();
    if (index_ >= list.size()) throw Error(-2147221233, "Microsoft Outlook", "The recipient was removed.");
    return list[index_];
}

std::string SimRecipient::Name() {
    const auto& who = data().who;
    return who.name.empty() ? who.address : who.name;
}

std::string SimRecipient::Address() { return item_->resolve(data().who).address; }
int SimRecipient::Type() { return data().type; }

void SimRecipient::setType(int type) {
    if (type < outlook::olTo || type > outlook::olBCC) throw Error(-2147024809, "Microsoft Outlook", "The value is out of range.");
    data();
    item_->editRecipients()[index_].type = type;
}

std::shared_ptr<outlook::AddressEntry> SimRecipient::AddressEntry() {
    const auto& who = data().who;
    if (who.address.empty()) return nullptr;
    return std::make_shared<SimAddressEntry>(item_->resolve(who));
}

int SimRecipients::Count() { return static_cast<int>(item_->recipientList().size()); }

std::shared_ptr<outlook::Recipient> SimRecipients::Item(int index) {
    return std::make_shared<SimRecipient>(item_, checkedIndex(index, item_->recipientList().size()));
}

std::shared_ptr<outlook::Recipient> SimRecipients::Add(const std::string& nameOrAddress) {
    if (text::trim(nameOrAddress).empty()) throw Error(-2147352567, "Microsoft Outlook", "There must be at least one name.");
    item_->editRecipients().push_back({parseMailAddress(nameOrAddress), outlook::olTo});
    return std::make_shared<SimRecipient>(item_, item_->recipientList().size() - 1);
}

IndexedProperty& SimUserProperty::data() {
    for (auto& p : item_->userProperties())
        if (text::iequals(p.name, name_)) return p;
    throw Error(-2147221233, "Microsoft Outlook", "The property \"" + name_ + "\" was removed.");
}

int SimUserProperty::Type() { return data().type; }
outlook::PropertyValue SimUserProperty::Value() { return data().value; }

void SimUserProperty::setValue(const outlook::PropertyValue& value) {
    IndexedProperty& p = data();
    outlook::PropertyValue v = value;
    // A number given for a date-time is a serial date, as a script would pass it.
    if (p.type == outlook::olDateTime && std::holds_alternative<double>(v)) v = OleDate(std::get<double>(v));
    if (!suits(p.type, v)) throw Error(13, "Microsoft Outlook", "Type mismatch for the property \"" + name_ + "\".");
    p.value = v;
}

namespace {
/// The field joins the definitions of the folder the item is in; an item in no folder has none.
void addToFields(SimItem& item, const std::string& name) {
    if (auto folder = item.parentFolder()) folder->simItems()->addFolderField(name);
}
}  // namespace

int SimUserProperties::Count() { return static_cast<int>(item_->userProperties().size()); }

std::shared_ptr<outlook::UserProperty> SimUserProperties::Item(int index) {
    return std::make_shared<SimUserProperty>(item_, item_->userProperties()[checkedIndex(index, item_->userProperties().size())].name);
}

std::shared_ptr<outlook::UserProperty> SimUserProperties::Find(const std::string& name) {
    for (const auto& p : item_->userProperties())
        if (text::iequals(p.name, name)) return std::make_shared<SimUserProperty>(item_, p.name);
    return nullptr;
}

std::shared_ptr<outlook::UserProperty> SimUserProperties::Add(const std::string& name, int type, bool addToFolderFields) {
    if (text::trim(name).empty() || name.find_first_of("[]_#") != std::string::npos)
        throw Error(-2147024809, "Microsoft Outlook", "The property name \"" + name + "\" is not allowed.");
    if (type != outlook::olText && type != outlook::olNumber && type != outlook::olDateTime && type != outlook::olYesNo)
        throw Error(-2147024809, "Microsoft Outlook", "The property type is not supported.");
    for (const auto& p : item_->userProperties()) {
        if (!text::iequals(p.name, name)) continue;
        if (p.type != type)
            throw Error(-2147352567, "Microsoft Outlook", "The property \"" + name + "\" exists with another type.");
        if (addToFolderFields) addToFields(*item_, p.name);
        return std::make_shared<SimUserProperty>(item_, p.name);
    }
    item_->userProperties().push_back({name, type, {}});
    if (addToFolderFields) addToFields(*item_, name);
    return std::make_shared<SimUserProperty>(item_, name);
}

int SimAttachments::Count() { return static_cast<int>(item_->bodies().attachments.size()); }

std::shared_ptr<outlook::Attachment> SimAttachments::Item(int index) {
    const auto& list = item_->bodies().attachments;
    return std::make_shared<SimAttachment>(list[checkedIndex(index, list.size())]);
}

std::shared_ptr<outlook::Attachment> SimAttachments::Add(const std::shared_ptr<outlook::Item>& source, int type) {
    auto* item = dynamic_cast<SimItem*>(source.get());
    if (!item || type != outlook::olEmbeddeditem)
        throw Error(-2147024809, "Microsoft Outlook", "Only items of this client can be attached, as embedded items.");
    MailAttachment attachment;
    attachment.embeddedMessage = true;
    attachment.fileName = item->Subject();
    attachment.content = item->composeRaw();
    item_->editAttachments().push_back(attachment);
    return std::make_shared<SimAttachment>(std::move(attachment));
}

}  // namespace tw::sim
