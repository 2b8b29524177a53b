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


/// The restriction a table's filter holds; only bit masks are known.
struct Restriction {
    bool active = false;
    long propTag = 0, mask = 0, relation = 0;  // relation: 0 all masked bits clear, 1 some set
};

class RestrictionObject : public DispObject {
public:
    explicit RestrictionObject(std::shared_ptr<Restriction> r) : r_(std::move(r)) {
        number(L"ulPropTag", &Restriction::propTag);
        number(L"ulMask", &Restriction::mask);
        number(L"relBMR", &Restriction::relation);
    }

private:
    void number(const wchar_t* name, long Restriction::*field) {
        property(name, [this, field](Call& c) { c.ret((*r_).*field); }, [this, field](Call& c) { (*r_).*field = c.valueInt(); });
    }
    std::shared_ptr<Restriction> r_;
};

class TableFilterObject : public DispObject {
public:
    explicit TableFilterObject(std::shared_ptr<Restriction> r) : r_(std::move(r)) {
        method(L"Clear", [this](Call&) { *r_ = Restriction{}; });
        method(L"SetKind", [this](Call& c) {
            if (c.toInt(0) != 6) raise(E_INVALIDARG, L"Only bit-mask restrictions are supported.");  // RES_BITMASK
            *r_ = Restriction{};
            r_->active = true;
            c.ret(make<RestrictionObject>(r_).get());
        });
    }

private:
    std::shared_ptr<Restriction> r_;
};

/// A SAFEARRAY of VARIANTs holding the values given.
Variant variantArray(const std::vector<Variant>& values) {
    Variant result;
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(values.size()));
    for (LONG i = 0; i < static_cast<LONG>(values.size()); ++i)
        SafeArrayPutElement(array, &i, const_cast<VARIANT*>(&values[static_cast<size_t>(i)].value()));
    V_VT(result.get()) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(result.get()) = array;
    return result;
}

/// Binary MAPI values travel as arrays of bytes; entry ids are their hexadecimal text's bytes.
Variant binaryFromHex(const std::wstring& hex) {
    Variant result;
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(hex.size() / 2));
    for (LONG i = 0; i < static_cast<LONG>(hex.size() / 2); ++i) {
        BYTE b = static_cast<BYTE>(std::stoul(hex.substr(static_cast<size_t>(i) * 2, 2), nullptr, 16));
        SafeArrayPutElement(array, &i, &b);
    }
    V_VT(result.get()) = VT_ARRAY | VT_UI1;
    V_ARRAY(result.get()) = array;
    return result;
}

class MapiTableObject : public DispObject {
public:
    MapiTableObject() {
        property(L"Item", [this](Call& c) { c.ret(items_.get()); },
                 [this](Call& c) {
                     Variant value(c.value());
                     IDispatch* object = V_VT(value.get()) == VT_DISPATCH ? V_DISPATCH(value.get()) : nullptr;
                     if (!itemsOf(object)) raise(E_INVALIDARG, L"Item must be an Items collection of this mail client.");
                     items_ = object;
                     at_ = -1;
                 });
        method(L"Filter", [this](Call& c) { c.ret(make<TableFilterObject>(restriction_).get()); });
        property(L"Columns", [this](Call& c) {
                     std::vector<Variant> tags;
                     for (long tag : columns_) tags.push_back(Variant::integer(tag));
                     c.ret(variantArray(tags));
                 },
                 [this](Call& c) { setColumns(c.value()); });
        method(L"RowCount", [this](Call& c) {
            long count = 0;
            for (const auto& item : rows())
                if (matches(*item)) ++count;
            c.ret(count);
        });
        method(L"GoToFirst", [this](Call&) { at_ = -1; });
        method(L"FindFirst", [this](Call& c) {
            bool forward = !c.has(0) || c.toBool(0);
            rows_ = rows();
            at_ = forward ? -1 : static_cast<long>(rows_.size());
            c.ret(step(forward));
        });
        method(L"FindNext", [this](Call& c) {
            if (rows_.empty()) rows_ = rows();
            c.ret(step(!c.has(0) || c.toBool(0)));
        });
        method(L"GetRow", [this](Call& c) {
            if (at_ < 0 || at_ >= static_cast<long>(rows_.size())) return;
            c.ret(row(*rows_[static_cast<size_t>(at_)]));
        });
        method(L"GetRows", [this](Call& c) {
            if (rows_.empty()) rows_ = rows();
            std::vector<Variant> batch;
            for (long wanted = c.toInt(0); wanted > 0 && step(true); --wanted) batch.push_back(row(*rows_[static_cast<size_t>(at_)]));
            c.ret(variantArray(batch));
        });
    }

private:
    std::vector<std::shared_ptr<ItemData>> rows() const {
        if (!items_) raise(E_FAIL, L"Item is not set.");
        return itemsOf(items_.get()).value_or(std::vector<std::shared_ptr<ItemData>>{});
    }
    bool matches(const ItemData& item) const {
        if (!restriction_->active) return true;
        Variant value = messageField(item, static_cast<unsigned long>(restriction_->propTag));
        long bits = value.type() == VT_I4 ? V_I4(value.get()) : 0;
        bool clear = (bits & restriction_->mask) == 0;
        return restriction_->relation == 0 ? clear : !clear;
    }
    /// Moves to the next matching row in that direction; false (past the end) when there is none.
    bool step(bool forward) {
        long size = static_cast<long>(rows_.size());
        for (long i = forward ? at_ + 1 : at_ - 1; i >= 0 && i < size; i += forward ? 1 : -1) {
            if (matches(*rows_[static_cast<size_t>(i)])) {
                at_ = i;
                return true;
            }
        }
        at_ = forward ? size : -1;
        return false;
    }
    Variant row(const ItemData& item) const {
        std::vector<Variant> values;
        for (long tag : columns_) {
            Variant value;
            if (tag == 0x0FFF0102 || tag == 0x66700102) value = binaryFromHex(item.entryId);  // PR_ENTRYID, long-term id
            else value = messageField(item, static_cast<unsigned long>(tag));
            if (value.type() == VT_EMPTY) {
                V_VT(value.get()) = VT_ERROR;
                V_ERROR(value.get()) = kNotFound;
            }
            values.push_back(value);
        }
        return variantArray(values);
    }
    void setColumns(const VARIANT& value) {
        Variant copy(value);
        VARIANT* v = copy.get();
        if (V_VT(v) == (VT_BYREF | VT_VARIANT)) v = V_VARIANTREF(v);
        if (!(V_VT(v) & VT_ARRAY)) raise(E_INVALIDARG, L"Columns must be an array of property tags.");
        SAFEARRAY* array = (V_VT(v) & VT_BYREF) ? *V_ARRAYREF(v) : V_ARRAY(v);
        LONG low = 0, high = -1;
        SafeArrayGetLBound(array, 1, &low);
        SafeArrayGetUBound(array, 1, &high);
        VARTYPE type = VT_EMPTY;
        SafeArrayGetVartype(array, &type);
        columns_.clear();
        for (LONG i = low; i <= high; ++i) {
            Variant element;
            if (type == VT_VARIANT) {
                SafeArrayGetElement(array, &i, element.get());
            } else if (type == VT_I4 || type == VT_UI4 || type == VT_INT) {
                V_VT(element.get()) = VT_I4;
                SafeArrayGetElement(array, &i, &V_I4(element.get()));
            }
            Variant tag;
            if (FAILED(VariantChangeType(tag.get(), element.get(), 0, VT_I4))) raise(DISP_E_TYPEMISMATCH, L"A column is not a property tag.");
            columns_.push_back(V_I4(tag.get()));
        }
    }

    Ref<IDispatch> items_;
    std::shared_ptr<Restriction> restriction_ = std::make_shared<Restriction>();
    std::vector<long> columns_;
    std::vector<std::shared_ptr<ItemData>> rows_;
    long at_ = -1;
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

Ref<DispObject> makeMapiTable() {
    return make<MapiTableObject>();
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
