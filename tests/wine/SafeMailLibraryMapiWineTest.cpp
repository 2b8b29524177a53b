// The safe mail library over the stand-in client's MAPI objects: messages, tables, address books, the session, nothing left behind.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "standin/StandInClient.h"
#include "wine/SafeMailLibraryCalls.h"

namespace tw::winetest::safemail {
namespace {

constexpr const char* kInbox = "\\Personal Folders\\Inbox";
constexpr HRESULT kNotFound = static_cast<HRESULT>(0x8004010F);      // MAPI_E_NOT_FOUND
constexpr HRESULT kNoRecipients = static_cast<HRESULT>(0x80040607);  // MAPI_E_NO_RECIPIENTS
constexpr long PR_TRANSPORT_MESSAGE_HEADERS = 0x007D001E, PR_MESSAGE_FLAGS = 0x0E070003, PR_SUBJECT = 0x0037001E,
               PR_ENTRYID = 0x0FFF0102, PR_MESSAGE_DELIVERY_TIME = 0x0E060040, PR_SMTP_ADDRESS = 0x39FE001E,
               PR_SMTP_ADDRESS_W = 0x39FE001F, PR_DISPLAY_NAME = 0x3001001E;

std::wstring wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

/// Each test: a client with its store, the library loaded beside it, and at the end nothing of
/// MAPI left alive, no buffer left unfreed, no logon prompt, MAPIInitialize balanced.
class SafeMailLibraryMapi : public ::testing::Test {
protected:
    void TearDown() override {
        if (IDispatch* utils = library_.create(kMapiUtils)) get(utils, L"Cleanup");
        library_.releaseAll();
        EXPECT_EQ(client_.liveMapiObjects(), 0);
        EXPECT_EQ(client_.outstandingMapiBuffers(), 0);
        EXPECT_EQ(client_.mapiCalls().prompts, 0);
        EXPECT_EQ(client_.mapiCalls().initialized, 0);
        EXPECT_TRUE(library_.canUnload());
    }

    Value nameSpace() { return get(client_.application(), L"Session").result; }
    Value itemOf(const std::string& entryId) {
        return get(nameSpace().object(), L"GetItemFromID", {Value(wide(entryId))}).result;
    }
    Value inboxItems() {
        Value inbox = get(nameSpace().object(), L"GetDefaultFolder", {Value(6L)}).result;
        return get(inbox.object(), L"Items").result;
    }
    /// A safe item bound to the message.
    IDispatch* safeItem(const std::string& entryId) {
        IDispatch* safe = library_.create(kSafeMailItem);
        Answer bound = putRef(safe, L"Item", itemOf(entryId).object());
        EXPECT_EQ(bound.hr, S_OK) << bound.why();
        return safe;
    }
    /// A table over the Inbox with these columns.
    IDispatch* inboxTable(const std::vector<long>& columns) {
        IDispatch* table = library_.create(kMapiTable);
        Answer bound = putRef(table, L"Item", inboxItems().object());
        EXPECT_EQ(bound.hr, S_OK) << bound.why();
        EXPECT_EQ(invoke(table, L"Columns", DISPATCH_PROPERTYPUT, {tagArray(VT_VARIANT, columns)}).hr, S_OK);
        return table;
    }
    void filterUnread(IDispatch* table) {
        Value filter = get(table, L"Filter").result;
        get(filter.object(), L"Clear");
        Value restriction = get(filter.object(), L"SetKind", {Value(6L)}).result;
        invoke(restriction.object(), L"ulPropTag", DISPATCH_PROPERTYPUT, {Value(PR_MESSAGE_FLAGS)});
        invoke(restriction.object(), L"ulMask", DISPATCH_PROPERTYPUT, {Value(1L)});  // MSGFLAG_READ
        invoke(restriction.object(), L"relBMR", DISPATCH_PROPERTYPUT, {Value(0L)});  // BMR_EQZ
    }
    /// The subject column of the current row.
    std::wstring currentSubject(IDispatch* table, size_t column) {
        std::vector<Value> row = elementsOf(get(table, L"GetRow").result);
        return column < row.size() ? row[column].text() : L"<no row>";
    }

    standin::StandInClient client_;
    LoadedLibrary library_;
};

TEST_F(SafeMailLibraryMapi, ReadsTheSenderBodiesHeadersAndPropertiesOfAMessage) {
    standin::MailSpec mail;
    mail.senderName = "Ann Example";
    mail.senderAddress = "ann@x.example";
    mail.subject = "hello";
    mail.body = std::string(200 * 1024, 'b');  // too large for GetProps: read through a stream
    mail.htmlBody = "<p>h\xC3\xA9llo</p>";
    mail.headers = "From: Ann <ann@x.example>\r\nSubject: hello\r\n";
    mail.to = {"bob@y.example"};
    const std::string id = client_.deliver(kInbox, mail);
    IDispatch* safe = safeItem(id);

    EXPECT_EQ(get(safe, L"Body").result.text().size(), 200u * 1024);
    EXPECT_EQ(get(safe, L"HTMLBody").result.text(), L"<p>h\u00e9llo</p>");
    EXPECT_EQ(get(safe, L"SenderName").result.text(), L"Ann Example");
    Value sender = get(safe, L"Sender").result;
    EXPECT_EQ(get(sender.object(), L"Name").result.text(), L"Ann Example");
    EXPECT_EQ(get(sender.object(), L"Type").result.text(), L"SMTP");
    EXPECT_EQ(get(sender.object(), L"Address").result.text(), L"ann@x.example");
    Answer smtp = get(sender.object(), L"Fields", {Value(PR_SMTP_ADDRESS)});
    EXPECT_EQ(V_VT(&smtp.result.v), VT_EMPTY) << "an SMTP entry has no PR_SMTP_ADDRESS; " << smtp.why();
    EXPECT_EQ(get(safe, L"Fields", {Value(PR_TRANSPORT_MESSAGE_HEADERS)}).result.text(), wide(mail.headers));
    Answer absent = get(safe, L"Fields", {Value(0x12340003L)});
    EXPECT_EQ(absent.hr, S_OK);
    EXPECT_EQ(V_VT(&absent.result.v), VT_EMPTY);

    IDispatch* utils = library_.create(kMapiUtils);
    Value item = itemOf(id);
    EXPECT_EQ(get(utils, L"HrGetOneProp", {item, Value(PR_TRANSPORT_MESSAGE_HEADERS)}).result.text(), wide(mail.headers));
    Answer flags = get(utils, L"HrGetOneProp", {item, Value(PR_MESSAGE_FLAGS)});
    EXPECT_EQ(flags.result.number() & 1, 0) << "unread";
    EXPECT_EQ(get(utils, L"HrGetOneProp", {item, Value(PR_MESSAGE_DELIVERY_TIME)}).result.type(), VT_DATE);
    EXPECT_EQ(get(utils, L"HrGetOneProp", {item, Value(PR_ENTRYID)}).result.type(), VT_ARRAY | VT_UI1);
    Answer missing = get(utils, L"HrGetOneProp", {item, Value(0x12340003L)});
    EXPECT_EQ(missing.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(missing.scode, kNotFound);
}

TEST_F(SafeMailLibraryMapi, ADirectorySenderAnswersItsInternetAddressFromTheAddressBook) {
    client_.addAddressBook("Global", {{"Eve Ex", "EX", "/o=Org/cn=eve", "eve@org.example"}});
    standin::MailSpec mail;
    mail.senderName = "Eve Ex";
    mail.senderType = "EX";
    mail.senderAddress = "/o=Org/cn=eve";
    mail.htmlBody = "<p>" + std::string(100 * 1024, 'h') + "</p>";
    IDispatch* safe = safeItem(client_.addMail(kInbox, mail));
    Value sender = get(safe, L"Sender").result;
    EXPECT_EQ(get(sender.object(), L"Type").result.text(), L"EX");
    EXPECT_EQ(get(sender.object(), L"Address").result.text(), L"/o=Org/cn=eve");
    EXPECT_EQ(get(sender.object(), L"Fields", {Value(PR_SMTP_ADDRESS)}).result.text(), L"eve@org.example");
    EXPECT_EQ(get(sender.object(), L"Fields", {Value(PR_SMTP_ADDRESS_W)}).result.text(), L"eve@org.example");
    EXPECT_EQ(get(safe, L"HTMLBody").result.text().size(), 100u * 1024 + 7);

    standin::MailSpec anonymous;
    anonymous.subject = "no sender";
    IDispatch* nobody = safeItem(client_.addMail(kInbox, anonymous));
    Answer none = get(nobody, L"Sender");
    EXPECT_EQ(none.hr, S_OK);
    EXPECT_EQ(none.result.object(), nullptr);
    EXPECT_EQ(get(nobody, L"SenderName").result.text(), L"");
    EXPECT_EQ(get(nobody, L"HTMLBody").result.text(), L"");
}

TEST_F(SafeMailLibraryMapi, RecipientsAreReadAddedAndTheMessageSent) {
    standin::MailSpec mail;
    mail.subject = "draft";
    mail.to = {"Bob <bob@y.example>", "carl@z.example"};
    mail.cc = {"dora@z.example"};
    IDispatch* safe = safeItem(client_.addMail("\\Personal Folders\\Drafts", mail));
    Value recipients = get(safe, L"Recipients").result;
    EXPECT_EQ(get(recipients.object(), L"Count").result.number(), 3);
    Value bob = get(recipients.object(), L"Item", {Value(1L)}).result;
    EXPECT_EQ(get(bob.object(), L"Name").result.text(), L"Bob");
    EXPECT_EQ(get(bob.object(), L"Type").result.number(), 1);
    Value bobEntry = get(bob.object(), L"AddressEntry").result;
    EXPECT_EQ(get(bobEntry.object(), L"Address").result.text(), L"bob@y.example");
    EXPECT_EQ(get(get(recipients.object(), L"Item", {Value(3L)}).result.object(), L"Type").result.number(), 2);
    expectRaised(get(recipients.object(), L"Item", {Value(4L)}), L"Item(4)");

    Answer added = get(recipients.object(), L"Add", {Value(std::wstring(L"Gus <gus@g.example>"))});
    ASSERT_EQ(added.hr, S_OK) << added.why();
    EXPECT_EQ(get(added.result.object(), L"Name").result.text(), L"Gus");
    EXPECT_EQ(get(recipients.object(), L"Count").result.number(), 4);
    Value gus = get(recipients.object(), L"Item", {Value(4L)}).result;
    EXPECT_EQ(get(get(gus.object(), L"AddressEntry").result.object(), L"Address").result.text(), L"gus@g.example");

    EXPECT_EQ(invoke(safe, L"Body", DISPATCH_PROPERTYPUT, {Value(std::wstring(L"new body"))}).hr, S_OK);
    EXPECT_EQ(get(safe, L"Body").result.text(), L"new body");
    Answer sent = get(safe, L"Send");
    EXPECT_EQ(sent.hr, S_OK) << sent.why();
    EXPECT_EQ(client_.items("\\Personal Folders\\Outbox").size(), 1u);
    IDispatch* utils = library_.create(kMapiUtils);
    EXPECT_TRUE(get(utils, L"DeliverNow", {Value(0L), Value(0L)}).result.isTrue());
    // The transport sends in the background: the Outbox empties once the client's loop runs.
    client_.pump(100);
    EXPECT_TRUE(client_.items("\\Personal Folders\\Outbox").empty());

    standin::MailSpec lonely;
    lonely.subject = "nobody";
    Answer refused = get(safeItem(client_.addMail("\\Personal Folders\\Drafts", lonely)), L"Send");
    EXPECT_EQ(refused.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(refused.scode, kNoRecipients);
    EXPECT_NE(refused.description.find(L"MAPI_E_NO_RECIPIENTS"), std::wstring::npos) << refused.why();
}

TEST_F(SafeMailLibraryMapi, TheTableWalksForwardBackwardAndInBatchesWithAnUnreadFilter) {
    for (int i = 0; i < 130; ++i) {
        standin::MailSpec mail;
        mail.senderAddress = "s@q.example";
        mail.subject = "m" + std::to_string(i);
        mail.unread = i % 3 == 0;
        client_.addMail(kInbox, mail);
    }
    IDispatch* table = inboxTable({PR_ENTRYID, 0x12340003L, PR_SUBJECT});
    EXPECT_EQ(get(table, L"RowCount").result.number(), 130);
    std::vector<Value> first = elementsOf(get(table, L"GetRows", {Value(40L)}).result);
    ASSERT_EQ(first.size(), 40u);
    std::vector<Value> row = elementsOf(first[0]);
    ASSERT_EQ(row.size(), 3u);
    EXPECT_EQ(V_VT(&row[0].v), VT_ARRAY | VT_UI1);
    EXPECT_EQ(V_VT(&row[1].v), VT_ERROR) << "a column the row lacks";
    EXPECT_EQ(V_ERROR(&row[1].v), kNotFound);
    EXPECT_EQ(row[2].text(), L"m0");
    EXPECT_EQ(currentSubject(table, 2), L"m39") << "GetRows moves past the rows it answers";
    size_t rest = 0;
    for (std::vector<Value> batch; !(batch = elementsOf(get(table, L"GetRows", {Value(40L)}).result)).empty();) rest += batch.size();
    EXPECT_EQ(rest, 90u);
    EXPECT_EQ(get(table, L"GetRow").result.type(), VT_EMPTY) << "past the last row";

    filterUnread(table);
    std::vector<std::wstring> forward, backward;
    for (bool more = get(table, L"FindFirst", {Value(true)}).result.isTrue(); more; more = get(table, L"FindNext", {Value(true)}).result.isTrue())
        forward.push_back(currentSubject(table, 2));
    for (bool more = get(table, L"FindFirst", {Value(false)}).result.isTrue(); more; more = get(table, L"FindNext", {Value(false)}).result.isTrue())
        backward.push_back(currentSubject(table, 2));
    ASSERT_EQ(forward.size(), 44u);
    EXPECT_EQ(forward.front(), L"m0");
    EXPECT_EQ(forward.back(), L"m129");
    EXPECT_EQ(std::vector<std::wstring>(forward.rbegin(), forward.rend()), backward);
    EXPECT_EQ(get(table, L"RowCount").result.number(), 44);
    get(get(table, L"Filter").result.object(), L"Clear");
    EXPECT_EQ(get(table, L"RowCount").result.number(), 130);
}

TEST_F(SafeMailLibraryMapi, VersionNineOpensTheFolderByItsIdsAndAWalkOfTenThousandRowsIsQuick) {
    client_.setVersion("9.0.0.2711");
    for (int i = 0; i < 10000; ++i) {
        standin::MailSpec mail;
        mail.subject = "m" + std::to_string(i);
        client_.addMail(kInbox, mail);
    }
    const long logonsBefore = client_.mapiCalls().logons;
    IDispatch* table = inboxTable({PR_MESSAGE_FLAGS, PR_SUBJECT});
    const DWORD start = GetTickCount();
    int rows = 0;
    for (bool more = get(table, L"FindFirst", {Value(true)}).result.isTrue(); more; more = get(table, L"FindNext", {Value(true)}).result.isTrue()) {
        get(table, L"GetRow");
        ++rows;
    }
    EXPECT_EQ(rows, 10000);
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_EQ(client_.mapiCalls().logons, logonsBefore + 1) << "the shared session, through MAPILogonEx";

    client_.shareMapiSession(false);
    IDispatch* utils = library_.create(kMapiUtils);
    get(utils, L"Cleanup");
    IDispatch* unopened = library_.create(kMapiTable);
    Answer refused = putRef(unopened, L"Item", inboxItems().object());
    EXPECT_EQ(refused.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(refused.description,
              L"The folder could not be opened: its MAPI object is not available and there is no MAPI session to open it by "
              L"its entry id (MAPI_E_LOGON_FAILED).");
    EXPECT_FALSE(get(utils, L"DeliverNow", {Value(0L), Value(0L)}).result.isTrue());
}

TEST_F(SafeMailLibraryMapi, AddressListsComeInTheProfilesOrderWithTheirEntries) {
    client_.addAddressBook("Global", {{"Eve Ex", "EX", "/o=Org/cn=eve", "eve@org.example"}, {"Fay", "SMTP", "fay@f.example", ""}});
    IDispatch* lists = library_.create(kAddressLists);
    ASSERT_EQ(get(lists, L"Count").result.number(), 2);
    EXPECT_EQ(get(get(lists, L"Item", {Value(1L)}).result.object(), L"Name").result.text(), L"Contacts");
    Value global = get(lists, L"Item", {Value(2L)}).result;
    EXPECT_EQ(get(global.object(), L"Name").result.text(), L"Global");
    Value entries = get(global.object(), L"AddressEntries").result;
    ASSERT_EQ(get(entries.object(), L"Count").result.number(), 2);
    Value eve = get(entries.object(), L"Item", {Value(1L)}).result;
    EXPECT_EQ(get(eve.object(), L"Type").result.text(), L"EX");
    EXPECT_EQ(get(eve.object(), L"Fields", {Value(PR_SMTP_ADDRESS)}).result.text(), L"eve@org.example");
    Value fay = get(entries.object(), L"Item", {Value(2L)}).result;
    EXPECT_EQ(get(fay.object(), L"Address").result.text(), L"fay@f.example");
    EXPECT_EQ(get(fay.object(), L"Fields", {Value(PR_DISPLAY_NAME)}).result.text(), L"Fay");
    EXPECT_EQ(get(fay.object(), L"Fields", {Value(PR_SMTP_ADDRESS)}).result.type(), VT_EMPTY);
    expectRaised(get(lists, L"Item", {Value(3L)}), L"Item(3)");
}

}  // namespace
}  // namespace tw::winetest::safemail
