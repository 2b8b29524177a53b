// The make-believe user of the sheet.
#include "sheet/SheetWorld.h"

#include "scan/AutoScan.h"
#include "senders/Senders.h"
#include "settings/WeeklyStats.h"
#include "win32/Win32Clock.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32Registry.h"
#include "win32/Win32Shell.h"

namespace tw::sheet {
namespace {

constexpr const char* kSettingsKey = "Software\\Orvenna";

void addAll(KeyedSet& set, std::initializer_list<const char*> keys) {
    for (const char* key : keys) set.insert(std::string(key));
}

standin::MailSpec mail(const std::string& name, const std::string& address, const std::string& subject,
                       const std::string& relay) {
    standin::MailSpec spec;
    spec.senderName = name;
    spec.senderAddress = address;
    spec.to = {"Dana Whitfield <dana@whitfield-home.example>"};
    spec.subject = subject;
    spec.headers = "Received: from mail.relay.example ([" + relay + "]) by mx.whitfield-home.example\r\n"
                   "From: " + name + " <" + address + ">\r\nTo: dana@whitfield-home.example\r\nSubject: " + subject + "\r\n";
    spec.body = "Hello Dana,\r\n\r\n" + subject + ".\r\n";
    return spec;
}

}  // namespace

bool prepareMachine(std::string& why) {
    using platform::Hive;
    using platform::RegValue;
    win32::Win32Registry registry;
    if (registry.keyExists(Hive::CurrentUser, kSettingsKey)) registry.deleteTree(Hive::CurrentUser, kSettingsKey);
    registry.createKey(Hive::CurrentUser, kSettingsKey);
    // Nothing outside this machine is reached, and no network warning comes up by itself.
    registry.setValue(Hive::CurrentUser, kSettingsKey, "serviceHost", RegValue::ofString("127.0.0.1:9"));
    registry.setValue(Hive::CurrentUser, kSettingsKey, "EnablePingChecks", RegValue::ofDword(0));
    registry.setValue(Hive::CurrentUser, kSettingsKey, "upgradeNotification", RegValue::ofDword(0));
    registry.setValue(Hive::CurrentUser, kSettingsKey, "debugginglevel", RegValue::ofDword(1));
    // Twelve weeks of a mailbox's work up to this week, for the statistics window's chart.
    {
        constexpr int kChecked[] = {84, 92, 78, 99, 105, 88, 95, 116, 101, 90, 96, 52};
        constexpr int kCaught[] = {22, 25, 19, 27, 30, 23, 26, 31, 28, 24, 26, 12};
        constexpr int kMissed[] = {3, 2, 4, 1, 2, 0, 3, 2, 1, 2, 1, 1};
        constexpr int kFalse[] = {1, 0, 0, 2, 0, 1, 0, 0, 1, 0, 0, 0};
        settings::WeeklyStats weeks;
        win32::Win32Clock clock;
        const int64_t thisWeek = settings::weekStartOf(clock.now());
        for (int i = 0; i < settings::kWeeksKept; ++i) {
            const int64_t week = thisWeek - 7 * (settings::kWeeksKept - 1 - i);
            weeks.checked.add(week, kChecked[i]);
            weeks.caught.add(week, kCaught[i]);
            weeks.missedSpam.add(week, kMissed[i]);
            weeks.falsePositives.add(week, kFalse[i]);
        }
        weeks.legitimateReports.add(thisWeek - 14, 1);
        const settings::WeeklyCounts* counters[] = {&weeks.checked, &weeks.caught, &weeks.falsePositives, &weeks.missedSpam,
                                          &weeks.legitimateReports};
        const auto& names = settings::weeklyValueNames();
        for (size_t i = 0; i < names.size() && i < 5; ++i)
            registry.setValue(Hive::CurrentUser, kSettingsKey, names[i], RegValue::ofString(counters[i]->toText()));
    }

    win32::Win32Shell shell;
    win32::Win32FileSystem files;
    const std::string store = shell.libraryFolder() + "\\addin-data\\tarnwords.db";
    if (!files.fileExists(store)) {
        why = store + " is missing";
        return false;
    }
    const std::string folder = shell.expandEnvironmentStrings("%USERPROFILE%") + "\\Application Data\\Microsoft\\Outlook";
    files.createFolders(folder);
    for (const std::string& name : files.listFiles(folder)) files.removeFile(folder + "\\" + name);
    files.copyFile(store, folder + "\\tarnwords.db");
    // The log of an earlier sheet would be shown in this one's log window.
    for (const char* name : {"report.txt", "report0.txt"})
        if (files.fileExists(shell.libraryFolder() + "\\" + name)) files.removeFile(shell.libraryFolder() + "\\" + name);
    return true;
}

void fillClient(standin::StandInClient& client) {
    for (const char* folder : {"\\Personal Folders\\Projects", kWatchedFolder, "\\Personal Folders\\Newsletters",
                               "\\Personal Folders\\Family"})
        client.addFolder(folder);
    client.addContact("Mira Okafor", "mira.okafor@example.org");
    client.addContact("Tom Brandvold", "tom@brandvold-family.example");
    client.addAddressBook("Personal Address Book",
                          {{"Lena Fischer", "SMTP", "lena.fischer@example.de", ""},
                           {"Arjun Mehta", "SMTP", "arjun@mehta-consulting.example", ""},
                           {"Chess Club", "MAPIPDL", "", ""}});
    client.addAddressBook("Global Address List",
                          {{"Helpdesk", "EX", "/o=Whitfield/ou=Admin/cn=Recipients/cn=helpdesk", "helpdesk@whitfield.example"},
                           {"Sam Ortega", "EX", "/o=Whitfield/ou=Admin/cn=Recipients/cn=sortega", "sam.ortega@whitfield.example"}});
    client.addMail(kInbox, mail("Mira Okafor", "mira.okafor@example.org", kListedSubject, "198.51.100.23"));
    client.addMail(kInbox, mail("Pharmacy Direct", "offers@cheap-meds.example", "Save 80% on your order today", "203.0.113.77"));
    client.addMail(kInbox, mail("Lottery Board", "claims@lucky-draw.example", "You have won 1,000,000", "192.0.2.140"));
    auto watches = mail("Watch Outlet", "sales@watch-outlet.example", kScoredSubject, "198.51.100.77");
    watches.body = "Dear friend,\r\n\r\nClick here to order genuine replica watches at 90% discount. Free shipping, "
                   "limited offer, order now and save money. Unsubscribe from this mailing at any time.\r\n";
    client.addMail(kInbox, watches);
}

void fillAddin(addin::OrvennaOutAddIn& addin) {
    if (auto* lists = addin.senders()) {
        bool removed = false;
        lists->AddApprovedSenders({"mira.okafor@example.org", "tom@brandvold-family.example", "example.de",
                                   "newsletter@bookshop.example"},
                                  removed, false, {});
        lists->AddBlockedSenders({"offers@cheap-meds.example", "claims@lucky-draw.example", "spam-central.example",
                                  "no-reply@crypto-riches.example"},
                                 removed, false, {});
        lists->AddIgnoredSenders({"alerts@bank.example", "noreply@parcel-service.example"});
        lists->AddMeTo({"dana@whitfield-home.example", "dana.whitfield@work.example"});
        lists->AddMailingList({"chess-club@lists.example.org", "gardening@groups.example.net"});
    }
    auto& s = addin.settings();
    addAll(s.blocked_ip_list, {"203.0.113.77", "198.51.100.200", "192.0.2.140"});
    addAll(s.approved_ip_list, {"198.51.100.23", "10.0.0.5"});
    addAll(s.ignored_ip_list, {"192.168.1.1"});
    addAll(s.allblacklists, {"bl.spamcop.example", "zen.spamhaus.example", "dnsbl.sorbs.example", "cbl.abuseat.example"});
    addAll(s.rbl_list, {"bl.spamcop.example", "zen.spamhaus.example"});
    addAll(s.blockedCountries, {"ru", "cn", "br"});
    addAll(s.home_country_list, {"de", "nl"});
    s.processed = 1284;
    s.caught = 317;
    s.EnableSpamFilterStrength = true;
    s.threshold2 = 75;
    s.useProxyServer = true;
    s.proxyServer = "proxy.whitfield.example";
    s.proxyServerPort = "3128";
    if (auto* scan = addin.autoScan()) {
        int32_t index = 0;
        if (auto folder = addin.folderAtPath(kWatchedFolder, false)) scan->addListener(folder, index);
        if (auto folder = addin.folderAtPath("\\Personal Folders\\Newsletters", false)) scan->addListener(folder, index);
    }
}

}  // namespace tw::sheet
