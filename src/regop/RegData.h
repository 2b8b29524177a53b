// What RegOp reads and writes: nothing, a text, a 32-bit number or a list of strings.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace tw::regop {

class RegData {
public:
    enum class Kind { Empty, Text, Number, Strings };

    RegData() = default;
    static RegData text(std::string value) { return RegData(Content(std::move(value))); }
    static RegData number(int32_t value) { return RegData(Content(value)); }
    static RegData strings(std::vector<std::string> value) { return RegData(Content(std::move(value))); }

    Kind kind() const { return static_cast<Kind>(content_.index()); }
    bool isEmpty() const { return kind() == Kind::Empty; }
    const std::vector<std::string>& stringList() const { return std::get<std::vector<std::string>>(content_); }

    /// The content as text: empty for nothing, the decimal form of a number. A list has no text
    /// form and raises Error 13 "Type mismatch".
    std::string toText() const;
    /// The content as a 32-bit number: 0 for nothing; a text must hold a decimal number (a fraction
    /// is rounded half to even). Raises Error 13 for anything else and Error 6 when out of range.
    int32_t toNumber() const;

    friend bool operator==(const RegData&, const RegData&) = default;

private:
    using Content = std::variant<std::monostate, std::string, int32_t, std::vector<std::string>>;
    explicit RegData(Content content) : content_(std::move(content)) {}
    Content content_;
};

}  // namespace tw::regop
