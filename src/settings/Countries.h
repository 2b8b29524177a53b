// The country table: two-letter codes and the names shown for them, from the string table.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

namespace tw::settings {

class Countries {
public:
    /// The first and last string-table entries of the table, in display order.
    static constexpr int kFirstId = 500;
    static constexpr int kLastId = 737;

    /// Reads the table; entries without a comma, with an empty name or with a code that is not
    /// two characters long are left out.
    Countries();

    /// The name of a code (any case); empty for a code not in the table. Lower-cases the
    /// caller's variable, as the dialogs that pass their own code expect.
    std::string GetNameFromCode(std::string& code) const;
    std::string GetNameFromCode(const std::string& code) const;
    /// The code of a name that matches exactly (case included); empty when there is none.
    std::string GetCodeFromName(const std::string& name) const;
    /// Every name in table order.
    std::vector<std::string> getAllNames() const;

private:
    std::unordered_map<std::string, std::string> nameOfCode_;
    std::unordered_map<std::string, std::string> codeOfName_;
    std::vector<std::string> names_;
};

}  // namespace tw::settings
