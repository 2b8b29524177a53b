// Outside addresses: the built-in ones, and pointing the add-in at another server through the registry.
#include <gtest/gtest.h>

#include "core/Text.h"
#include "settings/ServiceAddresses.h"
#include "sim/SimRegistry.h"

namespace tw::settings {
namespace {

// A registry whose settings key holds the given host override.
sim::SimRegistry registryWith(const platform::RegValue& serviceHost) {
    sim::SimRegistry registry;
    registry.createKey(platform::Hive::CurrentUser, "Software\\Orvenna");
    registry.setValue(platform::Hive::CurrentUser, "Software\\Orvenna", "serviceHost", serviceHost);
    return registry;
}

std::string url(const std::string& host, const std::string& page) { return "http://" + host + page; }

TEST(ServiceAddressesDefaults, BuiltOnTheServiceHost) {
    sim::SimRegistry registry;
    ServiceAddresses a = serviceAddresses(registry);
    EXPECT_EQ(a.serviceHost, "service.tarnwick.example");
    EXPECT_EQ(url(a.pingHost, a.pingPage), "http://service.tarnwick.example/tarnwick/tarnwickping.txt");
    EXPECT_EQ(url(a.releaseHost, a.releasePage), "http://service.tarnwick.example/tarnwick/release/version.txt");
    EXPECT_EQ(a.updatePage, "http://service.tarnwick.example/cgi-bin/cscgi.pl?f=iSupdt&p=TWOutlook&o=W&v=4.0.0");
    EXPECT_EQ(a.onlineHelpPage, "http://service.tarnwick.example/win/tarnwick/help/help.html");
    EXPECT_EQ(a.supportPage, "http://service.tarnwick.example/win/tarnwick/help/help_2f.html#8");
    EXPECT_TRUE(text::startsWith(a.releaseDownloadPage, "http://service.tarnwick.example/"));
}

TEST(ServiceAddressesDefaults, EachReportKindHasItsMailbox) {
    sim::SimRegistry registry;
    ServiceAddresses a = serviceAddresses(registry);
    EXPECT_EQ(a.reportAddress(1), "spam@reports.tarnwick.example");
    EXPECT_EQ(a.reportAddress(2), "legit@reports.tarnwick.example");
    EXPECT_EQ(a.reportAddress(3), "fraud@reports.tarnwick.example");
    EXPECT_EQ(a.reportAddress(4), "virus@reports.tarnwick.example");
    // Unknown kinds are reported as legitimate mail.
    EXPECT_EQ(a.reportAddress(0), a.legitimateReportAddress);
    EXPECT_EQ(a.reportAddress(5), a.legitimateReportAddress);
}

TEST(ServiceAddressesOverride, MovesEveryWebAddressButNotTheMailboxes) {
    auto registry = registryWith(platform::RegValue::ofString("127.0.0.1:8080"));
    ServiceAddresses a = serviceAddresses(registry);
    ServiceAddresses defaults = serviceAddressesForHost(kDefaultServiceHost);

    EXPECT_EQ(url(a.pingHost, a.pingPage), "http://127.0.0.1:8080/tarnwick/tarnwickping.txt");
    EXPECT_EQ(url(a.releaseHost, a.releasePage), "http://127.0.0.1:8080/tarnwick/release/version.txt");
    for (const std::string* web : {&a.releaseDownloadPage, &a.updatePage, &a.onlineHelpPage, &a.supportPage}) {
        EXPECT_TRUE(text::startsWith(*web, "http://127.0.0.1:8080/")) << *web;
    }
    EXPECT_EQ(a.spamReportAddress, defaults.spamReportAddress);
    EXPECT_EQ(a.virusReportAddress, defaults.virusReportAddress);
    EXPECT_EQ(a.scriptingRuntimeDownloadPage, defaults.scriptingRuntimeDownloadPage);
}

TEST(ServiceAddressesOverride, UnusableValuesFallBackToTheDefaultHost) {
    for (const char* bad : {"", "   ", "evil.example/steal?x=", "a b.example", "host.example ", "tab\there",
                            "nl\r\nHost: x", "q.example?x", "f.example#x", "back\\slash", "user@host.example"}) {
        auto registry = registryWith(platform::RegValue::ofString(bad));
        EXPECT_EQ(serviceAddresses(registry).serviceHost, kDefaultServiceHost) << "'" << bad << "'";
    }
}

TEST(ServiceAddressesOverride, WrongTypeOrFailingRegistryGivesTheDefaults) {
    auto numeric = registryWith(platform::RegValue::ofDword(8080));
    EXPECT_EQ(serviceAddresses(numeric).serviceHost, kDefaultServiceHost);

    auto failing = registryWith(platform::RegValue::ofString("127.0.0.1"));
    failing.failAlways("queryValue");
    ServiceAddresses a;
    EXPECT_NO_THROW(a = serviceAddresses(failing));
    EXPECT_EQ(a.updatePage, serviceAddressesForHost(kDefaultServiceHost).updatePage);
}

TEST(ServiceAddressesOverride, HostNamesWithPortsAndIpv6Pass) {
    EXPECT_TRUE(isUsableServiceHost("mirror.example"));
    EXPECT_TRUE(isUsableServiceHost("localhost:8080"));
    EXPECT_TRUE(isUsableServiceHost("[::1]:8080"));
    EXPECT_FALSE(isUsableServiceHost("mirror.example:80/x"));
}

}  // namespace
}  // namespace tw::settings
