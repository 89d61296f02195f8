#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>

#include "zip/ZAExcept.h"
#include "zip/directory/DirArray.h"
#include "zip/directory/HashedStringList.h"
#include "zip/directory/StringHash.h"

using namespace zip;

namespace {

int NativeErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EZAException& e) {
        return e.NativeError();
    }
    return -1;
}

TDirItem Named(const std::string& name) {
    TDirItem item;
    item.Name = name;
    return item;
}

} // namespace

TEST(StringHashTest, HashValuesAndChains) {
    TZAStringHash hash(7);
    EXPECT_EQ(hash.HashOf(""), 0u);
    EXPECT_EQ(hash.HashOf("A"), 0x41u);
    EXPECT_EQ(hash.HashOf("AB"), 0x146u);
    EXPECT_EQ(hash.HashOf("ABC"), 0x55Bu);
    // Sixteen rotations by two bits bring the first byte back to where it started.
    EXPECT_EQ(hash.HashOf(std::string("\x01") + std::string(16, '\0')), 0x01u);
    EXPECT_EQ(hash.HashOf(std::string("\xC0") + std::string(1, '\0')), 0x300u);
    EXPECT_EQ(hash.HashOf(std::string("\xC0") + std::string(13, '\0')), 0x3u); // top bits wrap
    EXPECT_EQ(hash.HashOf(std::string("\xC0") + std::string(15, '\0')), 0x30u);

    hash.Add("k", 1);
    hash.Add("k", 2);
    EXPECT_EQ(hash.ValueOf("k"), 2); // the key added last is found first
    EXPECT_TRUE(hash.RemovePair("k", 1));
    EXPECT_EQ(hash.ValueOf("k"), 2);
    EXPECT_FALSE(hash.RemovePair("k", 1));
    hash.Remove("k");
    EXPECT_EQ(hash.ValueOf("k"), -1);
    hash.Add("K", 3);
    EXPECT_EQ(hash.ValueOf("k"), -1); // keys compare byte for byte
    hash.Clear();
    EXPECT_EQ(hash.ValueOf("K"), -1);
}

TEST(HashedStringListTest, LookupsThroughAddsAndDeletes) {
    TZAHashedStringList list;
    list.SetCaseSensitive(true);
    for (int i = 0; i < 10000; ++i)
        list.Add("file" + std::to_string(i));
    for (int i = 0; i < 10000; i += 7)
        ASSERT_EQ(list.IndexOf("file" + std::to_string(i)), i);
    EXPECT_EQ(list.IndexOf("missing"), -1);
    EXPECT_EQ(list.IndexOf(""), -1);
    // Adds after the index exists keep it up to date.
    list.Add("late");
    EXPECT_EQ(list.IndexOf("late"), 10000);
    // A delete shifts the later positions.
    list.Delete(0);
    EXPECT_EQ(list.IndexOf("file1"), 0);
    EXPECT_EQ(list.IndexOf("late"), 9999);
    EXPECT_EQ(list.IndexOf("file0"), -1);
    list.Add("");
    EXPECT_EQ(list.IndexOf(""), 10000);
    EXPECT_THROW(list.Delete(10001), std::out_of_range);
    EXPECT_THROW(list.Delete(-1), std::out_of_range);
}

TEST(HashedStringListTest, DuplicatesAnswerWithTheHighestPosition) {
    TZAHashedStringList list;
    for (const char* s : {"a", "b", "c", "x", "d", "e", "f"})
        list.Add(s);
    EXPECT_EQ(list.IndexOf("x"), 3); // builds the index
    list.Add("x");                   // position 7, kept up to date by Add
    EXPECT_EQ(list.IndexOf("x"), 7);
    list.Delete(0); // rebuild: now 2 and 6
    EXPECT_EQ(list.IndexOf("x"), 6);
}

TEST(HashedStringListTest, CaseInsensitiveKeysFoldAsciiOnly) {
    TZAHashedStringList list;
    list.Add("zero");
    list.Add("A.txt");
    list.Add("b");
    list.Add("c");
    list.Add("a.txt");
    EXPECT_EQ(list.IndexOf("A.TXT"), 4);
    // Bytes above 0x7F are not folded: "É" and "é" stay different names.
    list.Add("\xC3\x89.jpg");
    EXPECT_EQ(list.IndexOf("\xC3\xA9.jpg"), -1);
    EXPECT_EQ(list.IndexOf("\xC3\x89.JPG"), 5);

    list.SetCaseSensitive(true);
    EXPECT_EQ(list.IndexOf("A.TXT"), -1);
    EXPECT_EQ(list.IndexOf("A.txt"), 1);
}

TEST(HashedStringListTest, ReplaceWithDuplicateKeysKeepsEveryPositionFindable) {
    TZAHashedStringList list;
    for (const char* s : {"p0", "p1", "p2", "x", "p4", "p5", "p6", "x", "p8"})
        list.Add(s);
    EXPECT_EQ(list.IndexOf("x"), 7);
    list.Replace(3, "y");
    EXPECT_EQ(list.IndexOf("x"), 7);
    EXPECT_EQ(list.IndexOf("y"), 3);
    for (int i : {0, 1, 2, 4, 5, 6, 8})
        EXPECT_EQ(list.IndexOf(list[i]), i);
    // Giving a lower position an existing name keeps the highest position answering.
    list.Replace(1, "x");
    EXPECT_EQ(list.IndexOf("x"), 7);
    list.Replace(7, "z");
    EXPECT_EQ(list.IndexOf("x"), 1);
    EXPECT_EQ(list.IndexOf("z"), 7);
}

TEST(HashedStringListTest, RandomEditsAgreeWithAPlainSearch) {
    // Adds, deletes, replacements and lookups in random order over a small set of names, so
    // that duplicates, case variants and index drops happen often; every answer must be the
    // highest position holding the key, as a plain backwards search finds it.
    for (const bool caseSensitive : {true, false}) {
        SCOPED_TRACE(caseSensitive);
        std::mt19937 gen(caseSensitive ? 7 : 11);
        const std::vector<std::string> names = {"a", "A", "b", "photo.jpg", "PHOTO.JPG", "", "x"};
        TZAHashedStringList list;
        list.SetCaseSensitive(caseSensitive);
        std::vector<std::string> model;
        const auto key = [&](const std::string& s) {
            std::string k = s;
            if (!caseSensitive)
                for (char& c : k)
                    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            return k;
        };
        const auto expected = [&](const std::string& s) {
            for (size_t i = model.size(); i-- > 0;)
                if (key(model[i]) == key(s))
                    return static_cast<int32_t>(i);
            return int32_t{-1};
        };
        for (int step = 0; step < 5000; ++step) {
            const std::string& name = names[gen() % names.size()];
            switch (gen() % 5) {
            case 0:
            case 1:
                ASSERT_EQ(list.Add(name), static_cast<int32_t>(model.size()));
                model.push_back(name);
                break;
            case 2:
                if (!model.empty()) {
                    const auto i = static_cast<int32_t>(gen() % model.size());
                    list.Replace(i, name);
                    model[static_cast<size_t>(i)] = name;
                }
                break;
            case 3:
                if (!model.empty() && gen() % 4 == 0) {
                    const auto i = static_cast<int32_t>(gen() % model.size());
                    list.Delete(i);
                    model.erase(model.begin() + i);
                }
                break;
            default:
                for (const std::string& probe : names)
                    ASSERT_EQ(list.IndexOf(probe), expected(probe)) << "step " << step;
            }
        }
        ASSERT_EQ(list.Count(), static_cast<int32_t>(model.size()));
    }
}

TEST(HashedStringListTest, IndexIsDroppedAndRebuiltLarger) {
    TZAHashedStringList list;
    EXPECT_EQ(list.IndexOf("nothing"), -1);
    EXPECT_EQ(list.IndexBucketCount(), 1000u);
    for (int i = 0; i < 5000; ++i)
        list.Add("n" + std::to_string(i));
    EXPECT_EQ(list.IndexBucketCount(), 1000u);
    EXPECT_TRUE(list.IndexValid());
    list.Add("n5000"); // the 5,001st: more than 5 per bucket
    EXPECT_EQ(list.IndexBucketCount(), 0u);
    EXPECT_EQ(list.IndexOf("n4321"), 4321);
    EXPECT_EQ(list.IndexBucketCount(), 5001u);
    // Clear keeps an empty, valid index.
    list.Clear();
    EXPECT_TRUE(list.IndexValid());
    EXPECT_EQ(list.IndexOf("n1"), -1);
}

TEST(HashedStringListTest, IndexOfName) {
    TZAHashedStringList list;
    list.Add("plain");
    list.Add("key=1");
    list.Add("Key=2");
    list.Add("other=3=4");
    EXPECT_EQ(list.IndexOfName("KEY"), 1); // the first such string
    EXPECT_EQ(list.IndexOfName("other"), 3);
    EXPECT_EQ(list.IndexOfName("plain"), -1);
    list.Delete(1);
    EXPECT_EQ(list.IndexOfName("key"), 1);
}

TEST(DirArrayTest, IndexFollowsStoresRenamesAndDeletes) {
    TZADirArray dir("ZipArchiver");
    dir.Append(Named("IMG_1.JPG"));
    dir.Append(Named("img_1.jpg")); // differs only in case: another member
    dir.Append(Named("sub/"));
    int32_t index = -1;
    ASSERT_TRUE(dir.FindByName("img_1.jpg", index));
    EXPECT_EQ(index, 1);
    ASSERT_TRUE(dir.FindByName("IMG_1.JPG", index));
    EXPECT_EQ(index, 0);
    EXPECT_FALSE(dir.FindByName("Img_1.jpg", index));

    dir.RenameItem(0, "renamed.jpg");
    EXPECT_EQ(dir.At(0).Name, "renamed.jpg");
    EXPECT_FALSE(dir.FindByName("IMG_1.JPG", index));
    ASSERT_TRUE(dir.FindByName("renamed.jpg", index));
    EXPECT_EQ(index, 0);

    dir.SetItem(2, Named("other/"));
    EXPECT_FALSE(dir.FindByName("sub/", index));
    ASSERT_TRUE(dir.FindByName("other/", index));
    EXPECT_EQ(index, 2);

    dir.Delete(0);
    ASSERT_TRUE(dir.FindByName("other/", index));
    EXPECT_EQ(index, 1);

    TZADirArray copy;
    copy.Assign(dir);
    ASSERT_TRUE(copy.FindByName("img_1.jpg", index));
    EXPECT_EQ(index, 0);
}

TEST(DirArrayTest, DuplicateNamesAndRenamesOfEither) {
    TZADirArray dir;
    for (const char* n : {"a", "dup", "b", "dup"})
        dir.Append(Named(n));
    int32_t index = -1;
    ASSERT_TRUE(dir.FindByName("dup", index));
    EXPECT_EQ(index, 3);
    // Renaming the lower duplicate must not disturb the other one.
    dir.RenameItem(1, "one");
    ASSERT_TRUE(dir.FindByName("dup", index));
    EXPECT_EQ(index, 3);
    ASSERT_TRUE(dir.FindByName("one", index));
    EXPECT_EQ(index, 1);
}

TEST(DirArrayTest, BadIndexesAndAnIndexOutOfStep) {
    TZADirArray dir("ZipArchiver");
    dir.Append(Named("a"));
    EXPECT_EQ(NativeErrorOf([&] { dir.SetItem(5, Named("x")); }), 1);
    // Storing is for places that exist; appending is Append's job.
    EXPECT_EQ(NativeErrorOf([&] { dir.SetItem(1, Named("x")); }), 1);
    EXPECT_EQ(NativeErrorOf([&] { dir.SetItem(-1, Named("x")); }), 1);
    EXPECT_EQ(dir.Count(), 1);
    int32_t found = -1;
    EXPECT_FALSE(dir.FindByName("x", found));
    EXPECT_EQ(NativeErrorOf([&] { dir.GetItem(1); }), 2);
    EXPECT_EQ(NativeErrorOf([&] { dir.GetItem(-1); }), 2);
    EXPECT_EQ(NativeErrorOf([&] { dir.GetItemPtr(1); }), 3);
    EXPECT_EQ(NativeErrorOf([&] { dir.Delete(1); }), 4);
    try {
        dir.Delete(7);
    } catch (const EZAException& e) {
        EXPECT_STREQ(e.what(), "ZipArchiver: Index out of bounds - Native error: 00004");
    }
    // A name changed in place, behind the index's back, is refused on the next rename.
    dir.GetItemPtr(0).Name = "changed";
    EXPECT_EQ(NativeErrorOf([&] { dir.RenameItem(0, "b"); }), 59);
    EXPECT_EQ(dir.At(0).Name, "changed");
}

TEST(DirArrayTest, GrowthSteps) {
    TZADirArray dir;
    dir.SetCount(1);
    EXPECT_EQ(dir.Capacity(), 1000);
    dir.SetCount(1001);
    EXPECT_EQ(dir.Capacity(), 3000);
    dir.SetCount(0);
    EXPECT_EQ(dir.Capacity(), 0);
    EXPECT_EQ(dir.Count(), 0);
}
