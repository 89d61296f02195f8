#include "zip/ZAStrFunc.h"

#include <cstring>

#include "platform/sys/CodePage437.h"
#include "zip/ZAConst.h"

namespace zip {

char ZAUpCase(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
char ZALowCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string ZAUpperCase(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = ZAUpCase(c);
    return out;
}

std::string ZALowerCase(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = ZALowCase(c);
    return out;
}

bool ZASameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (ZAUpCase(a[i]) != ZAUpCase(b[i]))
            return false;
    return true;
}

bool ZAIsValidUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto b0 = static_cast<uint8_t>(s[i]);
        int extra;
        uint32_t cp, min;
        if (b0 < 0x80) {
            ++i;
            continue;
        } else if ((b0 & 0xE0) == 0xC0) {
            extra = 1, cp = b0 & 0x1F, min = 0x80;
        } else if ((b0 & 0xF0) == 0xE0) {
            extra = 2, cp = b0 & 0x0F, min = 0x800;
        } else if ((b0 & 0xF8) == 0xF0) {
            extra = 3, cp = b0 & 0x07, min = 0x10000;
        } else {
            return false;
        }
        if (i + extra >= s.size())
            return false;
        for (int k = 1; k <= extra; ++k) {
            const auto b = static_cast<uint8_t>(s[i + k]);
            if ((b & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (b & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

namespace {

bool IsAscii(std::string_view s) {
    for (const char c : s)
        if (static_cast<uint8_t>(c) >= 0x80)
            return false;
    return true;
}

} // namespace

std::string ZAEncodeStoredName(const std::string& name, bool oemFileNames, uint16_t& flags) {
    if (flags & kFlagUtf8)
        return name;
    if (IsAscii(name)) {
        flags &= static_cast<uint16_t>(~kFlagUtf8);
        return name;
    }
    if (oemFileNames) {
        std::string oem;
        if (platform::cp437FromUtf8(name, oem)) {
            flags &= static_cast<uint16_t>(~kFlagUtf8);
            return oem;
        }
    }
    flags |= kFlagUtf8;
    return name;
}

std::optional<std::string> ZADecodeStoredName(std::string_view stored, uint16_t flags,
                                              bool oemFileNames) {
    if (stored.find('\0') != std::string_view::npos)
        return std::nullopt;
    if (flags & kFlagUtf8) {
        if (!ZAIsValidUtf8(stored))
            return std::nullopt;
        return std::string(stored);
    }
    if (IsAscii(stored))
        return std::string(stored);
    if (!oemFileNames && ZAIsValidUtf8(stored))
        return std::string(stored);
    return platform::cp437ToUtf8(std::string(stored));
}

} // namespace zip
