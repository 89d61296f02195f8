#include "zip/names/ZAFormat.h"

namespace zip {
namespace {

std::string ArgAsText(const TZAFormatArg& arg) {
    if (const auto* s = std::get_if<std::string>(&arg))
        return *s;
    return std::to_string(std::get<int64_t>(arg));
}

} // namespace

std::string ZAFormat(std::string_view format, const std::vector<TZAFormatArg>& args) {
    std::string out;
    out.reserve(format.size() + 32);
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c != '%' || i + 1 >= format.size()) {
            out += c;
            continue;
        }
        const std::string_view rest = format.substr(i + 1);
        size_t length = 0; // placeholder length after '%'
        int width = 0;
        if (rest[0] == '%') {
            out += '%';
            ++i;
            continue;
        }
        if (rest[0] == 's' || rest[0] == 'd') {
            length = 1;
        } else if (rest.size() >= 2 && rest[0] == '5' && rest[1] == 'd') {
            length = 2;
            width = 5;
        }
        if (length == 0 || next >= args.size()) {
            out += c; // not a placeholder we know, or no argument left: keep it literally
            continue;
        }
        std::string text = ArgAsText(args[next++]);
        if (text.size() < static_cast<size_t>(width))
            text.insert(0, width - text.size(), ' ');
        out += text;
        i += length;
    }
    return out;
}

} // namespace zip
