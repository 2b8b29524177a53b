// The library's automation objects, made here and handed out as IDispatch with one reference for the caller.
#pragma once

#include <string>

#include "ComRef.h"
#include "Mapi.h"

namespace tarn {

/// What a sender, recipient or address-list row says of an address.
struct EntryData {
    std::wstring name, type, address;
    std::string entryId;
};

/// Reads PR_DISPLAY_NAME, PR_ADDRTYPE, PR_EMAIL_ADDRESS and PR_ENTRYID among the values, whatever their string type.
EntryData entryFrom(const SPropValue* values, ULONG count);

/// `clientObject` is how the entry reaches the session (an item, or null for the held session).
IDispatch* newAddressEntry(EntryData entry, Com<IDispatch> clientObject);
IDispatch* newRecipients(Com<IMessage> message, Com<IDispatch> item);

IDispatch* newSafeMailItem();
IDispatch* newMapiUtils();
IDispatch* newMapiTable();
IDispatch* newAddressLists();

/// "What failed (MAPI_E_...)."
std::wstring described(const std::wstring& what, HRESULT hr);

}  // namespace tarn
