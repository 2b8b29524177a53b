// The mail client's Find/Restrict filter syntax: parsed once, then matched against items.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/OleDate.h"
#include "platform/Outlook.h"

namespace tw::sim {

/// A parsed filter such as "[Unread]=False AND [CreationTime] < 'Dec 08 2026 16:05'" or
/// "[Email1Address] = 'o''brien@x.example' Or [tarnwickd] = ''".
///
/// Grammar: comparisons of a bracketed property name with a literal joined by AND, OR, NOT (any
/// case) and parentheses. Literals: 'text' with '' for an apostrophe, "text" with "" for a quote,
/// numbers, True and False. Texts compare without regard to case. A date property compares with a
/// date literal written in the locale's short date and time ("12/8/2026 4:05 PM" in the usual US
/// locale, "08.12.2026 16:05" in a German one; see OleDate::parseLocaleText) or "yyyy-mm-dd hh:mm",
/// to the minute, as the client's filters drop seconds; any other form raises.
///
/// A user-defined field the folder does not know raises when the filter is made, as the client's
/// does. A property an item does not have (a user property never set) is undefined for the real
/// client; we choose that a comparison with it matches nothing, "= ''" and "<> ''" alike, so no
/// caller can come to rely on either answer.
class FilterExpression {
public:
    struct Options {
        DateLocale locale;
        /// Whether the folder knows a user-defined field of this name; unset: every name is known.
        std::function<bool(const std::string& name)> knowsUserField;
    };

    /// Raises Error (naming the place) for a malformed filter, and for an unknown field.
    explicit FilterExpression(std::string_view filter, Options options = {});
    /// The client's own properties that filters may name (Subject, UnRead, CreationTime ...).
    static bool isBuiltInProperty(std::string_view name);
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
    DateLocale locale_;
};

}  // namespace tw::sim
