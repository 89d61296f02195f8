#pragma once
// The check that every member of a directory owns its bytes: its local header lies where the
// directory says, agrees with the entry (name and sizes), and its data ends before the next
// member begins. Without it one stretch of data listed under many names unpacks many times
// over, and a header that says other than the directory makes readers see other members.

#include <cstdint>
#include <string>

namespace zip {

class Stream;
class TZADirArray;

class TZAMemberSpans {
public:
    // Reads the local header of every entry of items in stream, in the order of their offsets;
    // dataEnd is where member data must stop (the start of the central directory). Raises
    // ZAError::MemberOverlap with the first entry that fails, DirectoryUnreadable when a read
    // fails.
    static void Check(Stream& stream, const TZADirArray& items, int64_t dataEnd, bool oemFileNames,
                      const std::string& componentName);
};

} // namespace zip
