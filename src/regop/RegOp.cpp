// RegOp: opening with creation, the value cache, the type rules for reading and writing, deletions.
#include "regop/RegOp.h"

#include "core/Error.h"
#include "core/Text.h"

namespace tw::regop {

using platform::Hive;
using platform::RegValue;
using platform::ValueType;

namespace {

constexpr const char* kNoKeyName = "No Key name specified!";
constexpr const char* kCannotOpen = "Could not open Registry Key!";
constexpr const char* kUnsupportedExisting = "Existing value has unsupported data type and will not be overwritten";
constexpr const char* kUnsupportedFormat = "(unsupported data format)";

std::string cutAtNul(const std::string& text) { return text.substr(0, text.find('\0')); }

}  // namespace

RegOp::RegOp(platform::Registry& registry, platform::Shell& shell, platform::UserInterface& ui)
    : registry_(registry), shell_(shell), ui_(ui) {}

void RegOp::setRoot(Hive root) {
    if (root != Hive::ClassesRoot && root != Hive::CurrentUser && root != Hive::LocalMachine) root = Hive::CurrentUser;
    if (root == root_) return;
    root_ = root;
    if (!key_.empty()) reopen();
}

void RegOp::setKey(const std::string& path) {
    if (path.empty()) return;
    if (key_.empty()) {
        key_ = path;
        return;
    }
    if (text::iequals(key_, path)) return;
    key_ = path;
    reopen();
}

void RegOp::setOptions(int options) {
    if (options >= 0 && options <= 15) options_ = options;
}

void RegOp::reopen() {
    isOpen_ = false;
    open(needed_);
}

bool RegOp::open(Access needed) {
    needed_ = needed;
    if (key_.empty()) {
        report(kNoKeyName);
        return false;
    }
    if (isOpen_ && openedWith_ == needed) return true;
    isOpen_ = false;
    try {
        // Opening for a change asks for write access, so a key we may only read fails here, as it
        // should; reading must not ask for more than it needs.
        if (needed != Access::Read || !registry_.keyExists(root_, key_)) registry_.createKey(root_, key_);
        queryCounts();
    } catch (const Error&) {
        report(kCannotOpen);
        return false;
    }
    isOpen_ = true;
    openedWith_ = needed;
    cache_.clear();
    return true;
}

void RegOp::queryCounts() {
    valueCount_ = registry_.valueNames(root_, key_).size();
    keyCount_ = registry_.subkeyNames(root_, key_).size();
}

bool RegOp::fillCache() {
    if (!cache_.empty()) return true;
    try {
        for (const std::string& name : registry_.valueNames(root_, key_)) {
            const auto stored = registry_.queryValue(root_, key_, name);
            if (stored) cache_.emplace_back(cutAtNul(name), contentOf(*stored));
        }
    } catch (const Error&) {
        cache_.clear();
        return false;
    }
    return true;
}

RegData RegOp::contentOf(const RegValue& stored) {
    switch (stored.type) {
        case ValueType::String: return RegData::text(cutAtNul(stored.text));
        case ValueType::ExpandString:
            if (options_ & ExpandReferences) {
                try {
                    return RegData::text(shell_.expandEnvironmentStrings(cutAtNul(stored.text)));
                } catch (const Error&) {
                    // Without the expansion the stored text is still the best answer.
                }
            }
            return RegData::text(cutAtNul(stored.text));
        case ValueType::Dword: return RegData::number(static_cast<int32_t>(stored.dword));
        case ValueType::MultiString:
            if (options_ & StringListsAsArrays) return RegData::strings(stored.strings);
            return RegData::text(text::join(stored.strings, std::string_view("\0", 1)));
        default: return RegData::text(kUnsupportedFormat);
    }
}

RegData RegOp::value(const std::string& name) {
    if (!open(needed_) || !fillCache()) return {};
    for (const auto& [cachedName, content] : cache_)
        if (text::iequals(cachedName, name)) return content;
    return {};
}

void RegOp::setValue(const std::string& name, const RegData& content) {
    if (content.isEmpty()) return;
    if (!open(Access::Write)) return;

    std::optional<RegValue> existing;
    try {
        existing = registry_.queryValue(root_, key_, name);
    } catch (const Error&) {
        return;
    }
    RegData converted = content;
    if (existing) {
        switch (existing->type) {
            case ValueType::String:
            case ValueType::ExpandString: converted = RegData::text(content.toText()); break;
            case ValueType::Dword: converted = RegData::number(content.toNumber()); break;
            case ValueType::MultiString: break;
            default: report(kUnsupportedExisting); return;
        }
    }
    if ((options_ & NumbersAsText) && converted.kind() == RegData::Kind::Number) converted = RegData::text(converted.toText());
    if (name.empty()) converted = RegData::text(converted.toText());

    try {
        registry_.setValue(root_, key_, name, storedFormOf(converted));
    } catch (const Error&) {
        // A refused write leaves the value as it was; the caller reads it back when it must know.
    }
    afterChange();
}

void RegOp::afterChange() {
    try {
        queryCounts();
    } catch (const Error&) {
        // The counts stay as last known; the change itself is done.
    }
    cache_.clear();
}

RegValue RegOp::storedFormOf(const RegData& content) {
    switch (content.kind()) {
        case RegData::Kind::Strings: return RegValue::ofMultiString(content.stringList());
        case RegData::Kind::Number: return RegValue::ofDword(static_cast<uint32_t>(content.toNumber()));
        default: {
            std::string text = content.toText();
            return holdsEnvironmentReference(text) ? RegValue::ofExpandString(std::move(text)) : RegValue::ofString(std::move(text));
        }
    }
}

bool RegOp::holdsEnvironmentReference(const std::string& text) {
    // A reference is a variable's name between two "%" signs; names hold no "%", so only the
    // stretches between neighbouring signs can be one.
    size_t open = text.find('%');
    while (open != std::string::npos) {
        const size_t close = text.find('%', open + 1);
        if (close == std::string::npos) return false;
        if (close > open + 1) {
            const std::string reference = text.substr(open, close - open + 1);
            try {
                if (shell_.expandEnvironmentStrings(reference) != reference) return true;
            } catch (const Error&) {
                return false;
            }
        }
        open = close;
    }
    return false;
}

std::vector<std::pair<std::string, RegData>> RegOp::allValues() {
    if (!open(Access::Read) || !fillCache()) return {};
    return cache_;
}

std::vector<std::string> RegOp::allKeys() {
    if (!open(Access::Read)) return {};
    try {
        std::vector<std::string> names = registry_.subkeyNames(root_, key_);
        for (auto& name : names) name = cutAtNul(name);
        return names;
    } catch (const Error&) {
        return {};
    }
}

bool RegOp::deleteValue(const std::string& name) {
    if (!open(Access::Delete)) return false;
    try {
        registry_.deleteValue(root_, key_, name);
    } catch (const Error&) {
        return false;
    }
    afterChange();
    return true;
}

bool RegOp::deleteKey() {
    const size_t slash = key_.rfind('\\');
    if (slash == std::string::npos || slash + 1 == key_.size()) return false;
    const std::string leaf = key_.substr(slash + 1);
    key_.resize(slash);
    isOpen_ = false;
    if (!open(Access::Delete)) return false;
    try {
        registry_.deleteTree(root_, key_ + "\\" + leaf);
    } catch (const Error&) {
        return false;
    }
    afterChange();
    return true;
}

void RegOp::report(const std::string& message) {
    if (options_ & ShowErrors) ui_.MsgBox(message, platform::vbExclamation, "Registry Error");
}

}  // namespace tw::regop
