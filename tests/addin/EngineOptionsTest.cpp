// The engine's configuration from the settings, checked against the recording engine.
#include <gtest/gtest.h>

#include "addin/EngineOptions.h"
#include "core/ProductVersion.h"
#include "support/AddinHarness.h"
#include "support/EngineRecording.h"

namespace tw::test {
namespace {

using Options = std::vector<std::pair<std::string, std::string>>;
using platform::Hive;
using platform::RegValue;

class EngineOptions : public ::testing::Test {
protected:
    void putText(const std::string& name, const std::string& text) { put(name, RegValue::ofString(text)); }
    void putNumber(const std::string& name, uint32_t number) { put(name, RegValue::ofDword(number)); }
    void put(const std::string& name, const RegValue& value) {
        h.registry.createKey(Hive::CurrentUser, "Software\\Orvenna");
        h.registry.setValue(Hive::CurrentUser, "Software\\Orvenna", name, value);
    }
    void start() {
        h.client.openExplorer();
        h.connectAddin();
    }
    std::string optionValue(int32_t handle, const std::string& name) {
        std::string value = "(not set)";
        for (const auto& [n, v] : engine.optionsSetOn(handle))
            if (n == name) value = v;
        return value;
    }

    EngineRecording engine;
    AddinHarness h;
};

TEST_F(EngineOptions, StartUpHandsOverAllThirtyThreeOptionsInOrder) {
    putNumber("reportspam", 0);
    putNumber("EnableAutoUpdates", 0);
    putNumber("skipTWUpdates", 1);
    putNumber("scan_attachments", 0);
    putNumber("usehttp", 0);
    putNumber("useProxyServer", 1);
    putText("proxyServer", "proxy.example");
    putText("proxyServerPort", "3128");
    putText("proxyServerUser", "ann");
    putText("proxyServerPassword", "pw");
    putText("blockedCountries", "CN,ru");
    putText("home_country_list", "us");
    putText("blocked_ip_list", "10.0.0.1");
    putText("ignored_ip_list", "10.0.0.2");
    putText("approved_ip_list", "10.0.0.3");
    putText("rbl_list", "zen.spamhaus.org,bl.spamcop.net");
    putText("rbl_threshold", "2:98");
    putNumber("rbl_max_ips", 2);
    putNumber("rbl_timeout", 0);
    putNumber("max_word_entries", 1000);
    putNumber("enable_rules", 0);
    putNumber("trainingWeight", 1);
    putNumber("rbl_multi_hit", 1);
    start();

    auto calls = engine.calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0], "TW_constructor(Outlook,C:\\Program Files\\Tarnwick)");
    EXPECT_EQ(h.addin().getEnginePointer(), 1);
    const Options expected = {
        {"netcheck", "no"},
        {"ruleupdate", "0"},
        {"network_readonly", "yes"},
        {"prodcode", "1"},
        {"client_product", "BelcastraTWOutlook"},
        {"client_product_version", tw::version::kText},
        {"use_cache", "no"},
        {"enable_fingerprint_cache", "no"},
        {"extended_rules2", "no"},
        {"enable_domain_cache", "no"},
        {"enable_spamcompiler", "no"},
        {"scan_attachments", "no"},
        {"use_secure_http", "yes"},
        {"offsetdir", "C:\\Program Files"},
        {"proxy_host", "proxy.example:3128"},
        {"proxy_userpwd", "ann:pw"},
        {"blocked_country_list", "cn,ru"},
        {"home_country_list", "us"},
        {"blocked_ip_list", "10.0.0.1"},
        {"ignored_ip_list", "10.0.0.2"},
        {"approved_ip_list", "10.0.0.3"},
        {"rbl_list", "zen.spamhaus.org,bl.spamcop.net"},
        {"rbl_threshold", "2:98"},
        {"netcheck_threshold", "1:99"},
        {"auto_training_threshold", "1:99"},
        {"rbl_max_ips", "2"},
        {"rbl_timeout", "0"},
        {"max_word_entries", "1000"},
        {"enable_word_training", "yes"},
        {"enable_rules", "no"},
        {"full_training_weight", "yes"},
        {"rbl_multihit", "yes"},
        {"training_write_buffer", "100"},
        {"min_training", addin::kMinTrainingNotReached},
    };
    EXPECT_EQ(engine.optionsSetOn(1), expected);
    // The start-up options come straight after the constructor and before the engine is initialized.
    ASSERT_GT(calls.size(), 35u);
    EXPECT_EQ(calls[33], "TW_setOption(1,training_write_buffer,100)");
    EXPECT_EQ(calls[34], "TW_initialize(1)");
    EXPECT_TRUE(h.logHas("tw_initialize got 0"));
}

TEST_F(EngineOptions, DefaultsLeaveOutEmptyListsAndTurnTheProxyOff) {
    putText("proxyServer", "proxy.example");
    putText("proxyServerPort", "3128");
    putText("proxyServerUser", "ann");
    engine.setInitializeStatus(7);
    start();

    auto options = engine.optionsSetOn(1);
    for (const auto& [name, value] : options) EXPECT_EQ(name.find("_list"), std::string::npos) << name;
    EXPECT_EQ(optionValue(1, "netcheck"), "yes");
    EXPECT_EQ(optionValue(1, "ruleupdate"), "86400");
    EXPECT_EQ(optionValue(1, "use_secure_http"), "no");
    EXPECT_EQ(optionValue(1, "proxy_host"), "") << "a proxy that is off is cleared whatever is stored";
    EXPECT_EQ(optionValue(1, "proxy_userpwd"), "");
    EXPECT_EQ(options.size(), 28u);
    EXPECT_TRUE(h.logHas("tw_initialize got 7"));
}

TEST_F(EngineOptions, SecureHttpAndProxyCredentialsFollowTheirStoredValues) {
    settings::Settings s;
    s.useProxyServer = true;
    s.proxyHostAndPort = "proxy.example:3128";
    auto options = addin::startupEngineOptions(s, {});
    bool credentialsSent = false;
    for (const auto& [name, value] : options) credentialsSent = credentialsSent || name == "proxy_userpwd";
    EXPECT_FALSE(credentialsSent) << "a proxy without a user name sends no credentials";

    sim::SimRegistry registry;
    settings::SettingsKey key(registry);
    EXPECT_FALSE(addin::readUseSecureHttp(key));
    key.writeNumber("usehttp", 1);
    EXPECT_FALSE(addin::readUseSecureHttp(key));
    key.writeString("usehttp", "1");
    EXPECT_FALSE(addin::readUseSecureHttp(key));
    key.writeNumber("usehttp", 2);
    EXPECT_TRUE(addin::readUseSecureHttp(key));
}

TEST_F(EngineOptions, TrainedWordsAreUsedOnlyOnceEnoughIsTrainedAndWanted) {
    engine.setOption("wordtraining_totalspam", "150");
    engine.setOption("wordtraining_totalham", "120");
    start();
    EXPECT_EQ(optionValue(1, "min_training"), "100");

    h.library.settings.min_training = 130;
    h.addin().initializeEngineOptions(false);
    EXPECT_EQ(optionValue(1, "min_training"), addin::kMinTrainingNotReached) << "too little legitimate mail trained";

    h.library.settings.min_training = 100;
    h.library.settings.use_training = false;
    h.addin().initializeEngineOptions(false);
    EXPECT_EQ(optionValue(1, "min_training"), addin::kMinTrainingNotReached);

    engine.reset();
    h.library.settings.enable_word_training = false;
    h.addin().initializeEngineOptions(false);
    EXPECT_EQ(optionValue(1, "min_training"), "(not set)");
    EXPECT_EQ(optionValue(1, "enable_word_training"), "no");
}

TEST_F(EngineOptions, ReApplyingKeepsTheEngineAndClearsAListTheUserEmptied) {
    putText("blockedCountries", "cn");
    start();
    EXPECT_EQ(optionValue(1, "blocked_country_list"), "cn");

    engine.reset();
    h.library.settings.blockedCountries.RemoveAll();
    h.addin().initializeEngineOptions(false);
    EXPECT_TRUE(engine.callsStartingWith("TW_constructor").empty());
    EXPECT_TRUE(engine.callsStartingWith("TW_destructor").empty());
    EXPECT_EQ(h.addin().getEnginePointer(), 1);
    // Left out, the engine would go on blocking the country the user just approved.
    EXPECT_EQ(optionValue(1, "blocked_country_list"), "");
    EXPECT_EQ(optionValue(1, "rbl_list"), "");

    engine.reset();
    engine.setNextHandle(2);
    h.addin().initializeEngineOptions(true);
    auto calls = engine.calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0], "TW_destructor(1)") << "the old engine goes before the new one is made";
    EXPECT_EQ(calls[1], "TW_constructor(Outlook,C:\\Program Files\\Tarnwick)");
    EXPECT_EQ(h.addin().getEnginePointer(), 2);
    EXPECT_EQ(optionValue(2, "blocked_country_list"), "(not set)");
}

TEST_F(EngineOptions, AnEngineThatCannotBeMadeIsNeverCalledAndStartUpGoesOn) {
    engine.setNextHandle(0);
    start();
    EXPECT_EQ(h.addin().getEnginePointer(), 0);
    EXPECT_EQ(engine.calls(), std::vector<std::string>{"TW_constructor(Outlook,C:\\Program Files\\Tarnwick)"});
    EXPECT_TRUE(h.logHas("tw_initialize got 0"));
    EXPECT_TRUE(h.logHas("AddExpl 0"));

    h.addin().enableEngineTrainingSettings(true);
    h.disconnectAddin();
    EXPECT_EQ(engine.calls().size(), 1u);
    EXPECT_FALSE(h.logHas("Error #"));
}

TEST_F(EngineOptions, TrainingSwitchesTheNetworkLookupsOffAndBackOn) {
    start();
    engine.reset();
    h.addin().enableEngineTrainingSettings(true);
    h.addin().enableEngineTrainingSettings(false);
    h.library.settings.reportspam = 0;
    h.addin().enableEngineTrainingSettings(false);
    EXPECT_EQ(engine.optionsSetOn(1), (Options{{"netcheck", "no"},
                                               {"enable_rbl_check", "no"},
                                               {"netcheck", "yes"},
                                               {"enable_rbl_check", "yes"},
                                               {"netcheck", "no"},
                                               {"enable_rbl_check", "yes"}}));
}

}  // namespace
}  // namespace tw::test
