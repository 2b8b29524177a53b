// Everything fetched is held in memory and checked before the first byte reaches the rules folder.
#include "RuleCheck.h"

#include <cstring>
#include <memory>

#include "FileIo.h"
#include "RuleHeader.h"
#include "RuleManifest.h"
#include "Sha256.h"
#include "TextUtil.h"

namespace tarn::engine {

namespace {

struct Fetched {
    const ManifestEntry* entry;
    std::string bytes;
};

std::string fileName(const std::string& name) { return name + ".bin"; }

std::string stampOf(const std::string& path, const std::string& name) {
    if (!fileExists(path)) return "";
    const auto bytes = readWholeFile(path);
    if (!bytes) return "";
    const auto header = readRuleHeader(*bytes);
    return header && header->name == name ? header->stamp : "";
}

RuleCheckOutcome failure(std::string reason) { return {true, {}, "failed " + reason}; }

std::string fetchFault(int32_t code, const std::string& what) {
    if (code == kFetchTimedOut) return "timeout " + what;
    return "fetch " + what + " " + std::to_string(code);
}

// A text of at most `limit` bytes; the buffer's last byte is NUL only when the body was shorter.
int32_t fetchText(const RuleFetch& fetch, const std::string& url, int32_t limit, std::string& text) {
    std::vector<char> buffer(static_cast<size_t>(limit) + 1, '\0');
    const int32_t code = fetch(url, buffer.data(), limit + 1);
    if (code != 0) return code;
    const void* end = std::memchr(buffer.data(), '\0', buffer.size());
    if (!end) return -1;
    text.assign(buffer.data(), static_cast<size_t>(static_cast<const char*>(end) - buffer.data()));
    return 0;
}

}  // namespace

std::string ruleStampInUse(const std::string& installFolder, const std::string& rulesFolder, const std::string& name) {
    return std::max(stampOf(joinPath(installFolder, fileName(name)), name),
                    stampOf(joinPath(rulesFolder, fileName(name)), name));
}

RuleCheckOutcome checkForNewerRules(const RuleCheckPlaces& places, const crypto::Ed25519PublicKey& key,
                                    const RuleFetch& fetch, const std::function<bool()>& stopping) {
    const std::string rulesUrl = places.baseUrl + "/rules/";
    std::string manifestText, signatureText;
    if (stopping()) return failure("stopped");
    int32_t code = fetchText(fetch, rulesUrl + "manifest.txt", kMaxManifestSize, manifestText);
    if (code != 0) return failure(code < 0 ? "manifest too long" : fetchFault(code, "manifest.txt"));
    if (stopping()) return failure("stopped");
    code = fetchText(fetch, rulesUrl + "manifest.txt.sig", 1024, signatureText);
    if (code != 0) return failure(code < 0 ? "signature" : fetchFault(code, "manifest.txt.sig"));
    const auto signature = crypto::fromHex<64>(trim(signatureText));
    if (!signature || !crypto::ed25519Verify(key, manifestText, *signature)) return failure("signature");
    std::string error;
    const auto entries = parseManifest(manifestText, &error);
    if (!entries) return failure("manifest " + error);

    // Only a release later than every file in use is taken: an older one is a replayed or mistaken
    // release, and mixing it with what is installed would take rules back.
    std::vector<const ManifestEntry*> wanted;
    for (const ManifestEntry& entry : *entries) {
        if (!isRuleFileName(entry.name)) continue;  // a later engine's file
        const std::string inUse = ruleStampInUse(places.installFolder, places.rulesFolder, entry.name);
        if (entry.stamp < inUse) return failure("older " + entry.name + " " + entry.stamp);
        if (entry.stamp > inUse) wanted.push_back(&entry);
    }
    if (wanted.empty()) return {false, {}, "current"};

    std::vector<Fetched> fetched;
    for (const ManifestEntry* entry : wanted) {
        if (stopping()) return failure("stopped");
        // One byte more than the file: a NUL there tells that the body ended exactly at its size.
        auto buffer = std::make_unique<char[]>(static_cast<size_t>(entry->size) + 1);
        std::memset(buffer.get(), 0xA5, static_cast<size_t>(entry->size) + 1);
        code = fetch(rulesUrl + entry->path, buffer.get(), static_cast<int32_t>(entry->size) + 1);
        if (code != 0) return failure(fetchFault(code, entry->path));
        if (buffer[static_cast<size_t>(entry->size)] != '\0') return failure("size " + entry->name);
        std::string bytes(buffer.get(), static_cast<size_t>(entry->size));
        if (crypto::toHex(crypto::sha256(bytes)) != entry->sha256) return failure("hash " + entry->name);
        const auto header = readRuleHeader(bytes);
        if (!header || header->name != entry->name || header->stamp != entry->stamp)
            return failure("header " + entry->name);
        fetched.push_back({entry, std::move(bytes)});
    }

    // Every file is on disk under its temporary name before the first one replaces a file in use.
    if (!ensureDirectory(places.rulesFolder)) return failure("write " + places.rulesFolder);
    auto temporary = [&](const Fetched& f) { return joinPath(places.rulesFolder, fileName(f.entry->name) + ".new"); };
    for (const Fetched& f : fetched) {
        if (replaceFileAtomically(temporary(f), f.bytes)) continue;
        for (const Fetched& written : fetched) removeFile(temporary(written));
        return failure("write " + f.entry->name);
    }
    RuleCheckOutcome outcome{false, {}, "installed"};
    for (const Fetched& f : fetched) {
        if (!renameReplacing(temporary(f), joinPath(places.rulesFolder, fileName(f.entry->name)))) {
            outcome.failed = true;
            outcome.status = "failed write " + f.entry->name;
            continue;
        }
        outcome.installed.push_back(f.entry->name + " " + f.entry->stamp);
    }
    if (!outcome.failed)
        for (const std::string& file : outcome.installed) outcome.status += " " + file;
    return outcome;
}

}  // namespace tarn::engine
