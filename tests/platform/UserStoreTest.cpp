#include "platform/UserStore.h"

#include "tests/platform/TestFolders.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <fstream>

using platform::UserStore;

namespace {
const QString kRecent = QStringLiteral("\\Software\\Brimlo Lumivex\\Recent");
const QString kLanguage = QStringLiteral("\\Software\\Brimlo Lumivex\\Language");
} // namespace

TEST(UserStore, LivesInTheUsersConfigFolder) {
    testsupport::TempUserFolders user;
    UserStore store;
    EXPECT_EQ(store.fileName().toStdString(), user.config() + "Brimlo Lumivex/registry.ini");
    store.writeInt(kRecent, QStringLiteral("Count"), 0);
    ASSERT_TRUE(store.sync());
    EXPECT_TRUE(QFileInfo::exists(store.fileName()));
}

TEST(UserStore, ValuesSurviveReopeningAndBothSlashFormsNameOneKey) {
    testsupport::TempUserFolders user;
    const QString awkward = QStringLiteral("C:\\Alben/ü ñ; x=y # not a comment\n[section]%20");
    {
        UserStore store;
        store.writeInt(kRecent, QStringLiteral("Count"), 2);
        store.writeString(kRecent, QStringLiteral("Item0"),
                          QStringLiteral("/home/u/Fotos ü/a.zip"));
        store.writeString(kRecent, QStringLiteral("Item1"), awkward);
        store.writeString(kLanguage, QStringLiteral("Language"), QStringLiteral("de"));
    }
    UserStore store;
    const QString slashed = QStringLiteral("/Software/Brimlo Lumivex/Recent/");
    EXPECT_EQ(store.readInt(slashed, QStringLiteral("Count")), 2);
    EXPECT_EQ(store.readString(kRecent, QStringLiteral("Item0")),
              QStringLiteral("/home/u/Fotos ü/a.zip"));
    EXPECT_EQ(store.readString(kRecent, QStringLiteral("Item1")), awkward);
    EXPECT_EQ(store.readString(kLanguage, QStringLiteral("Language")), QStringLiteral("de"));
    EXPECT_EQ(
        store.valueNames(kRecent),
        (QStringList{QStringLiteral("Count"), QStringLiteral("Item0"), QStringLiteral("Item1")}));
    // Keys are separate: a value of one key is not visible in another.
    EXPECT_FALSE(store.readString(kLanguage, QStringLiteral("Count")));
}

TEST(UserStore, ReadIntAcceptsOnlyDecimalIntegers) {
    testsupport::TempUserFolders user;
    UserStore store;
    const QString key = QStringLiteral("\\Software\\T");
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"12", 12},
        {" 12 ", 12},
        {"-3", -3},
        {"+4", 4},
        {"abc", std::nullopt},
        {"0x10", std::nullopt},
        {"12.0", std::nullopt},
        {"", std::nullopt},
        {"2147483648", std::nullopt},
        {"2147483647", 2147483647},
    };
    for (const auto& [text, expected] : cases) {
        store.writeString(key, QStringLiteral("V"), QString::fromUtf8(text));
        EXPECT_EQ(store.readInt(key, QStringLiteral("V")), expected) << text;
    }
    EXPECT_FALSE(store.readInt(key, QStringLiteral("Absent")));
}

TEST(UserStore, DeletingValuesAndKeys) {
    testsupport::TempUserFolders user;
    UserStore store;
    store.writeInt(kRecent, QStringLiteral("Count"), 1);
    store.writeString(kRecent, QStringLiteral("Item0"), QStringLiteral("a"));
    store.writeString(kLanguage, QStringLiteral("Language"), QStringLiteral("fr"));
    EXPECT_TRUE(store.keyExists(kRecent));
    EXPECT_TRUE(store.keyExists(QStringLiteral("\\Software\\Brimlo Lumivex")));
    EXPECT_FALSE(store.keyExists(QStringLiteral("\\Software\\Brimlo")));
    EXPECT_FALSE(store.keyExists(QStringLiteral("\\Software\\Brimlo Lumivex\\Rec")));

    EXPECT_EQ(store.valueNames(kRecent), (QStringList{"Count", "Item0"}));

    EXPECT_TRUE(store.deleteKey(kRecent));
    EXPECT_FALSE(store.keyExists(kRecent));
    EXPECT_FALSE(store.deleteKey(kRecent));
    // Deleting one key leaves its sibling.
    EXPECT_EQ(store.readString(kLanguage, QStringLiteral("Language")), QStringLiteral("fr"));
    // The whole tree is never deleted by an empty path.
    EXPECT_FALSE(store.deleteKey(QStringLiteral("\\")));
    ASSERT_TRUE(store.sync());
    UserStore reopened;
    EXPECT_FALSE(reopened.keyExists(kRecent));
    EXPECT_TRUE(reopened.keyExists(kLanguage));
}

TEST(UserStore, DamagedFileReadsAsWhatItCanAndDoesNotThrow) {
    testsupport::TempUserFolders user;
    const std::string dir = user.config() + "Brimlo Lumivex/";
    std::filesystem::create_directories(dir);
    std::ofstream(dir + "registry.ini", std::ios::binary)
        << "garbage without section\n\x01\x02\xff\n[Software]\nBrimlo%20Lumivex\\Recent\\Count=x\n"
           "Brimlo%20Lumivex\\Recent\\Item0=/a.zip\n[unterminated\n";
    UserStore store;
    EXPECT_FALSE(store.readInt(kRecent, QStringLiteral("Count")));
    EXPECT_EQ(store.readString(kRecent, QStringLiteral("Item0")), QStringLiteral("/a.zip"));
}

TEST(UserStore, AnExplicitFileCanBeUsed) {
    testsupport::TempFolder t;
    const QString path = QString::fromStdString(t.dir() + "sub/store.ini");
    {
        UserStore store = UserStore::atFile(path);
        store.writeInt(kRecent, QStringLiteral("Count"), 7);
        EXPECT_TRUE(store.sync());
    }
    EXPECT_EQ(UserStore::atFile(path).readInt(kRecent, QStringLiteral("Count")), 7);
}
