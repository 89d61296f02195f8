#include <gtest/gtest.h>

#include <map>
#include <set>

#include "zip/ZAExcept.h"
#include "zip/names/ZAFormat.h"

using namespace zip;

namespace {

// Texts callers and users meet, one of each kind: plain, with a name, with numbers, on two
// lines, and the refusals added last.
const std::map<int, std::string> kKnownTexts = {
    {0, "Unknown error"},
    {8, "Invalid size or check sum of file or unsupported compression format"},
    {12, "File \"%s\" not found"},
    {34, "Invalid compressed size, rfs.size = %d, count = %d"},
    {35, "Invalid archive file."},
    {57, "Archive is damaged. Open failed"},
    {61, "File name is too long: \r\n\"%s\""},
    {63, "Unsafe file name \"%s\""},
    {64, "Archive is damaged: member \"%s\" overlaps another member or does not match its "
         "local header"},
    {65, "Cannot unpack \"%s\": it would take more than the %d bytes allowed"},
    {66, "Cannot unpack \"%s\": its compression method (%s) is not supported"},
    {67, "Archive is damaged: its end record counts %d entries, its directory holds %d"},
    {68, "Cannot open the archive: its directory holds more than %d entries or needs more than "
         "%d bytes of memory"},
};

std::string Suffix(int code) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%05d", code);
    return std::string(" - Native error: ") + buf;
}

} // namespace

TEST(EZAExceptionTest, EveryCodeSelectsATextOfItsOwnAndBuildsTheMessage) {
    std::set<int> used;
    for (int code = 0; code < EZAException::kCodeCount; ++code) {
        SCOPED_TRACE(code);
        const EZAException plain(code);
        EXPECT_EQ(plain.NativeError(), code);
        // Only code 0 is the unknown error; every other one says what went wrong.
        EXPECT_EQ(plain.ErrorCode() == 0, code == 0);
        const std::string text(EZAException::TextAt(plain.ErrorCode()));
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(std::string(plain.what()), text + Suffix(code));

        const EZAException named(code, "ZipArchiver");
        EXPECT_EQ(std::string(named.what()), "ZipArchiver: " + text + Suffix(code));
        EXPECT_EQ(named.ErrorCode(), plain.ErrorCode());
        used.insert(plain.ErrorCode());
    }
    // No text is left that no code selects: a code pointed at a wrong slot orphans one.
    for (int slot = 0; slot < EZAException::kTextSlots; ++slot)
        EXPECT_EQ(used.count(slot) == 1, !EZAException::TextAt(slot).empty()) << slot;
    for (const auto& [code, text] : kKnownTexts)
        EXPECT_EQ(EZAException::TextAt(EZAException(code).ErrorCode()), text) << code;
}

TEST(EZAExceptionTest, TextSlotsBeyondTheTextsAreEmpty) {
    for (int i = 38; i < 41; ++i)
        EXPECT_TRUE(EZAException::TextAt(i).empty());
    EXPECT_TRUE(EZAException::TextAt(-1).empty());
    EXPECT_TRUE(EZAException::TextAt(47).empty());
}

TEST(EZAExceptionTest, EdgeCasesOfTheMessage) {
    EXPECT_STREQ(EZAException(13, "ZipArchiver").what(),
                 "ZipArchiver: Archive is not open - Native error: 00013");
    EXPECT_STREQ(EZAException(62).what(),
                 "Multiple transactions are not supported for multi-volume archives - Native "
                 "error: 00062");
    const EZAException unknown(100);
    EXPECT_STREQ(unknown.what(), "Unknown error - Native error: 00100");
    EXPECT_EQ(unknown.ErrorCode(), 0);
    EXPECT_EQ(unknown.NativeError(), 100);
    EXPECT_STREQ(EZAException(0).what(), "Unknown error - Native error: 00000");
    EXPECT_STREQ(EZAException(5, "").what(),
                 "Invalid compression mode. Mode must be in [0-9] range - Native error: 00005");
    EXPECT_STREQ(EZAException(123456).what(), "Unknown error - Native error: 123456");
}

TEST(EZAExceptionTest, FormattedMessages) {
    EXPECT_STREQ(EZAException(61, "", {std::string("/tmp/x")}).what(),
                 "File name is too long: \r\n\"/tmp/x\" - Native error: 00061");
    EXPECT_STREQ(EZAException(34, "", {int64_t{5}, int64_t{3}}).what(),
                 "Invalid compressed size, rfs.size = 5, count = 3 - Native error: 00034");
    // A hostile name with placeholders is printed literally, never formatted again.
    EXPECT_STREQ(EZAException(19, "", {std::string("100%s%d.jpg")}).what(),
                 "Cannot create file \"100%s%d.jpg\" - Native error: 00019");
    // A text without placeholders ignores extra arguments.
    EXPECT_STREQ(EZAException(28, "", {std::string("a.zip")}).what(),
                 "In-memory archive can be created only - Native error: 00028");
    // A missing argument leaves the placeholder.
    EXPECT_STREQ(EZAException(34, "", {int64_t{7}}).what(),
                 "Invalid compressed size, rfs.size = 7, count = %d - Native error: 00034");
    // 64-bit numbers are printed whole.
    EXPECT_STREQ(EZAException(34, "", {int64_t{5000000000}, int64_t{-1}}).what(),
                 "Invalid compressed size, rfs.size = 5000000000, count = -1 - Native error: "
                 "00034");
}

TEST(EZAExceptionTest, ExceptionKindsStayApart) {
    // Only the coded exception becomes a per-item failure; the others must not be caught as it.
    bool caughtAsCoded = false;
    try {
        throw ECompressionError("error");
    } catch (const EZAException&) {
        caughtAsCoded = true;
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "error");
    }
    EXPECT_FALSE(caughtAsCoded);
    EXPECT_STREQ(EZAPlainError(kSpanningModeOnOpenArchive).what(),
                 "Cannot set spanning mode on open archive");
    EXPECT_EQ(ZAFormat(kInvalidMaskFormat, {std::string("*a*b"), int64_t{62}}),
              "'*a*b' is an invalid mask at (62)");
}

TEST(ZAFormatTest, Placeholders) {
    EXPECT_EQ(ZAFormat("%5d|%5d", {int64_t{5}, int64_t{123456}}), "    5|123456");
    EXPECT_EQ(ZAFormat("100%% %s", {std::string("x")}), "100% x");
    EXPECT_EQ(ZAFormat("%x %s", {std::string("y")}), "%x y");
    EXPECT_EQ(ZAFormat("end %", {}), "end %");
    EXPECT_EQ(ZAFormat("%s", {int64_t{42}}), "42");
}
