// The mail client's Find/Restrict filter syntax: parsed once, then matched against items.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Outlook.h"

namespace tw::sim {

/// A parsed filter such as "[Unread]=False AND [CreationTime] < 'Dec 08 2026 16:05'" or
/// "[Email1Address] = 'o''brien@x.example' Or [tarnwickd] = ''".
///
/// Grammar: comparisons of a bracketed property name with a literal joined by AND, OR, NOT (any
/// case) and parentheses. Literals: 'text' with '' for an apostrophe, "text" with "" for a quote,
/// numbers, True and False. Texts compare without regard to case. A date property compares with a
/// date literal ("mmm dd yyyy hh:mm", "yyyy-mm-dd hh:mm", "mm/dd/yyyy hh:mm AM") to the minute, as
/// the client's filters drop seconds. A property the item does not have (a user property never
/// set) compares as the empty text.
class FilterExpression {
public:
    /// Raises Error (naming the place) for a malformed filter.
    explicit FilterExpression(std::string_view filter);
    ~FilterExpression();
    FilterExpression(FilterExpression&&) noexcept;
    FilterExpression& operator=(FilterExpression&&) noexcept;

    /// The value of a property by name, as written between the brackets.
    using Lookup = std::function<outlook::PropertyValue(const std::string& name)>;
    /// Raises Error when a literal does not suit its property (a date property against "abc").
    bool matches(const Lookup& lookup) const;

    struct Node;

private:
    std::unique_ptr<Node> root_;
};

}  // namespace tw::sim
