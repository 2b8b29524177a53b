// Reading, journalling and rewriting the mail store's index file.
#include "sim/StoreIndex.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <fstream>
#include <set>
#include <sstream>

#include "core/Error.h"
#include "core/Text.h"
#include "sim/DurableFile.h"

namespace tw::sim {

namespace {

const char* const kHeader = "# tarnwick mail store index 1";
constexpr size_t kJournalSlack = 2000;

// Seventeen digits bring a double back bit for bit, so a date read from the index equals the one saved.
std::string exactNumber(double value) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17g", value);
    return buf;
}

std::optional<double> parseNumber(const std::string& textValue) {
    if (textValue.empty()) return std::nullopt;
    char* end = nullptr;
    double v = std::strtod(textValue.c_str(), &end);
    // Only finite numbers are written; "nan" or "inf" in a damaged file would make a date of nothing.
    if (end != textValue.c_str() + textValue.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

/// A count without a sign: stoull would take "-1" for the largest count and the next identifier
/// would wrap round onto the first ones.
uint64_t parseCount(const std::string& textValue) {
    uint64_t value = 0;
    auto [end, ec] = std::from_chars(textValue.data(), textValue.data() + textValue.size(), value);
    if (ec != std::errc() || end != textValue.data() + textValue.size()) throw std::invalid_argument("count");
    return value;
}

std::string escapeField(std::string_view s) {
    std::string out;
    for (char c : s) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default: out += c;
        }
    }
    return out;
}

std::string unescapeField(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        char n = s[++i];
        out += n == 't' ? '\t' : n == 'n' ? '\n' : n == 'r' ? '\r' : n;
    }
    return out;
}

std::string line(const std::vector<std::string>& fields) {
    std::string out;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i) out += '\t';
        out += escapeField(fields[i]);
    }
    return out + "\n";
}

std::string valueText(const outlook::PropertyValue& value) {
    if (auto s = std::get_if<std::string>(&value)) return "s:" + *s;
    if (auto d = std::get_if<double>(&value)) return "n:" + exactNumber(*d);
    if (auto b = std::get_if<bool>(&value)) return std::string("b:") + (*b ? "1" : "0");
    if (auto t = std::get_if<OleDate>(&value)) return "d:" + exactNumber(t->serial());
    return "";
}

outlook::PropertyValue parseValue(const std::string& textValue) {
    if (textValue.size() < 2 || textValue[1] != ':') return {};
    std::string rest = textValue.substr(2);
    switch (textValue[0]) {
        case 's': return rest;
        case 'n': {
            auto number = parseNumber(rest);
            return number ? outlook::PropertyValue(*number) : outlook::PropertyValue();
        }
        case 'b': return rest == "1";
        case 'd': {
            auto serial = parseNumber(rest);
            return serial ? outlook::PropertyValue(OleDate(*serial)) : outlook::PropertyValue();
        }
        default: return {};
    }
}

std::vector<std::string> itemFields(const IndexedItem& item) {
    std::vector<std::string> f = {"item", item.entryId, item.key, std::to_string(item.itemClass),
                                  exactNumber(item.created.serial()), item.local ? "1" : "0"};
    for (const auto& p : item.properties) {
        f.push_back(p.name);
        f.push_back(std::to_string(p.type));
        f.push_back(valueText(p.value));
    }
    return f;
}

}  // namespace

StoreIndex::StoreIndex(std::filesystem::path folder, LogSink log) : folder_(std::move(folder)), log_(std::move(log)) {}

void StoreIndex::readFile(const std::filesystem::path& file, bool fromJournal) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return;
    std::stringstream ss;
    ss << in.rdbuf();
    std::string content = ss.str();
    size_t pos = 0, number = 0;
    while (pos < content.size()) {
        size_t nl = content.find('\n', pos);
        ++number;
        if (nl == std::string::npos) {
            // A line without its end was being written when the program stopped.
            log_("the last line of " + file.filename().string() + " is incomplete and was skipped");
            break;
        }
        std::string text = content.substr(pos, nl - pos);
        pos = nl + 1;
        if (text.empty() || text[0] == '#') continue;
        std::vector<std::string> fields;
        for (auto& f : text::split(text, "\t")) fields.push_back(unescapeField(f));
        try {
            apply(fields, fromJournal);
        } catch (const std::exception&) {
            log_(file.filename().string() + " line " + std::to_string(number) + " is not understood and was skipped");
        }
    }
}

void StoreIndex::load() {
    readFile(indexFile(), false);
    readFile(journalFile(), true);
}

void StoreIndex::apply(const std::vector<std::string>& f, bool fromJournal) {
    const std::string& kind = f.at(0);
    if (kind == "store") {
        storeId_ = f.at(1);
    } else if (kind == "next") {
        nextId_ = std::max<uint64_t>(nextId_, parseCount(f.at(1)));
    } else if (kind == "folder") {
        folders_[f.at(1)] = f.at(2);
    } else if (kind == "exchange") {
        exchange_[f.at(1)] = f.at(2);
    } else if (kind == "item") {
        IndexedItem item;
        item.entryId = f.at(1);
        item.key = f.at(2);
        item.itemClass = std::stoi(f.at(3));
        auto created = parseNumber(f.at(4));
        if (!created) throw std::invalid_argument("creation time");
        item.created = OleDate(*created);
        item.local = f.at(5) == "1";
        for (size_t i = 6; i + 2 < f.size(); i += 3)
            item.properties.push_back({f[i], std::stoi(f[i + 1]), parseValue(f[i + 2])});
        if (auto old = items_.find(item.entryId); old != items_.end()) forgetKey(old->second);
        idByKey_[item.key] = item.entryId;
        items_[item.entryId] = std::move(item);
    } else if (kind == "gone") {
        if (auto old = items_.find(f.at(1)); old != items_.end()) {
            forgetKey(old->second);
            items_.erase(old);
        }
    } else {
        throw std::invalid_argument("record");
    }
    if (fromJournal) ++journalLines_;
}

void StoreIndex::forgetKey(const IndexedItem& item) {
    // A damaged index can give two items one key; the key then stays with the other item.
    if (auto it = idByKey_.find(item.key); it != idByKey_.end() && it->second == item.entryId) idByKey_.erase(it);
}

void StoreIndex::journal(const std::vector<std::string>& fields) {
    {
        std::ofstream out(journalFile(), std::ios::binary | std::ios::app);
        out << line(fields);
        out.flush();
        if (!out) throw Error(-2147024865, "Tarnwick mail store", "Cannot write " + journalFile().string() + ".");
    }
    if (++journalLines_ > kJournalSlack + items_.size()) compact();
}

void StoreIndex::compact() {
    std::string out = std::string(kHeader) + "\n";
    if (!storeId_.empty()) out += line({"store", storeId_});
    out += line({"next", std::to_string(nextId_)});
    for (const auto& [dir, id] : folders_) out += line({"folder", dir, id});
    for (const auto& [smtp, dn] : exchange_) out += line({"exchange", smtp, dn});
    // Sorted so that the file reads the same from one run to the next.
    std::map<std::string, const IndexedItem*> sorted;
    for (const auto& [id, item] : items_) sorted[id] = &item;
    for (const auto& [id, item] : sorted) out += line(itemFields(*item));

    try {
        writeFileDurably(indexFile(), temporaryBeside(indexFile()), out);
    } catch (const std::filesystem::filesystem_error& e) {
        throw Error(-2147024865, "Tarnwick mail store", "Cannot replace " + indexFile().string() + ": " + e.code().message());
    }
    std::error_code ec;
    std::filesystem::remove(journalFile(), ec);
    journalLines_ = 0;
}

void StoreIndex::setStoreId(const std::string& id) {
    if (id == storeId_) return;
    storeId_ = id;
    journal({"store", id});
}

void StoreIndex::setNextId(uint64_t next) {
    if (next <= nextId_) return;
    nextId_ = next;
    journal({"next", std::to_string(next)});
}

void StoreIndex::putFolder(const std::string& directory, const std::string& entryId) {
    auto it = folders_.find(directory);
    if (it != folders_.end() && it->second == entryId) return;
    folders_[directory] = entryId;
    journal({"folder", directory, entryId});
}

void StoreIndex::putExchangeUser(const std::string& smtpAddress, const std::string& directoryName) {
    std::string key = text::lower(smtpAddress);
    exchange_[key] = directoryName;
    journal({"exchange", key, directoryName});
}

const IndexedItem* StoreIndex::findByKey(const std::string& key) const {
    auto it = idByKey_.find(key);
    return it == idByKey_.end() ? nullptr : findById(it->second);
}

const IndexedItem* StoreIndex::findById(const std::string& entryId) const {
    auto it = items_.find(entryId);
    return it == items_.end() ? nullptr : &it->second;
}

void StoreIndex::putItem(const IndexedItem& item) {
    if (auto old = items_.find(item.entryId); old != items_.end()) forgetKey(old->second);
    idByKey_[item.key] = item.entryId;
    items_[item.entryId] = item;
    journal(itemFields(item));
}

void StoreIndex::dropItem(const std::string& entryId) {
    auto it = items_.find(entryId);
    if (it == items_.end()) return;
    forgetKey(it->second);
    items_.erase(it);
    journal({"gone", entryId});
}

size_t StoreIndex::dropItemsExcept(const std::vector<std::string>& keys) {
    std::set<std::string> keep(keys.begin(), keys.end());
    size_t dropped = 0;
    for (auto it = items_.begin(); it != items_.end();) {
        if (keep.count(it->second.key)) {
            ++it;
            continue;
        }
        forgetKey(it->second);
        it = items_.erase(it);
        ++dropped;
    }
    return dropped;
}

}  // namespace tw::sim
