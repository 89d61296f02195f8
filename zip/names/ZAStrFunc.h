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
// versionMadeBy is the entry's: its high byte names the system that wrote the entry. Only the
// systems of the OEM code page (MS-DOS, OS/2 HPFS, NTFS, VFAT; 0 for every entry we write)
// store names in it; other systems (Unix, for one) store their own file names' bytes, which
// are UTF-8 today, without setting flag bit 11.
//
// Writing: a name whose characters all exist in code page 437 is stored in that code page with
// flag bit 11 clear (when oemFileNames is on; pure ASCII is the same either way); any other name
// is stored as UTF-8 and flag bit 11 is set in flags. With oemFileNames off, names are stored
// as UTF-8 and bit 11 is set when the name is not pure ASCII. An entry whose flags already
// carry bit 11 keeps its name in UTF-8, so that a member copied as it stands keeps the same
// name bytes in its local and its central header; so does an entry of another system that
// was read as UTF-8 without the flag.
std::string ZAEncodeStoredName(const std::string& name, bool oemFileNames, uint16_t& flags,
                               uint16_t versionMadeBy = 0);
// Reading: with bit 11 the bytes must be valid UTF-8; without it they are code page 437 for an
// entry of an OEM system, while for other systems (and with oemFileNames off) valid UTF-8 is
// taken as it is and anything else as code page 437. A name holding a NUL byte, or claiming
// UTF-8 while not being valid UTF-8, gives nullopt.
std::optional<std::string> ZADecodeStoredName(std::string_view stored, uint16_t flags,
                                              bool oemFileNames, uint16_t versionMadeBy = 0);
// True when versionMadeBy names a system whose names are in the OEM code page.
bool ZAIsOemHost(uint16_t versionMadeBy);

bool ZAIsValidUtf8(std::string_view s);

// A name as a message may show it: control characters, and every byte above 0x7F of a name
// that is not valid UTF-8, as \xNN.
std::string ZAPrintableName(std::string_view name);

} // namespace zip
