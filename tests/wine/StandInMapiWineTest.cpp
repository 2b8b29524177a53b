// The stand-in client's MAPI objects called as a MAPI client calls them: properties, tables, the shared session,
// the transport queue and the address book, with every object and buffer let go at the end.
#include <windows.h>
#include <mapix.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ComBase.h"
#include "StandInClient.h"
#include "mapi/StandInMapi.h"

namespace tw::winetest {
namespace {

using standin::Ref;
using standin::StandInClient;
using standin::Variant;

constexpr const char* kInbox = "\\Personal Folders\\Inbox";
constexpr ULONG kHtml = PROP_TAG(PT_BINARY, 0x1013), kBodyHtmlW = PROP_TAG(PT_UNICODE, 0x1013);
constexpr ULONG kInternetCpid = PROP_TAG(PT_LONG, 0x3FDE), kSmtpAddressW = PROP_TAG(PT_UNICODE, 0x39FE);
constexpr ULONG kLongTermEntryId = PROP_TAG(PT_BINARY, 0x6670);

ULONG a(ULONG tag) { return PROP_TAG(PT_STRING8, PROP_ID(tag)); }
ULONG w(ULONG tag) { return PROP_TAG(PT_UNICODE, PROP_ID(tag)); }

/// A tag array as MAPI lays it out: the count, then the tags.
struct Tags {
    explicit Tags(std::vector<ULONG> tags) : v(1, static_cast<ULONG>(tags.size())) { v.insert(v.end(), tags.begin(), tags.end()); }
    SPropTagArray* get() { return reinterpret_cast<SPropTagArray*>(v.data()); }
    std::vector<ULONG> v;
};

/// One value copied out of a MAPI buffer.
struct Cell {
    ULONG tag = 0;
    std::wstring text;
    std::string bytes;
    LONG number = 0;
    FILETIME time{};
    bool error() const { return PROP_TYPE(tag) == PT_ERROR; }
};

Cell cellOf(const SPropValue& v) {
    Cell c{v.ulPropTag, {}, {}, 0, {}};
    switch (PROP_TYPE(v.ulPropTag)) {
        case PT_UNICODE: c.text = v.Value.lpszW; break;
        case PT_STRING8: c.bytes = v.Value.lpszA; break;
        case PT_BINARY: c.bytes.assign(reinterpret_cast<const char*>(v.Value.bin.lpb), v.Value.bin.cb); break;
        case PT_SYSTIME: c.time = v.Value.ft; break;
        case PT_ERROR: c.number = v.Value.err; break;
        default: c.number = v.Value.l; break;
    }
    return c;
}

std::wstring hexOf(const std::string& bytes) {
    static const wchar_t digits[] = L"0123456789ABCDEF";
    std::wstring hex;
    for (unsigned char b : bytes) hex += {digits[b >> 4], digits[b & 15]};
    return hex;
}

std::string bytesOf(const std::wstring& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::string ansi(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

Variant get(IDispatch* object, const wchar_t* name, std::vector<Variant> args = {}, HRESULT* idsResult = nullptr) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    Variant result;
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (idsResult) *idsResult = hr;
    if (FAILED(hr)) return result;
    std::vector<VARIANT> reversed;
    for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(it->value());
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    EXPECT_EQ(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params, result.get(),
                             nullptr, nullptr),
              S_OK);
    return result;
}

Ref<IDispatch> object(IDispatch* parent, const wchar_t* name, std::vector<Variant> args = {}) {
    Variant v = get(parent, name, std::move(args));
    return v.type() == VT_DISPATCH ? Ref<IDispatch>(V_DISPATCH(&v.value())) : Ref<IDispatch>();
}

/// DISP_E_UNKNOWNNAME when the object has no member of that name.
HRESULT lookUp(IDispatch* object, const wchar_t* name) {
    HRESULT hr = S_OK;
    get(object, name, {}, &hr);
    return hr;
}

template <class I>
Ref<I> as(IUnknown* unknown, const IID& iid) {
    Ref<I> out;
    if (unknown) unknown->QueryInterface(iid, reinterpret_cast<void**>(out.put()));
    return out;
}

template <class I>
Ref<I> mapiObject(IDispatch* parent, const IID& iid) {
    Variant v = get(parent, L"MAPIOBJECT");
    EXPECT_EQ(v.type(), VT_UNKNOWN);
    return v.type() == VT_UNKNOWN ? as<I>(V_UNKNOWN(&v.value()), iid) : Ref<I>();
}

class StandInMapi : public ::testing::Test {
protected:
    void SetUp() override {
        // The fixture's own hold on mapi32.dll outlives the client, so the buffers left can be read at the end.
        module_ = LoadLibraryW(L"mapi32.dll");
        ASSERT_NE(module_, nullptr);
        ASSERT_NE(fn<void*>("StandInMapiShareSession"), nullptr) << "Wine loaded its own mapi32.dll, not the stand-in's";
        client = std::make_unique<StandInClient>();
    }
    void TearDown() override {
        client.reset();
        EXPECT_EQ(standin::liveMapiObjects(), 0) << "MAPI objects left alive";
        EXPECT_EQ(fn<LONG(WINAPI*)()>("StandInMapiOutstandingBuffers")(), 0) << "MAPI buffers left unfreed";
        FreeLibrary(module_);
    }

    template <class F>
    F fn(const char* name) const {
        return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }
    void freeBuffer(void* buffer) const { fn<LPMAPIFREEBUFFER>("MAPIFreeBuffer")(buffer); }

    std::vector<Cell> props(IMAPIProp* object, std::vector<ULONG> tags, HRESULT expected) {
        Tags array(std::move(tags));
        ULONG count = 0;
        LPSPropValue values = nullptr;
        EXPECT_EQ(object->GetProps(array.get(), 0, &count, &values), expected);
        std::vector<Cell> cells;
        for (ULONG i = 0; i < count; ++i) cells.push_back(cellOf(values[i]));
        freeBuffer(values);
        return cells;
    }
    /// QueryRows, each row's values copied out; the buffers freed as FreeProws does.
    std::vector<std::vector<Cell>> rows(IMAPITable* table, LONG count) {
        LPSRowSet set = nullptr;
        EXPECT_EQ(table->QueryRows(count, 0, &set), S_OK);
        std::vector<std::vector<Cell>> out;
        for (ULONG r = 0; set && r < set->cRows; ++r) {
            out.emplace_back();
            for (ULONG c = 0; c < set->aRow[r].cValues; ++c) out.back().push_back(cellOf(set->aRow[r].lpProps[c]));
            freeBuffer(set->aRow[r].lpProps);
        }
        freeBuffer(set);
        return out;
    }
    std::string stream(IMAPIProp* object, ULONG tag) {
        Ref<IUnknown> unknown;
        EXPECT_EQ(object->OpenProperty(tag, &IID_IStream, STGM_READ, 0, unknown.put()), S_OK);
        auto s = as<IStream>(unknown.get(), IID_IStream);
        std::string data;
        char chunk[4096];
        ULONG read = 0;
        while (s && SUCCEEDED(s->Read(chunk, sizeof(chunk), &read)) && read > 0) data.append(chunk, read);
        return data;
    }
    Ref<IMessage> message(const std::string& entryId) {
        auto ns = object(client->application(), L"Session");
        auto item = object(ns.get(), L"GetItemFromID", {Variant::text(std::wstring(entryId.begin(), entryId.end()))});
        return mapiObject<IMessage>(item.get(), IID_IMessage);
    }
    /// The shared session, as a MAPI client logs on to it.
    Ref<IMAPISession> logOn() {
        EXPECT_EQ(fn<LPMAPIINITIALIZE>("MAPIInitialize")(nullptr), S_OK);
        Ref<IMAPISession> session;
        EXPECT_EQ(fn<LPMAPILOGONEX>("MAPILogonEx")(0, nullptr, nullptr, MAPI_EXTENDED | MAPI_USE_DEFAULT, session.put()), S_OK);
        return session;
    }
    void logOff(Ref<IMAPISession>& session) {
        if (session) {
            EXPECT_EQ(session->Logoff(0, 0, 0), S_OK);
        }
        session.reset();
        fn<LPMAPIUNINITIALIZE>("MAPIUninitialize")();
    }

    HMODULE module_ = nullptr;
    std::unique_ptr<StandInClient> client;
};

TEST_F(StandInMapi, MessagePropertiesComeInEitherWidthAndLargeOnesOnlyThroughAStream) {
    client->setVersion("9.0.0.2711");
    std::string htmlUtf8 = "<html><body><p>Gr\xC3\xBC\xC3\x9F" "e</p>" + std::string(200 * 1024, 'x') + "</body></html>";
    std::wstring html(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, htmlUtf8.c_str(), -1, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, htmlUtf8.c_str(), -1, html.data(), static_cast<int>(html.size()));
    html.pop_back();
    standin::MailSpec spec;
    spec.senderName = "Ann Smith";
    spec.senderAddress = "ann@example.com";
    spec.subject = "Gr\xC3\xBC\xC3\x9F" "e";
    spec.htmlBody = htmlUtf8;
    spec.unread = false;
    std::string id = client->addMail(kInbox, spec);
    // Every version hands out the item's message.
    auto mail = object(object(client->application(), L"Session").get(), L"GetItemFromID", {Variant::text(std::wstring(id.begin(), id.end()))});
    auto msg = mapiObject<IMessage>(mail.get(), IID_IMessage);
    ASSERT_TRUE(msg);

    auto cells = props(msg.get(), {a(PR_SUBJECT), w(PR_SUBJECT), PR_MESSAGE_FLAGS, PR_ENTRYID, a(PR_SENDER_ADDRTYPE), kHtml,
                                   kBodyHtmlW, kInternetCpid, PR_MESSAGE_DELIVERY_TIME, w(PR_BODY), PROP_TAG(PT_LONG, PROP_ID(PR_SUBJECT))},
                       MAPI_W_ERRORS_RETURNED);
    ASSERT_EQ(cells.size(), 11u);
    EXPECT_EQ(cells[0].bytes, ansi(L"Gr\u00FC\u00DFe"));
    EXPECT_EQ(cells[1].text, L"Gr\u00FC\u00DFe");
    EXPECT_EQ(cells[2].number, static_cast<LONG>(MSGFLAG_READ));
    EXPECT_EQ(hexOf(cells[3].bytes), get(mail.get(), L"EntryID").asText());
    EXPECT_EQ(cells[4].bytes, "SMTP");
    for (int large : {5, 6}) {
        EXPECT_EQ(cells[large].tag, PROP_TAG(PT_ERROR, 0x1013));
        EXPECT_EQ(cells[large].number, MAPI_E_NOT_ENOUGH_MEMORY);
    }
    EXPECT_EQ(cells[7].number, 65001);
    SYSTEMTIME st{};
    DATE delivered = 0;
    ASSERT_TRUE(FileTimeToSystemTime(&cells[8].time, &st));
    ASSERT_TRUE(SystemTimeToVariantTime(&st, &delivered));
    EXPECT_DOUBLE_EQ(delivered, V_DATE(&get(mail.get(), L"ReceivedTime").value()));
    // No body, and a tag of the wrong type: not found.
    for (int absent : {9, 10}) {
        EXPECT_TRUE(cells[absent].error());
        EXPECT_EQ(cells[absent].number, MAPI_E_NOT_FOUND);
    }

    // Whole through a stream: the HTML's UTF-8 bytes, and the wide text without a terminator.
    EXPECT_EQ(stream(msg.get(), kHtml), htmlUtf8);
    EXPECT_EQ(stream(msg.get(), kBodyHtmlW), std::string(reinterpret_cast<const char*>(html.data()), html.size() * sizeof(wchar_t)));
    Ref<IUnknown> unknown;
    EXPECT_EQ(msg->OpenProperty(kHtml, &IID_IMessage, 0, 0, unknown.put()), MAPI_E_INTERFACE_NOT_SUPPORTED);
    EXPECT_EQ(msg->OpenProperty(w(PR_BODY), &IID_IStream, STGM_READ, 0, unknown.put()), MAPI_E_NOT_FOUND);

    // The message is a live view of the item: a body set through MAPI is the item's body.
    SPropValue body{};
    body.ulPropTag = w(PR_BODY);
    body.Value.lpszW = const_cast<LPWSTR>(L"Set through MAPI");
    EXPECT_EQ(msg->SetProps(1, &body, nullptr), S_OK);
    EXPECT_EQ(msg->SaveChanges(KEEP_OPEN_READWRITE), S_OK);
    EXPECT_EQ(get(mail.get(), L"Body").asText(), L"Set through MAPI");
}

TEST_F(StandInMapi, RecipientTableListsEveryKindAndAMessageWithoutSenderHasNoSenderProperties) {
    standin::MailSpec spec;
    spec.to = {"Tom <tom@example.com>"};
    spec.cc = {"Cy <cy@example.com>"};
    spec.bcc = {"bea@example.com"};
    auto msg = message(client->addMail(kInbox, spec));
    ASSERT_TRUE(msg);
    for (const Cell& c : props(msg.get(), {a(PR_SENDER_NAME), a(PR_SENDER_EMAIL_ADDRESS), a(PR_SENDER_ADDRTYPE), PR_SENDER_ENTRYID,
                                           w(PR_SENT_REPRESENTING_NAME)},
                               MAPI_W_ERRORS_RETURNED)) {
        EXPECT_TRUE(c.error());
    }

    Ref<IMAPITable> table;
    ASSERT_EQ(msg->GetRecipientTable(0, table.put()), S_OK);
    LPSPropTagArray columns = nullptr;
    ASSERT_EQ(table->QueryColumns(0, &columns), S_OK);
    EXPECT_EQ(std::vector<ULONG>(columns->aulPropTag, columns->aulPropTag + columns->cValues),
              (std::vector<ULONG>{PR_ROWID, a(PR_DISPLAY_NAME), PR_RECIPIENT_TYPE, a(PR_ADDRTYPE), a(PR_EMAIL_ADDRESS), PR_ENTRYID}));
    freeBuffer(columns);
    Tags wanted({w(PR_DISPLAY_NAME), PR_RECIPIENT_TYPE, a(PR_EMAIL_ADDRESS)});
    ASSERT_EQ(table->SetColumns(wanted.get(), 0), S_OK);
    auto got = rows(table.get(), 10);
    ASSERT_EQ(got.size(), 3u);
    const std::vector<std::pair<std::wstring, LONG>> expected{{L"Tom", MAPI_TO}, {L"Cy", MAPI_CC}, {L"bea@example.com", MAPI_BCC}};
    for (size_t i = 0; i < 3; ++i) {
        ASSERT_EQ(got[i].size(), 3u);
        EXPECT_EQ(got[i][0].text, expected[i].first);
        EXPECT_EQ(got[i][1].number, expected[i].second);
    }
    EXPECT_EQ(got[1][2].bytes, "cy@example.com");
    EXPECT_TRUE(rows(table.get(), 10).empty()) << "past the end a table answers no rows";
}

TEST_F(StandInMapi, AnExchangeSenderResolvesThroughTheAddressBookToItsInternetAddress) {
    client->addAddressBook("Global Address List", {{"Bob Jones", "EX", "/o=Org/cn=bob", "bob@corp.example"}});
    standin::MailSpec ex;
    ex.senderName = "Bob Jones";
    ex.senderAddress = "/o=Org/cn=bob";
    ex.senderType = "EX";
    std::string exId = client->addMail(kInbox, ex);
    standin::MailSpec stranger = ex;
    stranger.senderAddress = "/o=Org/cn=gone";

    auto mail = object(object(client->application(), L"Session").get(), L"GetItemFromID", {Variant::text(std::wstring(exId.begin(), exId.end()))});
    EXPECT_EQ(get(mail.get(), L"SenderEmailAddress").asText(), L"/o=Org/cn=bob");
    auto session = logOn();
    ASSERT_TRUE(session);
    Ref<IAddrBook> book;
    ASSERT_EQ(session->OpenAddressBook(0, nullptr, AB_NO_DIALOG, book.put()), S_OK);

    // Opens the sender's entry id in the address book; answers PR_SMTP_ADDRESS, or the failure.
    auto senderSmtp = [&](const std::string& id, HRESULT expectedOpen) -> std::vector<Cell> {
        auto msg = message(id);
        auto cells = props(msg.get(), {a(PR_SENDER_ADDRTYPE), a(PR_SENDER_EMAIL_ADDRESS), PR_SENDER_ENTRYID}, S_OK);
        ULONG type = 0;
        Ref<IUnknown> entry;
        EXPECT_EQ(book->OpenEntry(static_cast<ULONG>(cells[2].bytes.size()), reinterpret_cast<LPENTRYID>(cells[2].bytes.data()),
                                  nullptr, 0, &type, entry.put()),
                  expectedOpen);
        if (FAILED(expectedOpen)) return cells;
        EXPECT_EQ(type, static_cast<ULONG>(MAPI_MAILUSER));
        auto user = as<IMailUser>(entry.get(), IID_IMailUser);
        if (!user) return cells;
        auto found = props(user.get(), {kSmtpAddressW, w(PR_EMAIL_ADDRESS)}, S_OK);
        cells.insert(cells.end(), found.begin(), found.end());
        return cells;
    };
    auto cells = senderSmtp(exId, S_OK);
    ASSERT_EQ(cells.size(), 5u);
    EXPECT_EQ(cells[0].bytes, "EX");
    EXPECT_EQ(cells[1].bytes, "/o=Org/cn=bob");
    EXPECT_EQ(cells[3].text, L"bob@corp.example");
    // A directory name the directory does not know opens nothing.
    senderSmtp(client->addMail(kInbox, stranger), MAPI_E_NOT_FOUND);
    logOff(session);
}

TEST_F(StandInMapi, SmtpSenderOpensAsAOneOffWithoutAnInternetAddressOfItsOwn) {
    standin::MailSpec smtp;
    smtp.senderName = "Ann";
    smtp.senderAddress = "ann@example.com";
    auto msg = message(client->addMail(kInbox, smtp));
    auto session = logOn();
    Ref<IAddrBook> book;
    ASSERT_EQ(session->OpenAddressBook(0, nullptr, AB_NO_DIALOG, book.put()), S_OK);
    auto id = props(msg.get(), {PR_SENDER_ENTRYID}, S_OK)[0].bytes;
    ULONG type = 0;
    Ref<IUnknown> entry;
    ASSERT_EQ(book->OpenEntry(static_cast<ULONG>(id.size()), reinterpret_cast<LPENTRYID>(id.data()), nullptr, 0, &type, entry.put()), S_OK);
    auto user = as<IMailUser>(entry.get(), IID_IMailUser);
    ASSERT_TRUE(user);
    auto cells = props(user.get(), {w(PR_DISPLAY_NAME), a(PR_ADDRTYPE), w(PR_EMAIL_ADDRESS), kSmtpAddressW}, MAPI_W_ERRORS_RETURNED);
    EXPECT_EQ(cells[0].text, L"Ann");
    EXPECT_EQ(cells[1].bytes, "SMTP");
    EXPECT_EQ(cells[2].text, L"ann@example.com");
    EXPECT_TRUE(cells[3].error());
    logOff(session);
}

TEST_F(StandInMapi, ContentsTableOfTenThousandMessagesWalksARestrictionBothWays) {
    constexpr int kCount = 10000;
    std::vector<std::string> readSubjects;
    for (int i = 0; i < kCount; ++i) {
        standin::MailSpec spec;
        spec.subject = "Message " + std::to_string(i);
        spec.unread = i % 3 != 0;
        if (!spec.unread) readSubjects.push_back(spec.subject);
        client->addMail(kInbox, spec);
    }
    auto inbox = object(object(client->application(), L"Session").get(), L"GetDefaultFolder", {Variant::integer(6)});
    auto folder = mapiObject<IMAPIFolder>(inbox.get(), IID_IMAPIFolder);
    ASSERT_TRUE(folder);
    Ref<IMAPITable> table;
    ASSERT_EQ(folder->GetContentsTable(0, table.put()), S_OK);
    Tags columns({kLongTermEntryId, PR_MESSAGE_FLAGS, a(PR_SUBJECT)});
    ASSERT_EQ(table->SetColumns(columns.get(), 0), S_OK);
    {
        // The table keeps its own copy: the caller's restriction is gone before the rows are read.
        SRestriction read{};
        read.rt = RES_BITMASK;
        read.res.resBitMask = {BMR_NEZ, PR_MESSAGE_FLAGS, MSGFLAG_READ};
        ASSERT_EQ(table->Restrict(&read, 0), S_OK);
        read.res.resBitMask.relBMR = BMR_EQZ;
    }
    ULONG count = 0;
    ASSERT_EQ(table->GetRowCount(0, &count), S_OK);
    EXPECT_EQ(count, readSubjects.size());

    std::vector<std::string> walked;
    for (auto batch = rows(table.get(), 700); !batch.empty(); batch = rows(table.get(), 700)) {
        for (const auto& row : batch) {
            EXPECT_EQ(row[1].number & static_cast<LONG>(MSGFLAG_READ), static_cast<LONG>(MSGFLAG_READ));
            walked.push_back(row[2].bytes);
        }
    }
    EXPECT_EQ(walked, readSubjects);

    LONG sought = 0;
    ASSERT_EQ(table->SeekRow(BOOKMARK_END, 0, &sought), S_OK);
    auto back = rows(table.get(), -10);
    ASSERT_EQ(back.size(), 10u);
    for (size_t i = 0; i < back.size(); ++i) EXPECT_EQ(back[i][2].bytes, readSubjects[readSubjects.size() - 1 - i]);
    ULONG row = 0, numerator = 0, denominator = 0;
    ASSERT_EQ(table->QueryPosition(&row, &numerator, &denominator), S_OK);
    EXPECT_EQ(row, readSubjects.size() - 10);
    ASSERT_EQ(table->SeekRow(BOOKMARK_CURRENT, -100000, &sought), S_OK);
    EXPECT_EQ(sought, -static_cast<LONG>(readSubjects.size() - 10));
    // Each row's long-term entry id is the message's, which the folder opens.
    auto first = rows(table.get(), 1);
    ASSERT_EQ(first.size(), 1u);
    ULONG type = 0;
    Ref<IUnknown> opened;
    std::string eid = first[0][0].bytes;
    ASSERT_EQ(folder->OpenEntry(static_cast<ULONG>(eid.size()), reinterpret_cast<LPENTRYID>(eid.data()), nullptr, 0, &type, opened.put()), S_OK);
    EXPECT_EQ(type, static_cast<ULONG>(MAPI_MESSAGE));

    SRestriction unread{};
    unread.rt = RES_BITMASK;
    unread.res.resBitMask = {BMR_EQZ, PR_MESSAGE_FLAGS, MSGFLAG_READ};
    ASSERT_EQ(table->Restrict(&unread, 0), S_OK);
    ASSERT_EQ(table->GetRowCount(0, &count), S_OK);
    EXPECT_EQ(count, kCount - readSubjects.size());
    SRestriction both{};
    both.rt = RES_AND;
    EXPECT_EQ(table->Restrict(&both, 0), MAPI_E_TOO_COMPLEX);
    ASSERT_EQ(table->Restrict(nullptr, 0), S_OK);
    ASSERT_EQ(table->GetRowCount(0, &count), S_OK);
    EXPECT_EQ(count, static_cast<ULONG>(kCount));
}

TEST_F(StandInMapi, Version9HasNoFolderOrSessionObjectButTheSharedSessionOpensTheFolder) {
    client->setVersion("9.0.0.2711");
    auto ns = object(client->application(), L"Session");
    auto inbox = object(ns.get(), L"GetDefaultFolder", {Variant::integer(6)});
    auto items = object(inbox.get(), L"Items");
    EXPECT_EQ(lookUp(inbox.get(), L"MAPIOBJECT"), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(lookUp(ns.get(), L"MAPIOBJECT"), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(lookUp(items.get(), L"MAPIOBJECT"), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(get(object(items.get(), L"Parent").get(), L"Name").asText(), L"Inbox");
    std::string id = client->addMail(kInbox, {});
    std::wstring folderId = get(inbox.get(), L"EntryID").asText(), storeId = get(inbox.get(), L"StoreID").asText();

    LPMAPISESSION none = nullptr;
    EXPECT_EQ(fn<LPMAPILOGONEX>("MAPILogonEx")(0, nullptr, nullptr, MAPI_EXTENDED, &none), MAPI_E_NOT_INITIALIZED);
    standin::MapiCalls before = client->mapiCalls();
    auto session = logOn();
    ASSERT_TRUE(session);
    for (ULONG flags : std::vector<ULONG>{MAPI_EXTENDED | MAPI_LOGON_UI, MAPI_EXTENDED | MAPI_NEW_SESSION, MAPI_USE_DEFAULT}) {
        EXPECT_EQ(fn<LPMAPILOGONEX>("MAPILogonEx")(0, nullptr, nullptr, flags, &none), MAPI_E_LOGON_FAILED) << flags;
    }
    standin::MapiCalls after = client->mapiCalls();
    EXPECT_EQ(after.initialized, before.initialized + 1);
    EXPECT_EQ(after.logons, before.logons + 4);
    EXPECT_EQ(after.prompts, before.prompts + 1);

    std::string storeBytes = bytesOf(storeId), folderBytes = bytesOf(folderId), itemBytes = bytesOf(std::wstring(id.begin(), id.end()));
    Ref<IMsgStore> store;
    ASSERT_EQ(session->OpenMsgStore(0, static_cast<ULONG>(storeBytes.size()), reinterpret_cast<LPENTRYID>(storeBytes.data()), nullptr,
                                    MDB_NO_DIALOG, store.put()),
              S_OK);
    ULONG type = 0;
    Ref<IUnknown> opened;
    ASSERT_EQ(store->OpenEntry(static_cast<ULONG>(folderBytes.size()), reinterpret_cast<LPENTRYID>(folderBytes.data()), nullptr, 0,
                               &type, opened.put()),
              S_OK);
    EXPECT_EQ(type, static_cast<ULONG>(MAPI_FOLDER));
    auto folder = as<IMAPIFolder>(opened.get(), IID_IMAPIFolder);
    ASSERT_TRUE(folder);
    auto cells = props(folder.get(), {w(PR_DISPLAY_NAME), PR_CONTENT_COUNT, PR_ENTRYID}, S_OK);
    EXPECT_EQ(cells[0].text, L"Inbox");
    EXPECT_EQ(cells[1].number, 1);
    EXPECT_EQ(cells[2].bytes, folderBytes);
    ASSERT_EQ(store->OpenEntry(static_cast<ULONG>(itemBytes.size()), reinterpret_cast<LPENTRYID>(itemBytes.data()), &IID_IMessage, 0,
                               &type, opened.put()),
              S_OK);
    EXPECT_EQ(type, static_cast<ULONG>(MAPI_MESSAGE));
    std::string unknown = itemBytes;
    unknown.back() = static_cast<char>(unknown.back() ^ 0x55);
    EXPECT_EQ(store->OpenEntry(static_cast<ULONG>(unknown.size()), reinterpret_cast<LPENTRYID>(unknown.data()), nullptr, 0, &type,
                               opened.put()),
              MAPI_E_NOT_FOUND);
    Ref<IMsgStore> elsewhere;
    EXPECT_EQ(session->OpenMsgStore(0, static_cast<ULONG>(unknown.size()), reinterpret_cast<LPENTRYID>(unknown.data()), nullptr,
                                    MDB_NO_DIALOG, elsewhere.put()),
              MAPI_E_NOT_FOUND);

    // Without a shared session there is nothing to log on to.
    client->shareMapiSession(false);
    EXPECT_EQ(fn<LPMAPILOGONEX>("MAPILogonEx")(0, nullptr, nullptr, MAPI_EXTENDED | MAPI_USE_DEFAULT, &none), MAPI_E_LOGON_FAILED);
    EXPECT_EQ(none, nullptr);
    logOff(session);
}

TEST_F(StandInMapi, Version10FolderAndNameSpaceHandOutTheirMapiObjects) {
    client->setVersion("10.0.2627.1");
    auto ns = object(client->application(), L"Session");
    auto folder = mapiObject<IMAPIFolder>(object(ns.get(), L"GetDefaultFolder", {Variant::integer(6)}).get(), IID_IMAPIFolder);
    EXPECT_TRUE(folder);
    EXPECT_FALSE(as<IMessage>(folder.get(), IID_IMessage));
    EXPECT_TRUE(mapiObject<IMAPISession>(ns.get(), IID_IMAPISession));
}

TEST_F(StandInMapi, SubmittedMessageWaitsInTheOutboxUntilTheSpoolerFlushes) {
    auto mail = object(client->application(), L"CreateItem", {Variant::integer(0)});
    auto msg = mapiObject<IMessage>(mail.get(), IID_IMessage);
    ASSERT_TRUE(msg);
    EXPECT_EQ(msg->SubmitMessage(0), MAPI_E_NO_RECIPIENTS);
    SPropValue values[4]{};
    values[0].ulPropTag = w(PR_DISPLAY_NAME);
    values[0].Value.lpszW = const_cast<LPWSTR>(L"Tom");
    values[1].ulPropTag = a(PR_EMAIL_ADDRESS);
    values[1].Value.lpszA = const_cast<LPSTR>("tom@example.com");
    values[2].ulPropTag = a(PR_ADDRTYPE);
    values[2].Value.lpszA = const_cast<LPSTR>("SMTP");
    values[3].ulPropTag = PR_RECIPIENT_TYPE;
    values[3].Value.l = MAPI_CC;
    ADRLIST list{1, {{0, 4, values}}};
    EXPECT_EQ(msg->ModifyRecipients(0, &list), MAPI_E_NO_SUPPORT);
    ASSERT_EQ(msg->ModifyRecipients(MODRECIP_ADD, &list), S_OK);
    ASSERT_EQ(msg->SubmitMessage(0), S_OK);
    ASSERT_EQ(client->items("\\Personal Folders\\Outbox").size(), 1u);

    auto session = logOn();
    Ref<IMAPITable> status;
    ASSERT_EQ(session->GetStatusTable(0, status.put()), S_OK);
    std::string spooler;
    for (const auto& r : rows(status.get(), 50))
        if (r[1].number == static_cast<LONG>(MAPI_SPOOLER)) spooler = r[0].bytes;
    ASSERT_FALSE(spooler.empty());
    ULONG type = 0;
    Ref<IUnknown> opened;
    ASSERT_EQ(session->OpenEntry(static_cast<ULONG>(spooler.size()), reinterpret_cast<LPENTRYID>(spooler.data()), &IID_IMAPIStatus, 0,
                                 &type, opened.put()),
              S_OK);
    EXPECT_EQ(type, static_cast<ULONG>(MAPI_STATUS));
    auto queue = as<IMAPIStatus>(opened.get(), IID_IMAPIStatus);
    ASSERT_TRUE(queue);
    // Asked not to wait, the queue answers at once and sends when the client's message loop runs.
    ASSERT_EQ(queue->FlushQueues(0, 0, nullptr, FLUSH_UPLOAD | FLUSH_ASYNC_OK), S_OK);
    EXPECT_EQ(client->items("\\Personal Folders\\Outbox").size(), 1u);
    client->pump(100);
    EXPECT_TRUE(client->items("\\Personal Folders\\Outbox").empty());
    auto sent = client->items("\\Personal Folders\\Sent Items");
    ASSERT_EQ(sent.size(), 1u);
    std::wstring entryId = get(mail.get(), L"EntryID").asText();
    EXPECT_EQ(sent[0].entryId, std::string(entryId.begin(), entryId.end()));
    logOff(session);
}

TEST_F(StandInMapi, AddressBookListsItsContainersInOrderAndTheirEntries) {
    client->addContact("Carol", "carol@example.com");
    client->addAddressBook("Global Address List", {{"Bob Jones", "EX", "/o=Org/cn=bob", "bob@corp.example"}, {"Team", "MAPIPDL", "", ""}});
    client->addAddressBook("Partners", {{"Dan", "SMTP", "dan@partner.example", ""}});
    auto session = logOn();
    Ref<IAddrBook> book;
    ASSERT_EQ(session->OpenAddressBook(0, nullptr, AB_NO_DIALOG, book.put()), S_OK);
    ULONG type = 0;
    Ref<IUnknown> opened;
    ASSERT_EQ(book->OpenEntry(0, nullptr, nullptr, 0, &type, opened.put()), S_OK);
    EXPECT_EQ(type, static_cast<ULONG>(MAPI_ABCONT));
    auto root = as<IABContainer>(opened.get(), IID_IABContainer);
    ASSERT_TRUE(root);
    Ref<IMAPITable> hierarchy;
    ASSERT_EQ(root->GetHierarchyTable(0, hierarchy.put()), S_OK);
    auto lists = rows(hierarchy.get(), 10);
    ASSERT_EQ(lists.size(), 3u);
    const char* names[] = {"Contacts", "Global Address List", "Partners"};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(lists[i][1].bytes, names[i]);
        EXPECT_EQ(lists[i][2].number, 1);
        EXPECT_EQ(lists[i][3].number, static_cast<LONG>(MAPI_ABCONT));
    }

    std::string galId = lists[1][0].bytes;
    ASSERT_EQ(book->OpenEntry(static_cast<ULONG>(galId.size()), reinterpret_cast<LPENTRYID>(galId.data()), &IID_IABContainer, 0, &type,
                              opened.put()),
              S_OK);
    auto gal = as<IABContainer>(opened.get(), IID_IABContainer);
    Ref<IMAPITable> contents;
    ASSERT_EQ(gal->GetContentsTable(0, contents.put()), S_OK);
    Tags columns({PR_ENTRYID, w(PR_DISPLAY_NAME), a(PR_ADDRTYPE), PR_OBJECT_TYPE, kSmtpAddressW});
    ASSERT_EQ(contents->SetColumns(columns.get(), 0), S_OK);
    auto entries = rows(contents.get(), 10);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0][1].text, L"Bob Jones");
    EXPECT_EQ(entries[0][2].bytes, "EX");
    EXPECT_EQ(entries[0][4].text, L"bob@corp.example");
    EXPECT_EQ(entries[1][1].text, L"Team");
    EXPECT_EQ(entries[1][3].number, static_cast<LONG>(MAPI_DISTLIST));
    EXPECT_TRUE(entries[1][4].error());
    std::string teamId = entries[1][0].bytes;
    ASSERT_EQ(gal->OpenEntry(static_cast<ULONG>(teamId.size()), reinterpret_cast<LPENTRYID>(teamId.data()), nullptr, 0, &type, opened.put()),
              S_OK);
    EXPECT_EQ(type, static_cast<ULONG>(MAPI_DISTLIST));
    EXPECT_TRUE(as<IDistList>(opened.get(), IID_IDistList));
    std::string bogus = teamId.substr(0, teamId.size() / 2);
    EXPECT_EQ(book->OpenEntry(static_cast<ULONG>(bogus.size()), reinterpret_cast<LPENTRYID>(bogus.data()), nullptr, 0, &type, opened.put()),
              MAPI_E_NOT_FOUND);
    logOff(session);
}

}  // namespace
}  // namespace tw::winetest
