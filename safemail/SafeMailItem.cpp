// The safe mail item: a client item's message read and written through its MAPI object, without a prompt.
#include "DispatchObject.h"
#include "Objects.h"
#include "OutlookCalls.h"
#include "PropValues.h"

namespace tarn {

namespace {

class SafeMailItem final : public DispatchObject {
public:
    SafeMailItem() : DispatchObject(L"SafeMailItem") {
        property(
            L"Item", [this](const Args&, Variant& out) { setObject(out, Com<IDispatch>(item_).detach()); },
            [this](const Args& a) { bind(a.valueObject()); });
        reader(L"Fields", [this](const Args& a, Variant& out) {
            const ULONG tag = static_cast<ULONG>(a.toInt(0));
            const HRESULT hr = readProp(message().get(), tag, out);
            if (hr == MAPI_E_NOT_FOUND) VariantClear(out.get());
            else if (FAILED(hr)) raise(hr, described(L"The message's property could not be read", hr));
        });
        reader(L"Sender", [this](const Args&, Variant& out) {
            EntryData sender = senderOf();
            if (sender.name.empty() && sender.address.empty() && sender.entryId.empty()) return setObject(out, nullptr);
            setObject(out, newAddressEntry(std::move(sender), item_));
        });
        reader(L"SenderName", [this](const Args&, Variant& out) {
            EntryData sender = senderOf();
            setText(out, sender.name.empty() ? sender.address : sender.name);
        });
        reader(L"Recipients", [this](const Args&, Variant& out) { setObject(out, newRecipients(message(), item_)); });
        property(
            L"Body", [this](const Args&, Variant& out) { setText(out, text(PR_BODY_W)); },
            [this](const Args& a) { setBody(a); });
        reader(L"HTMLBody", [this](const Args&, Variant& out) { setText(out, html()); });
        reader(L"Send", [this](const Args&, Variant&) { send(); });
    }

private:
    void bind(Com<IDispatch> item) {
        if (!item) raise(E_INVALIDARG, L"Item must be a mail item, not Nothing.");
        HRESULT hr = S_OK;
        Com<IUnknown> found = mapiObjectOf(item.get(), IID_IMessage, &hr);
        if (!found)
            raise(FAILED(hr) ? hr : E_NOINTERFACE,
                  described(L"The message could not be opened: the item has no MAPI message object", hr));
        message_ = Com<IMessage>(reinterpret_cast<IMessage*>(found.detach()));
        item_ = std::move(item);
    }

    Com<IMessage> message() const {
        if (!message_) raise(E_FAIL, L"Item is not set.");
        return message_;
    }

    std::wstring text(ULONG tag) {
        Variant value;
        const HRESULT hr = readProp(message().get(), tag, value);
        if (hr == MAPI_E_NOT_FOUND) return {};
        if (FAILED(hr)) raise(hr, described(L"The message's text could not be read", hr));
        return textOf(value);
    }

    EntryData senderOf() {
        TagArray tags({PR_SENDER_NAME_W, PR_SENDER_ADDRTYPE_W, PR_SENDER_EMAIL_ADDRESS_W, PR_SENDER_ENTRYID});
        ULONG count = 0;
        MapiBuffer<SPropValue> values;
        const HRESULT hr = message()->GetProps(tags.get(), 0, &count, values.put());
        if (FAILED(hr)) raise(hr, described(L"The message's sender could not be read", hr));
        EntryData sender;
        for (ULONG i = 0; values.get() && i < count; ++i) {
            const SPropValue& v = values.get()[i];
            switch (PROP_ID(v.ulPropTag)) {
                case PROP_ID(PR_SENDER_NAME_W): sender.name = textOf(v); break;
                case PROP_ID(PR_SENDER_ADDRTYPE_W): sender.type = textOf(v); break;
                case PROP_ID(PR_SENDER_EMAIL_ADDRESS_W): sender.address = textOf(v); break;
                case PROP_ID(PR_SENDER_ENTRYID): sender.entryId = bytesOf(v); break;
                default: break;
            }
        }
        return sender;
    }

    std::wstring html() {
        Variant bytes;
        HRESULT hr = readProp(message().get(), PR_HTML_BYTES, bytes);
        if (SUCCEEDED(hr)) {
            Variant cpid;
            UINT codePage = CP_ACP;
            if (SUCCEEDED(readProp(message_.get(), PR_INTERNET_CPID_LONG, cpid)) && V_VT(cpid.get()) == VT_I4)
                codePage = static_cast<UINT>(V_I4(cpid.get()));
            const std::string raw = bytesOf(bytes);
            return wideFrom(raw.data(), raw.size(), codePage);
        }
        if (hr != MAPI_E_NOT_FOUND) raise(hr, described(L"The message's HTML could not be read", hr));
        return text(PR_BODY_HTML_WIDE);
    }

    void setBody(const Args& a) {
        Com<IMessage> m = message();
        Variant converted;
        if (FAILED(VariantChangeType(converted.get(), const_cast<VARIANT*>(&a.value()), 0, VT_BSTR)))
            raise(DISP_E_TYPEMISMATCH, L"Body must be text.");
        std::wstring body = textOf(converted);
        SPropValue value{};
        value.ulPropTag = PR_BODY_W;
        value.Value.lpszW = body.data();
        MapiBuffer<SPropProblemArray> problems;
        HRESULT hr = m->SetProps(1, &value, problems.put());
        if (SUCCEEDED(hr) && problems.get() && problems->cProblem > 0) hr = problems->aProblem[0].scode;
        if (FAILED(hr)) raise(hr, described(L"The message's body could not be set", hr));
    }

    void send() {
        Com<IMessage> m = message();
        HRESULT hr = m->SaveChanges(KEEP_OPEN_READWRITE);
        if (FAILED(hr)) raise(hr, described(L"The message could not be saved before sending", hr));
        hr = m->SubmitMessage(0);
        if (FAILED(hr)) raise(hr, described(L"The message could not be sent", hr));
    }

    Com<IDispatch> item_;
    Com<IMessage> message_;
};

}  // namespace

IDispatch* newSafeMailItem() {
    return new SafeMailItem();
}

}  // namespace tarn
