#pragma once
// A small, safe formatter for the engine's fixed message texts.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zip {

using TZAFormatArg = std::variant<std::string, int64_t>;

// Replaces the placeholders "%s", "%d" and "%5d" of a fixed format, left to right, with the
// arguments in order. Substituted text is never scanned again, so arguments may hold "%".
// Extra arguments are ignored; a placeholder without an argument stays as it is. A "%s" given a
// number prints the number, a "%d" given a string prints the string. "%%" gives "%".
std::string ZAFormat(std::string_view format, const std::vector<TZAFormatArg>& args);

} // namespace zip
