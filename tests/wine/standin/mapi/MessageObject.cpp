// The stand-in's IMessage: a live view over one item (its properties, recipients, body and submission).
#include <vector>

#include "mapi/MapiParts.h"
#include "mapi/MapiTable.h"
#include "mapi/StandInMapi.h"

namespace tw::standin {

namespace mapi {

namespace {

PropValue senderProperty(const ItemData& item, ULONG id) {
    // A message with neither a sender name nor an address has no sender at all.
    if (item.senderName.empty() && item.senderAddress.empty()) return {};
    switch (id) {
        case PROP_ID(PR_SENDER_NAME):
        case PROP_ID(PR_SENT_REPRESENTING_NAME): return PropValue::ofTextIf(item.senderName);
        case PROP_ID(PR_SENDER_ADDRTYPE):
        case PROP_ID(PR_SENT_REPRESENTING_ADDRTYPE): return PropValue::ofText(item.senderType);
        case PROP_ID(PR_SENDER_EMAIL_ADDRESS):
        case PROP_ID(PR_SENT_REPRESENTING_EMAIL_ADDRESS): return PropValue::ofTextIf(item.senderAddress);
        case PROP_ID(PR_SENDER_ENTRYID):
        case PROP_ID(PR_SENT_REPRESENTING_ENTRYID):
            return PropValue::ofBytes(addressEntryId(item.senderType, item.senderAddress, item.senderName));
        default: return {};
    }
}

LONG recipientType(int type) {
    return type == outlook::olCC ? MAPI_CC : type == outlook::olBCC ? MAPI_BCC : MAPI_TO;
}

TableRow recipientRow(size_t index, RecipientData r) {
    return [index, r](ULONG tag) -> PropValue {
        switch (PROP_ID(tag)) {
            case PROP_ID(PR_ROWID): return PropValue::ofLong(static_cast<LONG>(index));
            case PROP_ID(PR_DISPLAY_NAME): return PropValue::ofText(r.name);
            case PROP_ID(PR_RECIPIENT_TYPE): return PropValue::ofLong(recipientType(r.type));
            case PROP_ID(PR_ADDRTYPE): return PropValue::ofText(r.addressType);
            case PROP_ID(PR_EMAIL_ADDRESS): return PropValue::ofTextIf(r.address);
            case PROP_ID(PR_ENTRYID): return PropValue::ofBytes(addressEntryId(r.addressType, r.address, r.name));
            default: return {};
        }
    };
}

class Message : public PropObject<IMessage> {
public:
    Message(ModelPtr model, std::shared_ptr<ItemData> item) : m_(std::move(model)), item_(std::move(item)) {}

    HRESULT STDMETHODCALLTYPE SaveChanges(ULONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetProps(ULONG count, LPSPropValue values, LPSPropProblemArray* problems) override {
        if (count && !values) return MAPI_E_INVALID_PARAMETER;
        std::vector<SPropProblem> refused;
        for (ULONG i = 0; i < count; ++i) {
            const SPropValue& v = values[i];
            ULONG type = PROP_TYPE(v.ulPropTag);
            bool text = type == PT_STRING8 || type == PT_UNICODE;
            if (text && PROP_ID(v.ulPropTag) == PROP_ID(PR_BODY)) item_->body = textOf(v);
            else if (text && PROP_ID(v.ulPropTag) == PROP_ID(PR_SUBJECT)) item_->subject = textOf(v);
            else refused.push_back({i, v.ulPropTag, MAPI_E_NO_SUPPORT});
        }
        if (!problems) return S_OK;
        *problems = nullptr;
        if (refused.empty()) return S_OK;
        void* block = nullptr;
        if (FAILED(allocateBuffer(static_cast<ULONG>(CbNewSPropProblemArray(refused.size())), &block))) return MAPI_E_NOT_ENOUGH_MEMORY;
        auto* array = static_cast<SPropProblemArray*>(block);
        array->cProblem = static_cast<ULONG>(refused.size());
        for (size_t i = 0; i < refused.size(); ++i) array->aProblem[i] = refused[i];
        *problems = array;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetAttachmentTable(ULONG, LPMAPITABLE*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE OpenAttach(ULONG, LPCIID, ULONG, LPATTACH*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE CreateAttach(LPCIID, ULONG, ULONG*, LPATTACH*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE DeleteAttach(ULONG, ULONG, LPMAPIPROGRESS, ULONG) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE GetRecipientTable(ULONG flags, LPMAPITABLE* out) override {
        std::vector<ULONG> columns{PR_ROWID, textTag(PR_DISPLAY_NAME, flags), PR_RECIPIENT_TYPE, textTag(PR_ADDRTYPE, flags),
                                   textTag(PR_EMAIL_ADDRESS, flags), PR_ENTRYID};
        std::vector<TableRow> rows;
        for (size_t i = 0; i < item_->recipients.size(); ++i) rows.push_back(recipientRow(i, *item_->recipients[i]));
        return openTable(std::move(columns), std::move(rows), out);
    }
    HRESULT STDMETHODCALLTYPE ModifyRecipients(ULONG flags, LPADRLIST list) override {
        if (flags != MODRECIP_ADD) return MAPI_E_NO_SUPPORT;
        if (!list) return MAPI_E_INVALID_PARAMETER;
        std::vector<std::shared_ptr<RecipientData>> added;
        for (ULONG i = 0; i < list->cEntries; ++i) {
            const ADRENTRY& entry = list->aEntries[i];
            auto r = std::make_shared<RecipientData>();
            for (ULONG j = 0; j < entry.cValues; ++j) {
                const SPropValue& v = entry.rgPropVals[j];
                switch (PROP_ID(v.ulPropTag)) {
                    case PROP_ID(PR_DISPLAY_NAME): r->name = textOf(v); break;
                    case PROP_ID(PR_EMAIL_ADDRESS): r->address = textOf(v); break;
                    case PROP_ID(PR_ADDRTYPE): r->addressType = textOf(v); break;
                    case PROP_ID(PR_RECIPIENT_TYPE):
                        if (PROP_TYPE(v.ulPropTag) != PT_LONG || v.Value.l < MAPI_TO || v.Value.l > MAPI_BCC) return MAPI_E_INVALID_PARAMETER;
                        r->type = v.Value.l == MAPI_CC ? outlook::olCC : v.Value.l == MAPI_BCC ? outlook::olBCC : outlook::olTo;
                        break;
                    default: break;
                }
            }
            if (r->address.empty() && r->name.empty()) return MAPI_E_INVALID_PARAMETER;
            if (r->name.empty()) r->name = r->address;
            added.push_back(r);
        }
        item_->recipients.insert(item_->recipients.end(), added.begin(), added.end());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SubmitMessage(ULONG) override {
        if (item_->recipients.empty()) return MAPI_E_NO_RECIPIENTS;
        // The transport queue takes it: into the Outbox, without the item's Send event.
        item_->unread = false;
        m_->place(item_, m_->defaultFolder(outlook::olFolderOutbox), true);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetReadFlag(ULONG) override { return MAPI_E_NO_SUPPORT; }

protected:
    bool answers(REFIID riid) const override { return IsEqualIID(riid, IID_IMAPIProp) || IsEqualIID(riid, IID_IMessage); }
    PropValue property(ULONG tag) const override { return messageProperty(*m_, *item_, tag); }

private:
    ModelPtr m_;
    std::shared_ptr<ItemData> item_;
};

}  // namespace

PropValue messageProperty(const Model& model, const ItemData& item, ULONG tag) {
    ULONG id = PROP_ID(tag);
    switch (id) {
        case PROP_ID(PR_SUBJECT): return PropValue::ofText(item.subject);
        case PROP_ID(PR_MESSAGE_CLASS): return PropValue::ofText(item.messageClass);
        case PROP_ID(PR_MESSAGE_FLAGS):
            return PropValue::ofLong(static_cast<LONG>((item.unread ? 0 : MSGFLAG_READ) | (item.attachments.empty() ? 0 : MSGFLAG_HASATTACH)));
        case PROP_ID(PR_ENTRYID): return PropValue::ofBytes(hexBytes(item.entryId));
        case PROP_ID(PR_STORE_ENTRYID): return PropValue::ofBytes(hexBytes(model.storeId));
        case PROP_ID(PR_PARENT_ENTRYID): {
            auto folder = item.folder.lock();
            return folder ? PropValue::ofBytes(hexBytes(folder->entryId)) : PropValue{};
        }
        case PROP_ID(PR_CREATION_TIME): return PropValue::ofTime(item.created);
        case PROP_ID(PR_MESSAGE_DELIVERY_TIME): return PropValue::ofTime(item.received);
        case PROP_ID(PR_TRANSPORT_MESSAGE_HEADERS): return PropValue::ofTextIf(item.headers);
        case PROP_ID(PR_BODY): return PropValue::ofTextIf(item.body);
        case kHtmlId:
            if (item.htmlBody.empty()) return {};
            return PROP_TYPE(tag) == PT_BINARY ? PropValue::ofBytes(utf8(item.htmlBody)) : PropValue::ofText(item.htmlBody);
        case kInternetCpidId: return PropValue::ofLong(65001);
        default: return senderProperty(item, id);
    }
}

IMessage* newMessage(ModelPtr model, std::shared_ptr<ItemData> item) {
    return new Message(std::move(model), std::move(item));
}

}  // namespace mapi

Ref<IUnknown> makeMapiMessage(const std::shared_ptr<Model>& model, const std::shared_ptr<ItemData>& item) {
    return Ref<IUnknown>::adopt(mapi::newMessage(model, item));
}

}  // namespace tw::standin
