// What the stand-in's MAPI objects know of each other: their factories, entry ids and a message's properties.
#pragma once

#include <memory>
#include <string>

#include "Model.h"
#include "mapi/MapiObject.h"

namespace tw::standin::mapi {

using ModelPtr = std::shared_ptr<Model>;

// Property ids mapitags.h does not name.
inline constexpr ULONG kHtmlId = 0x1013;  // PR_HTML (binary, UTF-8) and PR_BODY_HTML (text)
inline constexpr ULONG kInternetCpidId = 0x3FDE;
inline constexpr ULONG kSmtpAddressId = 0x39FE;
inline constexpr ULONG kLongTermEntryIdId = 0x6670;  // PR_LONGTERM_ENTRYID_FROM_TABLE

/// The value of a message property under a tag; absent when the message has none.
PropValue messageProperty(const Model& model, const ItemData& item, ULONG tag);

IMessage* newMessage(ModelPtr model, std::shared_ptr<ItemData> item);
IMAPIFolder* newFolder(ModelPtr model, std::shared_ptr<FolderData> folder);
IMsgStore* newStore(ModelPtr model);
IAddrBook* newAddressBook(ModelPtr model);
IMAPIStatus* newStatus(ModelPtr model, ULONG resourceType);

/// A folder (MAPI_FOLDER) or message (MAPI_MESSAGE) of the store by entry id; else MAPI_E_NOT_FOUND.
HRESULT openStoreEntry(const ModelPtr& model, ULONG size, LPENTRYID id, LPCIID iid, ULONG* type, LPUNKNOWN* out);
/// An address-book container or entry by entry id (none: the root container); else MAPI_E_NOT_FOUND.
HRESULT openAddressEntry(const ModelPtr& model, ULONG size, LPENTRYID id, LPCIID iid, ULONG* type, LPUNKNOWN* out);

/// The stand-in's own entry ids (address book, status objects): flags, its provider's UID, a kind, the payload.
std::string ownEntryId(char kind, const std::string& payload);
bool readOwnEntryId(ULONG size, LPENTRYID id, char& kind, std::string& payload);
/// The entry id of an address (an EX one resolves to its directory entry, any other opens as a one-off).
std::string addressEntryId(const std::wstring& type, const std::wstring& address, const std::wstring& name);

}  // namespace tw::standin::mapi
