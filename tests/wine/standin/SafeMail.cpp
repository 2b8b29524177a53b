// The safe-mail test classes (a message's sender, headers and raw properties without a prompt) and in-process class registration.
#include <functional>

#include "ConnectionPoints.h"
#include "Model.h"
#include "StandInClient.h"
#include "win32/TextEncoding.h"

namespace tw::standin {

namespace {

constexpr HRESULT kNotFound = static_cast<HRESULT>(0x8004010F);  // MAPI_E_NOT_FOUND

class SafeMailItemObject : public DispObject {
public:
    explicit SafeMailItemObject(std::shared_ptr<Model> model) : m_(std::move(model)) {
        Handler bind = [this](Call& c) {
            Variant value(c.value());
            IDispatch* object = V_VT(value.get()) == VT_DISPATCH ? V_DISPATCH(value.get()) : nullptr;
            auto item = itemOf(object);
            if (!item) raise(E_INVALIDARG, L"Item must be a message of this mail client.");
            item_ = item;
            object_ = object;
        };
        property(L"Item", [this](Call& c) { c.ret(object_.get()); }, bind);
        method(L"Fields", [this](Call& c) { c.ret(messageField(bound(), static_cast<unsigned long>(c.toInt(0)))); });
        method(L"Sender", [this](Call& c) {
            const ItemData& item = bound();
            if (item.senderAddress.empty() && item.senderName.empty()) return c.ret(static_cast<IDispatch*>(nullptr));
            c.ret(makeAddressEntry(item.senderName.empty() ? item.senderAddress : item.senderName, item.senderAddress).get());
        });
        method(L"SenderName", [this](Call& c) {
            const ItemData& item = bound();
            c.ret(item.senderName.empty() ? item.senderAddress : item.senderName);
        });
        method(L"SenderEmailAddress", [this](Call& c) { c.ret(bound().senderAddress); });
        method(L"Recipients", [this](Call& c) {
            bound();
            c.ret(makeRecipients(m_, item_).get());
        });
        property(L"Body", [this](Call& c) { c.ret(bound().body); }, [this](Call& c) {
            bound();
            item_->body = c.valueText();
        });
        method(L"HTMLBody", [this](Call& c) { c.ret(bound().htmlBody); });
        method(L"Send", [this](Call&) {
            bound();
            DISPID id = 0;
            LPOLESTR name = const_cast<LPOLESTR>(L"Send");
            DISPPARAMS none{nullptr, nullptr, 0, 0};
            EXCEPINFO excep{};
            HRESULT hr = object_->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
            if (SUCCEEDED(hr)) hr = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, &excep, nullptr);
            std::wstring description = excep.bstrDescription ? excep.bstrDescription : L"The message could not be sent.";
            SysFreeString(excep.bstrSource);
            SysFreeString(excep.bstrDescription);
            SysFreeString(excep.bstrHelpFile);
            if (FAILED(hr)) raise(hr == DISP_E_EXCEPTION && excep.scode ? excep.scode : hr, description);
        });
    }

private:
    ItemData& bound() const {
        if (!item_) raise(E_FAIL, L"Item is not set.");
        return *item_;
    }

    std::shared_ptr<Model> m_;
    std::shared_ptr<ItemData> item_;
    Ref<IDispatch> object_;
};

class MapiUtilsObject : public DispObject {
public:
    explicit MapiUtilsObject(std::shared_ptr<Model> model) : m_(std::move(model)) {
        method(L"HrGetOneProp", [](Call& c) {
            auto item = itemOf(c.toObject(0));
            if (!item) raise(E_INVALIDARG, L"The object is not a message of this mail client.");
            Variant value = messageField(*item, static_cast<unsigned long>(c.toInt(1)));
            if (value.type() == VT_EMPTY) raise(kNotFound, L"The property was not found.");
            c.ret(value);
        });
        method(L"DeliverNow", [this](Call&) { deliverOutbox(*m_); });
        method(L"Cleanup", [](Call&) {});
    }

private:
    std::shared_ptr<Model> m_;
};

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class FunctionFactory : public IClassFactory {
public:
    explicit FunctionFactory(std::function<IUnknown*()> create) : create_(std::move(create)) {}
    virtual ~FunctionFactory() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) return E_NOINTERFACE;
        *out = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        IUnknown* object = nullptr;
        try {
            object = create_();
        } catch (...) {
            return E_FAIL;
        }
        if (!object) return E_OUTOFMEMORY;
        HRESULT hr = object->QueryInterface(riid, out);
        object->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    std::function<IUnknown*()> create_;
    LONG refs_ = 1;
};
#pragma GCC diagnostic pop

std::wstring keyOf(const std::wstring& progId) {
    return L"Software\\Classes\\" + progId;
}

}  // namespace

Variant messageField(const ItemData& item, unsigned long propTag) {
    // A wide-string tag reads the same text as its 8-bit twin.
    if ((propTag & 0xFFFF) == 0x001F) propTag = (propTag & 0xFFFF0000UL) | 0x001E;
    auto textIf = [](const std::wstring& text) { return text.empty() ? Variant() : Variant::text(text); };
    switch (propTag) {
        case 0x0C1E001E: return textIf(item.senderAddress.empty() ? L"" : L"SMTP");  // PR_SENDER_ADDRTYPE
        case 0x0C1F001E: return textIf(item.senderAddress);                           // PR_SENDER_EMAIL_ADDRESS
        case 0x0C1A001E: return textIf(item.senderName);                              // PR_SENDER_NAME
        case 0x007D001E: return textIf(item.headers);                                 // PR_TRANSPORT_MESSAGE_HEADERS
        case 0x0037001E: return Variant::text(item.subject);                          // PR_SUBJECT
        case 0x001A001E: return Variant::text(item.messageClass);                     // PR_MESSAGE_CLASS
        case 0x1000001E: return Variant::text(item.body);                             // PR_BODY
        case 0x0E070003: {                                                            // PR_MESSAGE_FLAGS
            long flags = item.unread ? 0 : 0x1;
            if (!item.attachments.empty()) flags |= 0x10;
            return Variant::integer(flags);
        }
        case 0x30070040: return Variant::date(item.created);   // PR_CREATION_TIME
        case 0x0E060040: return Variant::date(item.received);  // PR_MESSAGE_DELIVERY_TIME
        default: return {};
    }
}

Ref<DispObject> makeSafeMailItem(const std::shared_ptr<Model>& model) {
    return make<SafeMailItemObject>(model);
}

Ref<DispObject> makeMapiUtils(const std::shared_ptr<Model>& model) {
    return make<MapiUtilsObject>(model);
}

IClassFactory* newClassFactory(IUnknown* (*create)()) {
    return new FunctionFactory(create);
}

IClassFactory* newFactory(std::function<IUnknown*()> create) {
    return new FunctionFactory(std::move(create));
}

namespace {

/// Writes <root>\<subkey>\CLSID; true when the key was made here (and must be removed at the end).
bool writeProgIdKey(HKEY root, const std::wstring& subkey, const wchar_t* clsid, LONG& rc) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    rc = RegCreateKeyExW(root, subkey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, &disposition);
    if (rc != ERROR_SUCCESS) return false;
    rc = RegSetValueW(key, L"CLSID", REG_SZ, clsid, static_cast<DWORD>(wcslen(clsid) * sizeof(wchar_t)));
    RegCloseKey(key);
    return disposition == REG_CREATED_NEW_KEY;
}

void removeProgIdKey(HKEY root, const std::wstring& subkey) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
        RegDeleteKeyW(key, L"CLSID");
        RegCloseKey(key);
    }
    RegDeleteKeyW(root, subkey.c_str());
}

}  // namespace

ClassRegistration::ClassRegistration(const std::string& progId, const CLSID& clsid, IClassFactory* factory)
    : progId_(win32::toWide(progId)) {
    status_ = CoRegisterClassObject(clsid, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_);
    if (FAILED(status_)) return;
    wchar_t text[64] = {};
    StringFromGUID2(clsid, text, 64);
    LONG rc = ERROR_SUCCESS;
    wroteKey_ = writeProgIdKey(HKEY_CURRENT_USER, keyOf(progId_), text, rc);
    if (rc == ERROR_SUCCESS) {
        // Wine's CLSIDFromProgID reads the machine's classes only, not the user's: write the
        // ProgID there too when the user's key is not seen.
        CLSID found{};
        if (FAILED(CLSIDFromProgID(progId_.c_str(), &found)) || !IsEqualCLSID(found, clsid))
            wroteMachineKey_ = writeProgIdKey(HKEY_CLASSES_ROOT, progId_, text, rc);
    }
    status_ = rc == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(static_cast<DWORD>(rc));
}

ClassRegistration::~ClassRegistration() {
    if (cookie_) CoRevokeClassObject(cookie_);
    if (wroteKey_) removeProgIdKey(HKEY_CURRENT_USER, keyOf(progId_));
    if (wroteMachineKey_) removeProgIdKey(HKEY_CLASSES_ROOT, progId_);
}

}  // namespace tw::standin
