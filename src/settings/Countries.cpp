// Builds the code and name lookups from the string table entries "code,name".
#include "settings/Countries.h"

#include "core/StringTable.h"
#include "core/Text.h"

namespace tw::settings {

Countries::Countries() {
    for (int id = kFirstId; id <= kLastId; ++id) {
        const std::string& entry = loadString(id);
        size_t comma = entry.find(',');
        if (comma == std::string::npos) continue;
        // Only the first comma separates: a name may hold one.
        std::string code = text::lower(text::trim(entry.substr(0, comma)));
        std::string name = text::trim(entry.substr(comma + 1));
        if (name.empty() || code.size() != 2) continue;
        if (nameOfCode_.count(code) || codeOfName_.count(name)) continue;
        nameOfCode_.emplace(code, name);
        codeOfName_.emplace(name, code);
        names_.push_back(name);
    }
}

std::string Countries::GetNameFromCode(std::string& code) const {
    code = text::lower(code);
    return GetNameFromCode(static_cast<const std::string&>(code));
}

std::string Countries::GetNameFromCode(const std::string& code) const {
    auto it = nameOfCode_.find(text::lower(code));
    return it == nameOfCode_.end() ? std::string() : it->second;
}

std::string Countries::GetCodeFromName(const std::string& name) const {
    auto it = codeOfName_.find(name);
    return it == codeOfName_.end() ? std::string() : it->second;
}

std::vector<std::string> Countries::getAllNames() const { return names_; }

}  // namespace tw::settings
