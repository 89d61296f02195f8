#include <gtest/gtest.h>

#include <map>

#include "zip/ZAExcept.h"
#include "zip/names/ZAFormat.h"

using namespace zip;

namespace {

// The text each native code selects, written out independently of the engine's table.
const std::map<int, std::string> kExpectedText = {
    {0, "Unknown error"},
    {1, "Index out of bounds"},
    {2, "Index out of bounds"},
    {3, "Index out of bounds"},
    {4, "Index out of bounds"},
    {5, "Invalid compression mode. Mode must be in [0-9] range"},
    {6, "Unexpected nil pointer"},
    {7, "Index out of bounds"},
    {8, "Invalid size or check sum of file or unsupported compression format"},
    {9, "File name is blank. Specify appropriate file name"},
    {10, "File name is blank. Specify appropriate file name"},
    {11, "File \"%s\" not found"},
    {12, "File \"%s\" not found"},
    {13, "Archive is not open"},
    {14, "Archive is not open"},
    {15, "File \"%s\" not found"},
    {16, "Index out of bounds"},
    {17, "SFXStub property is not specified"},
    {18, "File \"%s\" not found"},
    {19, "Cannot create file \"%s\""},
    {20, "Cannot create directory \"%s\""},
    {21, "Index out of bounds"},
    {22, "Internal error. Update is not started"},
    {23, "Cannot create file \"%s\""},
    {24, "Index out of bounds"},
    {25, "Internal error. Update is not started"},
    {26, "Cannot proceed when update is not ended. Preceding EndUpdate call is required."},
    {27, "Cannot delete file \"%s\""},
    {28, "In-memory archive can be created only"},
    {29, "File name is blank. Specify appropriate file name"},
    {30, "File \"%s\" not found"},
    {31, "File \"%s\" not found"},
    {32, "File is open in read-only mode"},
    {33, "Cannot open file \"%s\""},
    {34, "Invalid compressed size, rfs.size = %d, count = %d"},
    {35, "Invalid archive file."},
    {36, "Cannot create output file. Probably file is locked by another process. FileName = "
         "'%s'."},
    {37, "Archive is open. You should close it beore performing this operation."},
    {38, "File \"%s\" not found"},
    {39, "Unable to create directory"},
    {40, "Cannot find Zip64 directory end record"},
    {41, "Cannot compress file '%s'. Zip64 mode is not enabled"},
    {42, "File \"%s\" not found"},
    {43, "Cannot compress file '%s'. Zip64 mode is not enabled"},
    {44, "Cannot open archive file. Opening aborted or invalid file"},
    {45, "Cannot open archive file. Opening aborted or invalid file"},
    {46, "Write to stream error"},
    {47, "Cannot place SFX stub on volume. Volume size limit is too small"},
    {48, "Archive is damaged. Open failed"},
    {49, "MakeSFX is not allowed for splitted or spanned archives. Set SFXStub before archive "
         "creation instead of MakeSFX"},
    {50, "Archive already has SFX stub"},
    {51, "Multi-volume archive is not allowed for custom stream"},
    {52, "Multi-spanned archive is not allowed for modification. Use BeginUpdate/EndUpdate "
         "methods to add files several times"},
    {53, "File \"%s\" not found"},
    {54, "File \"%s\" not found"},
    {55, "Deflate64 compression method is not supported"},
    {56, "MakeSFX error"},
    {57, "Archive is damaged. Open failed"},
    {58, "Hashed list of file names is invalid"},
    {59, "Hashed list of file names is invalid"},
    {60, "Cannot delete folder \"%s\""},
    {61, "File name is too long: \r\n\"%s\""},
    {62, "Multiple transactions are not supported for multi-volume archives"},
    {63, "Unsafe file name \"%s\""},
    {64, "Archive is damaged: member \"%s\" overlaps another member or does not match its "
         "local header"},
    {65, "Cannot unpack \"%s\": it would take more than the %d bytes allowed"},
    {66, "Cannot unpack \"%s\": its compression method (%s) is not supported"},
    {67, "Archive is damaged: its end record counts %d entries, its directory holds %d"},
    {68, "Cannot open the archive: its directory holds more than %d entries or needs more than "
         "%d bytes of memory"},
};

// clang-format off
const std::map<int, int> kExpectedIndex = {
    {0, 0},   {1, 1},   {2, 1},   {3, 1},   {4, 1},   {5, 2},   {6, 3},   {7, 1},
    {8, 4},   {9, 5},   {10, 5},  {11, 6},  {12, 6},  {13, 7},  {14, 7},  {15, 6},
    {16, 1},  {17, 8},  {18, 6},  {19, 9},  {20, 10}, {21, 1},  {22, 11}, {23, 9},
    {24, 1},  {25, 11}, {26, 13}, {27, 14}, {28, 15}, {29, 5},  {30, 6},  {31, 6},
    {32, 16}, {33, 12}, {34, 17}, {35, 18}, {36, 19}, {37, 20}, {38, 6},  {39, 21},
    {40, 22}, {41, 23}, {42, 6},  {43, 23}, {44, 24}, {45, 24}, {46, 25}, {47, 26},
    {48, 27}, {49, 28}, {50, 29}, {51, 30}, {52, 31}, {53, 6},  {54, 6},  {55, 32},
    {56, 33}, {57, 27}, {58, 34}, {59, 34}, {60, 35}, {61, 36}, {62, 37}, {63, 41},
    {64, 42}, {65, 43}, {66, 44}, {67, 45}, {68, 46},
};
// clang-format on

std::string Suffix(int code) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%05d", code);
    return std::string(" - Native error: ") + buf;
}

} // namespace

TEST(EZAExceptionTest, EveryCodeSelectsItsTextAndBuildsTheMessage) {
    ASSERT_EQ(kExpectedText.size(), 69u);
    for (const auto& [code, text] : kExpectedText) {
        SCOPED_TRACE(code);
        const EZAException plain(code);
        EXPECT_EQ(plain.NativeError(), code);
        EXPECT_EQ(plain.ErrorCode(), kExpectedIndex.at(code));
        EXPECT_EQ(std::string(plain.what()), text + Suffix(code));

        const EZAException named(code, "ZipArchiver");
        EXPECT_EQ(std::string(named.what()), "ZipArchiver: " + text + Suffix(code));
        EXPECT_EQ(named.ErrorCode(), plain.ErrorCode());
    }
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
