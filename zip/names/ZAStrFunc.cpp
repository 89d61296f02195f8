#include "zip/names/ZAStrFunc.h"

#include <cstdio>
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
    return platform::isValidUtf8(s);
}

std::string ZAPrintableName(std::string_view name) {
    const bool utf8 = ZAIsValidUtf8(name);
    std::string out;
    for (const unsigned char c : name) {
        if (c < 0x20 || c == 0x7F || (c > 0x7F && !utf8)) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += char(c);
        }
    }
    return out;
}

namespace {

bool IsAscii(std::string_view s) {
    for (const char c : s)
        if (static_cast<uint8_t>(c) >= 0x80)
            return false;
    return true;
}

} // namespace

bool ZAIsOemHost(uint16_t versionMadeBy) {
    switch (versionMadeBy >> 8) {
    case 0:  // MS-DOS and OS/2 FAT
    case 6:  // OS/2 HPFS
    case 11: // NTFS
    case 14: // VFAT
        return true;
    default:
        return false;
    }
}

std::string ZAEncodeStoredName(const std::string& name, bool oemFileNames, uint16_t& flags,
                               uint16_t versionMadeBy) {
    if (flags & kFlagUtf8)
        return name;
    if (IsAscii(name)) {
        flags &= static_cast<uint16_t>(~kFlagUtf8);
        return name;
    }
    if (!ZAIsOemHost(versionMadeBy) && ZAIsValidUtf8(name))
        return name; // read back as it is, like every name this system wrote
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
                                              bool oemFileNames, uint16_t versionMadeBy) {
    if (stored.find('\0') != std::string_view::npos)
        return std::nullopt;
    if (flags & kFlagUtf8) {
        if (!ZAIsValidUtf8(stored))
            return std::nullopt;
        return std::string(stored);
    }
    if (IsAscii(stored))
        return std::string(stored);
    if ((!oemFileNames || !ZAIsOemHost(versionMadeBy)) && ZAIsValidUtf8(stored))
        return std::string(stored);
    return platform::cp437ToUtf8(std::string(stored));
}

} // namespace zip
