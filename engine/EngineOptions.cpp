// Defaults match what the add-in hands over at start-up, so an engine used on its own behaves the same.
#include "EngineOptions.h"

#include <cerrno>
#include <cstdlib>

#include "TextUtil.h"

namespace tarn::engine {

EngineOptions::EngineOptions() {
    values_ = {
        {"netcheck", "no"},
        {"ruleupdate", "0"},
        {"network_readonly", "no"},
        {"prodcode", "1"},
        {"client_product", ""},
        {"client_product_version", ""},
        {"use_cache", "no"},
        {"enable_fingerprint_cache", "no"},
        {"extended_rules2", "no"},
        {"enable_domain_cache", "no"},
        {"enable_spamcompiler", "no"},
        {"scan_attachments", "yes"},
        {"use_secure_http", "no"},
        {"offsetdir", ""},
        {"proxy_host", ""},
        {"proxy_userpwd", ""},
        {"blocked_country_list", ""},
        {"home_country_list", ""},
        {"blocked_ip_list", ""},
        {"ignored_ip_list", ""},
        {"approved_ip_list", ""},
        {"rbl_list", ""},
        {"rbl_threshold", "1:99"},
        {"netcheck_threshold", "1:99"},
        {"auto_training_threshold", "1:99"},
        {"rbl_max_ips", "4"},
        {"rbl_timeout", "5"},
        {"max_word_entries", "50000"},
        {"enable_word_training", "yes"},
        {"enable_rules", "yes"},
        {"full_training_weight", "yes"},
        {"rbl_multihit", "no"},
        {"training_write_buffer", "100"},
        {"min_training", "100"},
        {"enable_rbl_check", "yes"},
        {"dns_servers", ""},
    };
}

void EngineOptions::set(const std::string& name, const std::string& value) { values_[toLowerAscii(name)] = value; }

bool EngineOptions::has(const std::string& name) const { return values_.count(toLowerAscii(name)) != 0; }

std::string EngineOptions::text(const std::string& name) const {
    auto it = values_.find(toLowerAscii(name));
    return it == values_.end() ? std::string() : it->second;
}

bool EngineOptions::flag(const std::string& name) const {
    std::string value = toLowerAscii(trim(text(name)));
    if (value == "yes" || value == "true" || value == "on") return true;
    return number(name, 0) != 0;
}

int64_t EngineOptions::number(const std::string& name, int64_t fallback) const {
    std::string value(trim(text(name)));
    if (value.empty()) return fallback;
    errno = 0;
    char* end = nullptr;
    long long parsed = std::strtoll(value.c_str(), &end, 10);
    if (errno != 0 || end == value.c_str() || *end != '\0') return fallback;
    return parsed;
}

}  // namespace tarn::engine
