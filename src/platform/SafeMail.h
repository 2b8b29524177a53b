// Safe mail access port: the outside library's objects that read what the mail client guards with a
// security prompt (sender, recipients, bodies, raw MAPI properties) and its MAPI table.
// Objects are created by ProgID through SafeMail; calls that fail raise Error.
// Thread rule: the mail client's user-interface thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "core/OleDate.h"
#include "platform/Outlook.h"

namespace tw::safemail {

/// MAPI property tags used by the add-in (type in the low 16 bits: 001E 8-bit string, 0102 binary,
/// 0003 32-bit integer, 0040 time).
enum PropTag : uint32_t {
    PR_SUBJECT = 0x0037001E,
    PR_TRANSPORT_MESSAGE_HEADERS = 0x007D001E,
    PR_SENDER_ADDRTYPE = 0x0C1E001E,
    PR_SENDER_EMAIL_ADDRESS = 0x0C1F001E,
    PR_MESSAGE_CLASS = 0x001A001E,
    PR_MESSAGE_FLAGS = 0x0E070003,
    PR_ENTRYID = 0x0FFF0102,
    PR_STORE_ENTRYID = 0x0FFB0102,
    PR_CREATION_TIME = 0x30070040,
    PR_MESSAGE_DELIVERY_TIME = 0x0E060040,
    PR_SMTP_ADDRESS = 0x39FE001E,
    PR_LONGTERM_ENTRYID_FROM_TABLE = 0x66700102,
};

/// Bits of PR_MESSAGE_FLAGS.
enum MessageFlag : uint32_t {
    MSGFLAG_READ = 0x1, MSGFLAG_UNMODIFIED = 0x2, MSGFLAG_SUBMIT = 0x4, MSGFLAG_UNSENT = 0x8,
    MSGFLAG_HASATTACH = 0x10, MSGFLAG_FROMME = 0x20,
};

/// One property value as MAPI hands it out. Error: the property is absent (a table column the row
/// lacks). Binary values are their bytes in a string.
struct PropValue {
    struct PropError {
        long code = -2147221233;  // MAPI_E_NOT_FOUND
    };
    std::variant<std::monostate, PropError, std::string, int32_t, bool, OleDate> value;

    bool isEmpty() const { return std::holds_alternative<std::monostate>(value); }
    bool isError() const { return std::holds_alternative<PropError>(value); }
    /// The text of a string or binary value; empty for anything else.
    std::string text() const;
    /// The number of an integer value; 0 for anything else.
    int32_t number() const;
};

inline std::string PropValue::text() const {
    if (auto s = std::get_if<std::string>(&value)) return *s;
    return {};
}
inline int32_t PropValue::number() const {
    if (auto n = std::get_if<int32_t>(&value)) return *n;
    return 0;
}

/// A sender's or recipient's address: Type "SMTP" (Address is the Internet address) or "EX" (Address
/// is the directory name; Fields(PR_SMTP_ADDRESS) is the Internet address).
class AddressEntry {
public:
    virtual ~AddressEntry() = default;
    virtual std::string Name() = 0;
    virtual std::string Type() = 0;
    virtual std::string Address() = 0;
    /// A property by tag; Empty when the entry does not have it.
    virtual PropValue Fields(uint32_t propTag) = 0;
};

class SafeRecipient {
public:
    virtual ~SafeRecipient() = default;
    virtual std::string Name() = 0;
    /// outlook::olTo, olCC or olBCC.
    virtual int Type() = 0;
    /// Nothing for a recipient that is not resolved to an address.
    virtual std::shared_ptr<safemail::AddressEntry> AddressEntry() = 0;
};

class SafeRecipients {
public:
    virtual ~SafeRecipients() = default;
    virtual int Count() = 0;
    /// 1-based.
    virtual std::shared_ptr<SafeRecipient> Item(int index) = 0;
    /// Adds a To recipient given as an address or as "Name <address>".
    virtual std::shared_ptr<SafeRecipient> Add(const std::string& nameOrAddress) = 0;
};

/// A mail item read and written without the client's security prompt. Bind it with setItem first;
/// every other call raises until then.
class SafeMailItem {
public:
    virtual ~SafeMailItem() = default;
    virtual void setItem(std::shared_ptr<outlook::Item> item) = 0;
    virtual std::shared_ptr<outlook::Item> Item() = 0;
    /// A property of the message by tag (PR_SENDER_ADDRTYPE ...); Empty when the message lacks it.
    virtual PropValue Fields(uint32_t propTag) = 0;
    /// The sender's address entry; nothing for a message without a sender.
    virtual std::shared_ptr<AddressEntry> Sender() = 0;
    /// The sender's display name (the address when the sender has no name).
    virtual std::string SenderName() = 0;
    virtual std::shared_ptr<SafeRecipients> Recipients() = 0;
    virtual std::string Body() = 0;
    virtual void setBody(const std::string& value) = 0;
    virtual std::string HTMLBody() = 0;
    virtual void Send() = 0;
};

class MAPIUtils {
public:
    virtual ~MAPIUtils() = default;
    /// One property of a message (PR_TRANSPORT_MESSAGE_HEADERS ...); raises MAPI_E_NOT_FOUND
    /// (-2147221233) when the message does not have it.
    virtual PropValue HrGetOneProp(outlook::Item& item, uint32_t propTag) = 0;
    /// Makes the transport send what waits in the Outbox now.
    virtual void DeliverNow(int flags = 0, intptr_t parentWindow = 0) = 0;
    /// Lets go of everything the utilities hold; called once at teardown.
    virtual void Cleanup() = 0;
};

/// Restriction kinds and bit-mask relations of a table filter.
enum RestrictionKind : int { RES_BITMASK = 6 };
enum BitmaskRelation : int { BMR_EQZ = 0, BMR_NEZ = 1 };

/// Rows whose property, masked, is all zero (BMR_EQZ) or has a bit set (BMR_NEZ).
struct BitmaskRestriction {
    uint32_t ulPropTag = 0;
    uint32_t ulMask = 0;
    int relBMR = BMR_EQZ;
};

class TableFilter {
public:
    virtual ~TableFilter() = default;
    /// No restriction: every row matches.
    virtual void Clear() = 0;
    /// Turns the filter into a restriction of that kind and answers it for filling in; only
    /// RES_BITMASK is known, any other kind raises. The table reads it at its next FindFirst.
    virtual BitmaskRestriction& SetKind(int kind) = 0;
};

/// The contents table of a folder: one row per message, the columns chosen by setColumns.
class MAPITable {
public:
    virtual ~MAPITable() = default;
    /// The item collection whose folder the table shows (its Item property).
    virtual void setItem(std::shared_ptr<outlook::Items> items) = 0;
    virtual TableFilter& Filter() = 0;
    /// Property tags of the columns, in order.
    virtual void setColumns(const std::vector<uint32_t>& propTags) = 0;
    /// Rows matching the filter.
    virtual int RowCount() = 0;
    /// Back to before the first row.
    virtual void GoToFirst() = 0;
    /// Moves to the first (last, searching backwards) row matching the filter; false when none does.
    virtual bool FindFirst(bool forward = true) = 0;
    /// Moves to the next matching row after (before) the current one; false when none is left.
    virtual bool FindNext(bool forward = true) = 0;
    /// The current row, one value per column (Error for a column the row lacks); empty when there
    /// is no current row.
    virtual std::vector<PropValue> GetRow() = 0;
    /// Up to count matching rows after the current position, which moves past them; an empty
    /// batch at the end.
    virtual std::vector<std::vector<PropValue>> GetRows(int count) = 0;
};

/// The entries of an address list, 1-based.
class AddressEntries {
public:
    virtual ~AddressEntries() = default;
    virtual int Count() = 0;
    virtual std::shared_ptr<safemail::AddressEntry> Item(int index) = 0;
};

class AddressList {
public:
    virtual ~AddressList() = default;
    virtual std::string Name() = 0;
    /// Raises when the book cannot be opened.
    virtual std::shared_ptr<safemail::AddressEntries> AddressEntries() = 0;
};

/// The profile's address books read without the client's security prompt, in the profile's order.
class AddressLists {
public:
    virtual ~AddressLists() = default;
    virtual int Count() = 0;
    /// 1-based.
    virtual std::shared_ptr<AddressList> Item(int index) = 0;
};

/// Creates the outside library's objects by ProgID ("TarnwickRedemption.TarnwickSafeMailItem",
/// "TarnwickRedemption.TarnwickMAPIUtils", "TarnwickRedemption.TarnwickMAPITable",
/// "TarnwickRedemption.TarnwickAddressLists"). A ProgID that is
/// not registered for that class raises error 429, as CreateObject does.
class SafeMail {
public:
    virtual ~SafeMail() = default;
    virtual std::shared_ptr<SafeMailItem> CreateSafeMailItem(const std::string& progId) = 0;
    virtual std::shared_ptr<MAPIUtils> CreateMAPIUtils(const std::string& progId) = 0;
    virtual std::shared_ptr<MAPITable> CreateMAPITable(const std::string& progId) = 0;
    virtual std::shared_ptr<AddressLists> CreateAddressLists(const std::string& progId) = 0;
};

}  // namespace tw::safemail
