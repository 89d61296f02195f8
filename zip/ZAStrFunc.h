#pragma once
// Byte-string functions of the archive engine: case folding and the code page conversion of
// stored names.
//
// Case folding is ASCII-only on purpose: names are UTF-8, and folding bytes above 0x7F (or
// following the user's locale, as Turkish dotted i does) would corrupt multi-byte sequences and
// make different names collide.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zip {

char ZAUpCase(char c);
char ZALowCase(char c);
std::string ZAUpperCase(std::string_view s);
std::string ZALowerCase(std::string_view s);
// Byte-exact equality ignoring ASCII case.
bool ZASameText(std::string_view a, std::string_view b);

// Conversion of names between memory (UTF-8) and the archive.
//
// Writing: a name whose characters all exist in code page 437 is stored in that code page with
// flag bit 11 clear (when oemFileNames is on; pure ASCII is the same either way); any other name
// is stored as UTF-8 and flag bit 11 is set in flags. With oemFileNames off, names are stored
// as UTF-8 and bit 11 is set when the name is not pure ASCII. An entry whose flags already
// carry bit 11 keeps its name in UTF-8, so that a member copied as it stands keeps the same
// name bytes in its local and its central header.
std::string ZAEncodeStoredName(const std::string& name, bool oemFileNames, uint16_t& flags);
// Reading: with bit 11 the bytes must be valid UTF-8; without it they are code page 437 (with
// oemFileNames off, valid UTF-8 is taken as it is and anything else as code page 437). A name
// holding a NUL byte, or claiming UTF-8 while not being valid UTF-8, gives nullopt.
std::optional<std::string> ZADecodeStoredName(std::string_view stored, uint16_t flags,
                                              bool oemFileNames);

bool ZAIsValidUtf8(std::string_view s);

} // namespace zip
