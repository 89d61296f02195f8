#pragma once
// Conversion between UTF-8 and the OEM code page 437 used by archive member names.

#include <string>
#include <string_view>

namespace platform {

// True when text is well-formed UTF-8: no cut, overlong or surrogate sequence and no code point
// beyond U+10FFFF.
bool isValidUtf8(std::string_view text);

// Converts a UTF-8 string to code page 437. Returns false (out unspecified) when the input is
// not valid UTF-8 or holds a character that code page 437 cannot represent.
bool cp437FromUtf8(const std::string& utf8, std::string& out);

// Converts a code page 437 string to UTF-8. Bytes below 0x80 are ASCII.
std::string cp437ToUtf8(const std::string& oem);

} // namespace platform
