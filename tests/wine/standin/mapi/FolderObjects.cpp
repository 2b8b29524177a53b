// The stand-in's IMAPIFolder (properties, contents table, its messages) and IMsgStore (folders and messages by entry id).
#include "mapi/MapiParts.h"
#include "mapi/MapiTable.h"
#include "mapi/StandInMapi.h"

namespace tw::standin {

namespace mapi {

namespace {

HRESULT notServed() {
    return MAPI_E_NO_SUPPORT;
}

class Folder : public ContainerObject<IMAPIFolder> {
public:
    Folder(ModelPtr model, std::shared_ptr<FolderData> folder) : m_(std::move(model)), folder_(std::move(folder)) {}

    HRESULT STDMETHODCALLTYPE GetContentsTable(ULONG flags, LPMAPITABLE* out) override {
        std::vector<ULONG> columns{PR_ENTRYID, textTag(PR_SUBJECT, flags), PR_MESSAGE_FLAGS, PR_MESSAGE_DELIVERY_TIME};
        std::vector<TableRow> rows;
        rows.reserve(folder_->items.size());
        for (const auto& item : folder_->items) {
            rows.push_back([model = m_, item](ULONG tag) {
                if (PROP_ID(tag) == kLongTermEntryIdId) return PropValue::ofBytes(hexBytes(item->entryId));
                return messageProperty(*model, *item, tag);
            });
        }
        return openTable(std::move(columns), std::move(rows), out);
    }
    HRESULT STDMETHODCALLTYPE OpenEntry(ULONG size, LPENTRYID id, LPCIID iid, ULONG, ULONG* type, LPUNKNOWN* out) override {
        if (!type || !out) return MAPI_E_INVALID_PARAMETER;
        *out = nullptr;
        std::wstring hex = hexOf(id, size);
        for (const auto& item : folder_->items) {
            if (_wcsicmp(item->entryId.c_str(), hex.c_str()) != 0) continue;
            *type = MAPI_MESSAGE;
            return handOut(newMessage(m_, item), iid, out);
        }
        return MAPI_E_NOT_FOUND;
    }

    HRESULT STDMETHODCALLTYPE CreateMessage(LPCIID, ULONG, LPMESSAGE*) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE CopyMessages(LPENTRYLIST, LPCIID, LPVOID, ULONG, LPMAPIPROGRESS, ULONG) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE DeleteMessages(LPENTRYLIST, ULONG, LPMAPIPROGRESS, ULONG) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE CreateFolder(ULONG, LPTSTR, LPTSTR, LPCIID, ULONG, LPMAPIFOLDER*) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE CopyFolder(ULONG, LPENTRYID, LPCIID, LPVOID, LPTSTR, ULONG, LPMAPIPROGRESS, ULONG) override {
        return notServed();
    }
    HRESULT STDMETHODCALLTYPE DeleteFolder(ULONG, LPENTRYID, ULONG, LPMAPIPROGRESS, ULONG) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE SetReadFlags(LPENTRYLIST, ULONG, LPMAPIPROGRESS, ULONG) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE GetMessageStatus(ULONG, LPENTRYID, ULONG, ULONG*) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE SetMessageStatus(ULONG, LPENTRYID, ULONG, ULONG, ULONG*) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE SaveContentsSort(LPSSortOrderSet, ULONG) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE EmptyFolder(ULONG, LPMAPIPROGRESS, ULONG) override { return notServed(); }

protected:
    bool answers(REFIID riid) const override {
        return IsEqualIID(riid, IID_IMAPIProp) || IsEqualIID(riid, IID_IMAPIContainer) || IsEqualIID(riid, IID_IMAPIFolder);
    }
    PropValue property(ULONG tag) const override {
        switch (PROP_ID(tag)) {
            case PROP_ID(PR_ENTRYID): return PropValue::ofBytes(hexBytes(folder_->entryId));
            case PROP_ID(PR_DISPLAY_NAME): return PropValue::ofText(folder_->name);
            case PROP_ID(PR_CONTENT_COUNT): return PropValue::ofLong(static_cast<LONG>(folder_->items.size()));
            case PROP_ID(PR_OBJECT_TYPE): return PropValue::ofLong(MAPI_FOLDER);
            case PROP_ID(PR_STORE_ENTRYID): return PropValue::ofBytes(hexBytes(m_->storeId));
            default: return {};
        }
    }

private:
    ModelPtr m_;
    std::shared_ptr<FolderData> folder_;
};

class Store : public PropObject<IMsgStore> {
public:
    explicit Store(ModelPtr model) : m_(std::move(model)) {}

    HRESULT STDMETHODCALLTYPE OpenEntry(ULONG size, LPENTRYID id, LPCIID iid, ULONG, ULONG* type, LPUNKNOWN* out) override {
        if (!type || !out) return MAPI_E_INVALID_PARAMETER;
        *out = nullptr;
        // No entry id opens the store's top folder.
        if (size == 0 || !id) {
            *type = MAPI_FOLDER;
            return handOut(newFolder(m_, m_->root), iid, out);
        }
        return openStoreEntry(m_, size, id, iid, type, out);
    }
    HRESULT STDMETHODCALLTYPE Advise(ULONG, LPENTRYID, ULONG, LPMAPIADVISESINK, ULONG*) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE Unadvise(ULONG) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE CompareEntryIDs(ULONG, LPENTRYID, ULONG, LPENTRYID, ULONG, ULONG*) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE SetReceiveFolder(LPTSTR, ULONG, ULONG, LPENTRYID) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE GetReceiveFolder(LPTSTR, ULONG, ULONG*, LPENTRYID*, LPTSTR*) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE GetReceiveFolderTable(ULONG, LPMAPITABLE*) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE StoreLogoff(ULONG*) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE AbortSubmit(ULONG, LPENTRYID, ULONG) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE GetOutgoingQueue(ULONG, LPMAPITABLE*) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE SetLockState(LPMESSAGE, ULONG) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE FinishedMsg(ULONG, ULONG, LPENTRYID) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE NotifyNewMail(LPNOTIFICATION) override { return notServed(); }

protected:
    bool answers(REFIID riid) const override { return IsEqualIID(riid, IID_IMAPIProp) || IsEqualIID(riid, IID_IMsgStore); }
    PropValue property(ULONG tag) const override {
        switch (PROP_ID(tag)) {
            case PROP_ID(PR_ENTRYID): return PropValue::ofBytes(hexBytes(m_->storeId));
            case PROP_ID(PR_DISPLAY_NAME): return PropValue::ofText(m_->root->name);
            case PROP_ID(PR_OBJECT_TYPE): return PropValue::ofLong(MAPI_STORE);
            default: return {};
        }
    }

private:
    ModelPtr m_;
};

}  // namespace

IMAPIFolder* newFolder(ModelPtr model, std::shared_ptr<FolderData> folder) {
    return new Folder(std::move(model), std::move(folder));
}

IMsgStore* newStore(ModelPtr model) {
    return new Store(std::move(model));
}

HRESULT openStoreEntry(const ModelPtr& model, ULONG size, LPENTRYID id, LPCIID iid, ULONG* type, LPUNKNOWN* out) {
    std::wstring hex = hexOf(id, size);
    if (hex.empty()) return MAPI_E_NOT_FOUND;
    if (auto folder = model->folderById(hex)) {
        *type = MAPI_FOLDER;
        return handOut(newFolder(model, folder), iid, out);
    }
    if (auto item = model->itemById(hex)) {
        *type = MAPI_MESSAGE;
        return handOut(newMessage(model, item), iid, out);
    }
    return MAPI_E_NOT_FOUND;
}

}  // namespace mapi

Ref<IUnknown> makeMapiFolder(const std::shared_ptr<Model>& model, const std::shared_ptr<FolderData>& folder) {
    return Ref<IUnknown>::adopt(mapi::newFolder(model, folder));
}

}  // namespace tw::standin
