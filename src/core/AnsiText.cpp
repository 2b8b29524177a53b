// The code-page seam: identity unless the Windows adapter installed its converters.
#include "core/AnsiText.h"

namespace tw::ansi {

namespace {
Converter toAnsiConverter = nullptr;
Converter fromAnsiConverter = nullptr;
}  // namespace

std::string fromUtf8(std::string_view utf8) {
    return toAnsiConverter ? toAnsiConverter(utf8) : std::string(utf8);
}

std::string toUtf8(std::string_view ansi) {
    return fromAnsiConverter ? fromAnsiConverter(ansi) : std::string(ansi);
}

void installConverters(Converter fromUtf8Converter, Converter toUtf8Converter) {
    toAnsiConverter = fromUtf8Converter;
    fromAnsiConverter = toUtf8Converter;
}

}  // namespace tw::ansi
