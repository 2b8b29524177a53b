// Fuzz target for the mail client's filter syntax: any input parses or raises Error, a parsed
// filter evaluates or raises Error, and any text quoted as a literal is compared as itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/Error.h"
#include "platform/Outlook.h"
#include "sim/FilterExpression.h"

namespace {

tw::outlook::PropertyValue lookup(const std::string& name) {
    switch (name.size() % 5) {
        case 0: return std::string("o'brien@x.example");
        case 1: return true;
        case 2: return 42.0;
        case 3: return tw::OleDate::fromCivil({2026, 12, 8, 16, 5, 0});
        default: return {};
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        tw::sim::FilterExpression filter(text);
        filter.matches(lookup);
    } catch (const tw::Error&) {
    }

    // The input as the value of a property, looked up through a quoted literal, must match itself
    // and nothing else can leak out of the quotes.
    tw::sim::FilterExpression quoted("[Email1Address] = " + tw::outlook::quoteFilterText(text));
    const bool same = quoted.matches([&](const std::string& name) -> tw::outlook::PropertyValue {
        if (name != "Email1Address") std::abort();
        return text;
    });
    if (!same) std::abort();
    return 0;
}
