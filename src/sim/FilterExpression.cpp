// Parser and evaluator of the mail client's filter syntax.
#include "sim/FilterExpression.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <vector>

#include "core/Error.h"
#include "core/Text.h"

namespace tw::sim {

namespace {

constexpr long kCannotParse = -2147352567;  // DISP_E_EXCEPTION, as the client reports filter errors
// Deeper nesting than any real filter; keeps a hostile filter from exhausting the stack.
constexpr int kMaxDepth = 200;

Error parseError(std::string_view filter, size_t at) {
    std::string rest(filter.substr(std::min(at, filter.size())));
    if (rest.size() > 40) rest = rest.substr(0, 40) + "...";
    return Error(kCannotParse, "Microsoft Outlook", "Cannot parse condition. Error at \"" + rest + "\".");
}

enum class Op { Eq, Ne, Lt, Gt, Le, Ge };

struct Literal {
    enum class Kind { Text, Number, Boolean } kind = Kind::Text;
    std::string text;
    double number = 0;
    bool boolean = false;
};

std::optional<OleDate> parseDate(std::string_view raw, const DateLocale& locale) {
    if (auto local = OleDate::parseLocaleText(raw, locale)) return local;
    // Year first with dashes reads the same in every locale.
    static const DateLocale kIso{"yyyy-M-d", "H:mm:ss", "AM", "PM", false};
    return OleDate::parseLocaleText(raw, kIso);
}

int64_t wholeMinutes(OleDate d) { return static_cast<int64_t>(std::floor(d.toUnixSeconds() / 60.0)); }

template <typename T>
bool compare(const T& a, const T& b, Op op) {
    switch (op) {
        case Op::Eq: return a == b;
        case Op::Ne: return !(a == b);
        case Op::Lt: return a < b;
        case Op::Gt: return b < a;
        case Op::Le: return !(b < a);
        case Op::Ge: return !(a < b);
    }
    return false;
}

std::string literalAsText(const Literal& lit) {
    switch (lit.kind) {
        case Literal::Kind::Text: return lit.text;
        case Literal::Kind::Number: return text::formatDouble(lit.number);
        case Literal::Kind::Boolean: return text::formatBool(lit.boolean);
    }
    return {};
}

std::optional<double> literalAsNumber(const Literal& lit) {
    if (lit.kind == Literal::Kind::Number) return lit.number;
    if (lit.kind == Literal::Kind::Boolean) return lit.boolean ? -1.0 : 0.0;
    std::string t = text::trim(lit.text);
    if (t.empty()) return std::nullopt;
    char* end = nullptr;
    double v = std::strtod(t.c_str(), &end);
    if (end != t.c_str() + t.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<bool> literalAsBool(const Literal& lit) {
    if (lit.kind == Literal::Kind::Boolean) return lit.boolean;
    if (lit.kind == Literal::Kind::Number) return lit.number != 0;
    std::string t = text::lower(text::trim(lit.text));
    if (t == "true" || t == "yes" || t == "-1" || t == "1") return true;
    if (t == "false" || t == "no" || t == "0") return false;
    return std::nullopt;
}

Error mismatch(const std::string& property, const Literal& lit) {
    return Error(-2147352567, "Microsoft Outlook",
                 "The value \"" + literalAsText(lit) + "\" does not suit the property \"" + property + "\".");
}

}  // namespace

struct FilterExpression::Node {
    enum class Kind { And, Or, Not, Compare } kind = Kind::Compare;
    // And and Or keep their operands side by side, so a long chain does not make a deep tree.
    std::vector<std::unique_ptr<Node>> operands;
    std::string property;
    Op op = Op::Eq;
    bool literalFirst = false;  // "'x' = [Prop]": the operator reads the other way round
    Literal literal;
};

namespace {

using Node = FilterExpression::Node;

class Parser {
public:
    explicit Parser(std::string_view s) : s_(s) {}

    std::unique_ptr<Node> parseAll() {
        auto node = parseOr(0);
        skipSpace();
        if (i_ != s_.size()) throw parseError(s_, i_);
        return node;
    }

private:
    void skipSpace() {
        while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\r' || s_[i_] == '\n')) ++i_;
    }

    // A keyword must stand alone: "ANDroid" is not AND.
    bool keyword(std::string_view word) {
        skipSpace();
        if (s_.size() - i_ < word.size() || !text::iequals(s_.substr(i_, word.size()), word)) return false;
        size_t after = i_ + word.size();
        if (after < s_.size()) {
            char c = s_[after];
            if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') return false;
        }
        i_ = after;
        return true;
    }

    void checkDepth(int depth) {
        if (depth > kMaxDepth) throw Error(kCannotParse, "Microsoft Outlook", "Cannot parse condition: it is nested too deeply.");
    }

    std::unique_ptr<Node> parseOr(int depth) {
        checkDepth(depth);
        auto first = parseAnd(depth + 1);
        if (!keyword("or")) return first;
        auto node = std::make_unique<Node>();
        node->kind = Node::Kind::Or;
        node->operands.push_back(std::move(first));
        do node->operands.push_back(parseAnd(depth + 1));
        while (keyword("or"));
        return node;
    }

    std::unique_ptr<Node> parseAnd(int depth) {
        auto first = parseNot(depth + 1);
        if (!keyword("and")) return first;
        auto node = std::make_unique<Node>();
        node->kind = Node::Kind::And;
        node->operands.push_back(std::move(first));
        do node->operands.push_back(parseNot(depth + 1));
        while (keyword("and"));
        return node;
    }

    std::unique_ptr<Node> parseNot(int depth) {
        checkDepth(depth);
        if (keyword("not")) {
            auto node = std::make_unique<Node>();
            node->kind = Node::Kind::Not;
            node->operands.push_back(parseNot(depth + 1));
            return node;
        }
        skipSpace();
        if (i_ < s_.size() && s_[i_] == '(') {
            ++i_;
            auto inner = parseOr(depth + 1);
            skipSpace();
            if (i_ >= s_.size() || s_[i_] != ')') throw parseError(s_, i_);
            ++i_;
            return inner;
        }
        return parseComparison();
    }

    std::unique_ptr<Node> parseComparison() {
        auto node = std::make_unique<Node>();
        skipSpace();
        if (i_ < s_.size() && s_[i_] == '[') {
            node->property = parseProperty();
            node->op = parseOp();
            node->literal = parseLiteral();
        } else {
            node->literal = parseLiteral();
            node->op = parseOp();
            skipSpace();
            if (i_ >= s_.size() || s_[i_] != '[') throw parseError(s_, i_);
            node->property = parseProperty();
            node->literalFirst = true;
        }
        return node;
    }

    std::string parseProperty() {
        size_t start = i_++;
        size_t close = s_.find(']', i_);
        if (close == std::string_view::npos) throw parseError(s_, start);
        std::string name = text::trim(s_.substr(i_, close - i_));
        if (name.empty()) throw parseError(s_, start);
        i_ = close + 1;
        return name;
    }

    Op parseOp() {
        skipSpace();
        auto rest = s_.substr(i_);
        const std::pair<std::string_view, Op> ops[] = {{"<>", Op::Ne}, {"<=", Op::Le}, {">=", Op::Ge},
                                                       {"=", Op::Eq},  {"<", Op::Lt},  {">", Op::Gt}};
        for (const auto& [token, op] : ops) {
            if (rest.substr(0, token.size()) == token) {
                i_ += token.size();
                return op;
            }
        }
        throw parseError(s_, i_);
    }

    Literal parseLiteral() {
        skipSpace();
        if (i_ >= s_.size()) throw parseError(s_, i_);
        Literal lit;
        char c = s_[i_];
        if (c == '\'' || c == '"') {
            size_t start = i_++;
            for (;;) {
                if (i_ >= s_.size()) throw parseError(s_, start);
                if (s_[i_] == c) {
                    if (i_ + 1 < s_.size() && s_[i_ + 1] == c) {
                        lit.text += c;
                        i_ += 2;
                        continue;
                    }
                    ++i_;
                    return lit;
                }
                lit.text += s_[i_++];
            }
        }
        if (keyword("true")) {
            lit.kind = Literal::Kind::Boolean;
            lit.boolean = true;
            return lit;
        }
        if (keyword("false")) {
            lit.kind = Literal::Kind::Boolean;
            return lit;
        }
        size_t start = i_;
        if (i_ < s_.size() && (s_[i_] == '-' || s_[i_] == '+')) ++i_;
        while (i_ < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[i_])) || s_[i_] == '.')) ++i_;
        std::string digits(s_.substr(start, i_ - start));
        char* end = nullptr;
        double v = digits.empty() ? 0 : std::strtod(digits.c_str(), &end);
        if (digits.empty() || end != digits.c_str() + digits.size() || !std::isfinite(v)) throw parseError(s_, start);
        lit.kind = Literal::Kind::Number;
        lit.number = v;
        return lit;
    }

    std::string_view s_;
    size_t i_ = 0;
};

Op mirrored(Op op) {
    switch (op) {
        case Op::Lt: return Op::Gt;
        case Op::Gt: return Op::Lt;
        case Op::Le: return Op::Ge;
        case Op::Ge: return Op::Le;
        default: return op;
    }
}

bool evaluateCompare(const Node& node, const FilterExpression::Lookup& lookup, const DateLocale& locale) {
    outlook::PropertyValue value = lookup(node.property);
    if (std::holds_alternative<std::monostate>(value)) return false;
    Op op = node.literalFirst ? mirrored(node.op) : node.op;
    const Literal& lit = node.literal;
    if (auto* date = std::get_if<OleDate>(&value)) {
        if (lit.kind == Literal::Kind::Text && text::trim(lit.text).empty()) return compare(std::string("x"), std::string(), op);
        auto wanted = lit.kind == Literal::Kind::Text ? parseDate(lit.text, locale) : std::nullopt;
        if (!wanted) throw mismatch(node.property, lit);
        return compare(wholeMinutes(*date), wholeMinutes(*wanted), op);
    }
    if (auto* flag = std::get_if<bool>(&value)) {
        auto wanted = literalAsBool(lit);
        if (!wanted) throw mismatch(node.property, lit);
        return compare(*flag ? 1 : 0, *wanted ? 1 : 0, op);
    }
    if (auto* number = std::get_if<double>(&value)) {
        auto wanted = literalAsNumber(lit);
        if (!wanted) return compare(text::formatDouble(*number), text::lower(literalAsText(lit)), op);
        return compare(*number, *wanted, op);
    }
    std::string have = std::holds_alternative<std::string>(value) ? text::lower(std::get<std::string>(value)) : std::string();
    return compare(have, text::lower(literalAsText(lit)), op);
}

bool evaluate(const Node& node, const FilterExpression::Lookup& lookup, const DateLocale& locale) {
    switch (node.kind) {
        case Node::Kind::And:
            for (const auto& operand : node.operands)
                if (!evaluate(*operand, lookup, locale)) return false;
            return true;
        case Node::Kind::Or:
            for (const auto& operand : node.operands)
                if (evaluate(*operand, lookup, locale)) return true;
            return false;
        case Node::Kind::Not: return !evaluate(*node.operands.front(), lookup, locale);
        case Node::Kind::Compare: return evaluateCompare(node, lookup, locale);
    }
    return false;
}

void checkFields(const Node& node, const FilterExpression::Options& options) {
    if (node.kind != Node::Kind::Compare) {
        for (const auto& operand : node.operands) checkFields(*operand, options);
        return;
    }
    if (!options.knowsUserField || FilterExpression::isBuiltInProperty(node.property) ||
        options.knowsUserField(node.property))
        return;
    throw Error(kCannotParse, "Microsoft Outlook", "The property \"" + node.property + "\" in the condition is unknown.");
}

}  // namespace

bool FilterExpression::isBuiltInProperty(std::string_view name) {
    static const char* const kBuiltIn[] = {"Subject",  "UnRead",        "CreationTime",  "ReceivedTime",  "MessageClass",
                                           "EntryID",  "SenderName",    "SenderEmailAddress", "Body",     "FullName",
                                           "Email1Address", "Email2Address", "Email3Address"};
    for (const char* known : kBuiltIn)
        if (text::iequals(name, known)) return true;
    return false;
}

FilterExpression::FilterExpression(std::string_view filter, Options options) : locale_(std::move(options.locale)) {
    if (text::trim(filter).empty()) throw parseError(filter, 0);
    root_ = Parser(filter).parseAll();
    checkFields(*root_, options);
}

FilterExpression::~FilterExpression() = default;
FilterExpression::FilterExpression(FilterExpression&&) noexcept = default;
FilterExpression& FilterExpression::operator=(FilterExpression&&) noexcept = default;

bool FilterExpression::matches(const Lookup& lookup) const { return evaluate(*root_, lookup, locale_); }

}  // namespace tw::sim
