#include "tests/model/ModelTestSupport.h"

#include "model/document/RecentItems.h"
#include "platform/UserStore.h"

using namespace model;
using namespace modeltest;
using platform::UserStore;

namespace {
const QString kKey = QStringLiteral("\\Software\\Brimlo Lumivex\\Recent");
}

TEST(RecentItems, NewestFirstWithinMaxCountAndExactNames) {
    TRecentItems recent;
    EXPECT_EQ(recent.MaxCount, 5);
    recent.MaxCount = 10;
    for (int i = 1; i <= 11; ++i)
        recent.Add(QString("/a/%1.zip").arg(i));
    ASSERT_EQ(recent.Count(), 10);
    EXPECT_EQ(recent.GetItem(0), "/a/11.zip");
    EXPECT_EQ(recent.GetItem(9), "/a/2.zip");
    recent.Add("/a/5.zip");
    EXPECT_EQ(recent.Count(), 10);
    EXPECT_EQ(recent.GetItem(0), "/a/5.zip");
    EXPECT_EQ(recent.Items.count("/a/5.zip"), 1);
    recent.Add("/x/A.zip");
    recent.Add("/x/a.zip");
    EXPECT_EQ(recent.GetItem(0), "/x/a.zip");
    EXPECT_EQ(recent.GetItem(1), "/x/A.zip") << "names differing in case are two files";
    EXPECT_EQ(recent.GetItem(99), "");
    recent.Add("x/a.zip"); // relative: names no file for certain
    recent.Add("/y/../x//a.zip");
    EXPECT_EQ(recent.Items.mid(0, 3), (QStringList{"/x/a.zip", "/x/A.zip", "/a/5.zip"}));
}

TEST(RecentItems, StoreRoundTripAndDamagedKeys) {
    TempFolder dir;
    UserStore store = UserStore::atFile(dir.file("registry.ini"));
    TRecentItems recent;
    recent.MaxCount = 10;
    recent.LoadFromRegistry(store, kKey);
    EXPECT_EQ(recent.Count(), 0) << "no key yet";

    recent.Add("/b/ü R&D.zip");
    recent.Add("/a/x.zip");
    ASSERT_TRUE(recent.SaveToRegistry(store, kKey));
    {
        UserStore reopened = UserStore::atFile(dir.file("registry.ini"));
        TRecentItems loaded;
        loaded.MaxCount = 10;
        loaded.LoadFromRegistry(reopened, kKey);
        EXPECT_EQ(loaded.Items, recent.Items);
    }

    store.writeInt(kKey, "Count", 12);
    for (int i = 0; i < 12; ++i)
        store.writeString(kKey, QString("Item%1").arg(i), QString("/f/%1.zip").arg(i));
    recent.LoadFromRegistry(store, kKey);
    EXPECT_EQ(recent.Count(), 10);
    EXPECT_EQ(recent.GetItem(9), "/f/9.zip");

    store.deleteKey(kKey);
    store.writeInt(kKey, "Count", 3);
    store.writeString(kKey, "Item0", "/f/0.zip");
    store.writeString(kKey, "Item2", "/f/2.zip");
    recent.LoadFromRegistry(store, kKey);
    EXPECT_EQ(recent.Items, (QStringList{"/f/0.zip", "/f/2.zip"})) << "gaps are skipped";

    store.deleteKey(kKey);
    store.writeString(kKey, "Item0", "/f/0.zip");
    store.writeString(kKey, "Item1", "");
    store.writeString(kKey, "Item2", "/f/2.zip");
    recent.LoadFromRegistry(store, kKey);
    EXPECT_EQ(recent.Items, (QStringList{"/f/0.zip", "/f/2.zip"})) << "empty ones are skipped";
    store.deleteKey(kKey);
    store.writeString(kKey, "Item0", "/f/0.zip");
    store.writeString(kKey, "Item2", "/f/2.zip");
    recent.LoadFromRegistry(store, kKey);
    EXPECT_EQ(recent.Items, (QStringList{"/f/0.zip"})) << "no Count: the items up to a gap";

    store.writeString(kKey, "Count", "lots");
    recent.LoadFromRegistry(store, kKey);
    EXPECT_EQ(recent.Count(), 1);
    store.writeInt(kKey, "Count", 2147483647);
    recent.LoadFromRegistry(store, kKey);
    EXPECT_EQ(recent.Count(), 2) << "a huge Count is bounded by the values present";
    store.writeInt(kKey, "Count", -4);
    recent.LoadFromRegistry(store, kKey);
    EXPECT_EQ(recent.Count(), 0);

    // A gap below "Count" hides nothing after it, however many values are missing.
    store.deleteKey(kKey);
    store.writeInt(kKey, "Count", 6);
    store.writeString(kKey, "Item0", "/g/0.zip");
    store.writeString(kKey, "Item5", "/g/5.zip");
    recent.LoadFromRegistry(store, kKey);
    EXPECT_EQ(recent.Items, (QStringList{"/g/0.zip", "/g/5.zip"}));
    store.writeString(kKey, "Item05", "/g/not-an-index.zip");
    store.writeString(kKey, "Item6", "/g/past-count.zip");
    recent.LoadFromRegistry(store, kKey);
    EXPECT_EQ(recent.Items, (QStringList{"/g/0.zip", "/g/5.zip"}));

    for (int i = 0; i < 5; ++i)
        store.writeString(kKey, QString("Item%1").arg(i), "x");
    TRecentItems empty;
    ASSERT_TRUE(empty.SaveToRegistry(store, kKey));
    EXPECT_EQ(store.readInt(kKey, "Count"), 0);
    EXPECT_EQ(store.valueNames(kKey), QStringList{"Count"});
}

TEST(RecentItems, MenuCaptions) {
    TRecentItems recent;
    EXPECT_TRUE(recent.MenuCaptions().isEmpty());
    recent.Add("/c/z.zip");
    recent.Add("/b/R&D.zip");
    recent.Add("/a/x.zip");
    EXPECT_EQ(recent.MenuCaptions(),
              (QStringList{"[&0]  /a/x.zip", "[&1]  /b/R&&D.zip", "[&2]  /c/z.zip"}));
    recent.MaxCount = 40;
    for (int i = 0; i < 37; ++i)
        recent.Add(QString("/%1").arg(i));
    EXPECT_TRUE(recent.MenuCaptions()[36].startsWith("[&0]  ")) << "numbers wrap after 35";
}
