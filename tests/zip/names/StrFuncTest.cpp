#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "zip/ZAConst.h"
#include "zip/names/ZAMasks.h"
#include "zip/names/ZAStrFunc.h"
#include "zip/names/ZAStringTables.h"

using namespace zip;

TEST(StrFuncTest, CaseFoldingTouchesAsciiLettersOnly) {
    EXPECT_EQ(ZAUpperCase("abc-xyz_09.jpg"), "ABC-XYZ_09.JPG");
    EXPECT_EQ(ZALowerCase("ABC-XYZ_09.JPG"), "abc-xyz_09.jpg");
    // UTF-8 lead and continuation bytes stay as they are ("é" is C3 A9, "É" is C3 89).
    EXPECT_EQ(ZAUpperCase("\xC3\xA9t\xC3\xA9"), "\xC3\xA9T\xC3\xA9");
    EXPECT_EQ(ZALowerCase("\xC3\x89"), "\xC3\x89");
    EXPECT_TRUE(ZASameText("Photo.JPG", "photo.jpg"));
    EXPECT_FALSE(ZASameText("\xC3\x89.jpg", "\xC3\xA9.jpg"));
    EXPECT_FALSE(ZASameText("a", "ab"));
    // Turkish dotless and dotted i are not ASCII letters.
    EXPECT_EQ(ZAUpperCase("\xC4\xB1i"), "\xC4\xB1I");
}

TEST(StrFuncTest, StoredNamesFollowTheCodePageOrUtf8Rule) {
    struct Case {
        std::string name;
        bool oem;
        std::string stored;
        bool utf8Flag;
    };
    const Case cases[] = {
        {"plain/file.txt", true, "plain/file.txt", false},
        {"café ñ.txt", true, "caf\x82 \xA4.txt", false},
        {"日本.txt", true, "日本.txt", true},
        {"zł.jpg", true, "zł.jpg", true},      // ł is not in code page 437
        {"€.txt", true, "€.txt", true},        // nor is the euro sign
        {"café.txt", false, "café.txt", true}, // without the option: UTF-8 with the flag
        {"plain.txt", false, "plain.txt", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        uint16_t flags = kFlagEncrypted;
        const std::string stored = ZAEncodeStoredName(c.name, c.oem, flags);
        EXPECT_EQ(stored, c.stored);
        EXPECT_EQ((flags & kFlagUtf8) != 0, c.utf8Flag);
        EXPECT_NE(flags & kFlagEncrypted, 0); // other bits are kept
        const auto back = ZADecodeStoredName(stored, flags, c.oem);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(*back, c.name);
    }
    // An entry already marked UTF-8 keeps its name in UTF-8 even when it would fit.
    uint16_t flags = kFlagUtf8;
    EXPECT_EQ(ZAEncodeStoredName("café", true, flags), "café");
    EXPECT_EQ(flags, kFlagUtf8);
}

TEST(StrFuncTest, ReadingNames) {
    // Without the flag, bytes are code page 437 (a name another tool wrote on Windows).
    EXPECT_EQ(ZADecodeStoredName("\x8E\x99\x9A.txt", 0, true),
              std::optional<std::string>("ÄÖÜ.txt"));
    // With it, valid UTF-8 as it is; anything else, and NUL anywhere, is refused.
    EXPECT_EQ(ZADecodeStoredName("日本", kFlagUtf8, true), std::optional<std::string>("日本"));
    EXPECT_FALSE(ZADecodeStoredName("\xE6\x97", kFlagUtf8, true));
    EXPECT_FALSE(ZADecodeStoredName("\xC0\xAE\xC0\xAE/x", kFlagUtf8, true)); // overlong ".."
    EXPECT_FALSE(ZADecodeStoredName(std::string_view("a\0b", 3), 0, true));
    EXPECT_FALSE(ZADecodeStoredName(std::string_view("a\0b", 3), kFlagUtf8, true));
    // Without the option, UTF-8 from another tool that forgot the flag is taken as it is.
    EXPECT_EQ(ZADecodeStoredName("日本", 0, false), std::optional<std::string>("日本"));
    EXPECT_EQ(ZADecodeStoredName("\x82", 0, false), std::optional<std::string>("é"));
    EXPECT_EQ(ZADecodeStoredName("", 0, true), std::optional<std::string>(""));
}

TEST(StrFuncTest, NamesOfOtherSystemsAreTheirOwnBytes) {
    // Archivers on Unix (host 3) store the file name's bytes, UTF-8 today, without the flag.
    const uint16_t unix = 0x031E, ntfs = 0x0B14, dos = 0x0014;
    EXPECT_EQ(ZADecodeStoredName("caf\xC3\xA9.txt", 0, true, unix),
              std::optional<std::string>("café.txt"));
    // Bytes that are not UTF-8 stay code page 437 there too.
    EXPECT_EQ(ZADecodeStoredName("caf\x82.txt", 0, true, unix),
              std::optional<std::string>("café.txt"));
    // The systems of the OEM code page keep it, whatever the bytes look like.
    for (const uint16_t host : {dos, ntfs, uint16_t(0x0614), uint16_t(0x0E14)}) {
        SCOPED_TRACE(host);
        EXPECT_EQ(ZADecodeStoredName("caf\x82.txt", 0, true, host),
                  std::optional<std::string>("café.txt"));
        EXPECT_EQ(ZADecodeStoredName("\xC3\xA9", 0, true, host),
                  std::optional<std::string>("\u251C\u2310"));
    }
    // Written back, such a name keeps its bytes and the flags their bits.
    for (const bool oem : {true, false}) {
        for (const std::string name : {"café.txt", "日本.txt"}) {
            uint16_t flags = 0;
            EXPECT_EQ(ZAEncodeStoredName(name, oem, flags, unix), name);
            EXPECT_EQ(flags, 0);
            EXPECT_EQ(ZADecodeStoredName(name, flags, oem, unix), std::optional<std::string>(name));
        }
    }
    // A name that was code page 437 on disk goes back to it.
    uint16_t flags = 0;
    EXPECT_EQ(ZAEncodeStoredName("café.txt", true, flags, dos), "caf\x82.txt");
}

TEST(StrFuncTest, Utf8Validation) {
    EXPECT_TRUE(ZAIsValidUtf8(""));
    EXPECT_TRUE(ZAIsValidUtf8("a\xC3\xA9\xE6\x97\xA5\xF0\x9F\x93\xB7"));
    EXPECT_FALSE(ZAIsValidUtf8("\x80"));
    EXPECT_FALSE(ZAIsValidUtf8("\xF4\x90\x80\x80")); // above U+10FFFF
    EXPECT_FALSE(ZAIsValidUtf8("\xED\xB0\x80"));     // surrogate
    EXPECT_FALSE(ZAIsValidUtf8("\xE0\x80\x80"));     // overlong
    EXPECT_FALSE(ZAIsValidUtf8("\xF0\x9F\x93"));     // cut
}

TEST(StrFuncTest, NameComparisonsFoldAsciiOnlyUnderEveryLocale) {
    // A Turkish user: the engine still compares UTF-8 names by bytes with ASCII case.
    const char* vars[] = {"LC_ALL", "LC_COLLATE", "LANG"};
    std::string saved[3];
    bool had[3];
    for (int i = 0; i < 3; ++i) {
        const char* v = std::getenv(vars[i]);
        had[i] = v != nullptr;
        saved[i] = v ? v : "";
        setenv(vars[i], "tr_TR.UTF-8", 1);
    }
    EXPECT_EQ(TZAStringTables::UserDefaultLocaleId(), 1033u);
    for (int i = 0; i < 3; ++i) {
        if (had[i])
            setenv(vars[i], saved[i].c_str(), 1);
        else
            unsetenv(vars[i]);
    }
    EXPECT_TRUE(WildcardMatch("PHOTO.GIF", "*.gif", true));
    EXPECT_TRUE(WildcardMatch("index.html", "INDEX.HTML", true));
    // "ã" (C3 A3) and "ぃ" (E3 81 83) share no letter, whatever case is ignored.
    EXPECT_FALSE(WildcardMatch("\xE3\x81\x83", "\xC3\x81\x83", true));
}
