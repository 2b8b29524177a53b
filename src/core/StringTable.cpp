// Builds the numbered text table from the one resource source file.
#include "core/StringTable.h"

#include <unordered_map>

namespace tw {

namespace {
const std::unordered_map<int, std::string>& table() {
    static const std::unordered_map<int, std::string> strings = {
#define TW_STRING(id, text) {id, text},
#include "strings.inc"
#undef TW_STRING
    };
    return strings;
}
}  // namespace

const std::string& loadString(int id) {
    static const std::string empty;
    auto it = table().find(id);
    return it == table().end() ? empty : it->second;
}

}  // namespace tw
