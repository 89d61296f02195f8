#include "tests/zip/TestTools.h"

#include "zip/ZAExcept.h"
#include "zip/streams/MemoryStream.h"
#include "zip/volumes/VolumeReader.h"
#include "zip/volumes/VolumeWriter.h"

#include <gtest/gtest.h>

#include <map>

using namespace zip;
using namespace ziptest;

namespace {

// Volumes kept in memory, by name; a stream handed out shares its bytes with the store until
// it is given back (on destruction).
class MemoryVolumes : public TZAVolumeSource {
public:
    class Handle : public Stream {
    public:
        Handle(MemoryVolumes& owner, std::string name)
            : owner_(owner), name_(std::move(name)), bytes_(owner.files[name_]) {
            bytes_.SetPosition(0);
        }
        ~Handle() override { owner_.files[name_] = bytes_.Bytes(); }
        int64_t Read(void* b, int64_t n) override { return bytes_.Read(b, n); }
        int64_t Write(const void* b, int64_t n) override { return bytes_.Write(b, n); }
        int64_t Seek(int64_t o, TZASeekOrigin origin) override { return bytes_.Seek(o, origin); }
        int64_t Size() override { return bytes_.Size(); }
        bool SetSize(int64_t n) override { return bytes_.SetSize(n); }

    private:
        MemoryVolumes& owner_;
        std::string name_;
        MemoryStream bytes_;
    };

    std::map<std::string, std::vector<uint8_t>> files;
    int64_t limit = 1000;
    int64_t free = 1 << 30;
    int created = 0;
    int opened = 0;

    static std::string NameOf(int32_t n) { return "v" + std::to_string(n); }
    std::unique_ptr<Stream> OpenVolume(int32_t number, int32_t) override {
        ++opened;
        if (!files.count(NameOf(number)))
            throw EZAException(45);
        return std::make_unique<Handle>(*this, NameOf(number));
    }
    std::unique_ptr<Stream> CreateVolume(int32_t number, std::string& path) override {
        ++created;
        path = NameOf(number);
        files[path].clear();
        return std::make_unique<Handle>(*this, path);
    }
    std::unique_ptr<Stream> ReopenVolume(const std::string& path) override {
        return std::make_unique<Handle>(*this, path);
    }
    bool RemoveVolume(const std::string& path) override { return files.erase(path) == 1; }
    bool RenameVolume(const std::string& from, const std::string& to) override {
        files[to] = files[from];
        files.erase(from);
        return true;
    }
    int64_t VolumeLimit(int32_t) override { return limit; }
    int64_t FreeSpace(const std::string&) override { return free; }
};

} // namespace

TEST(VolumeStreams, WrittenAcrossVolumesReadBackAnywhere) {
    MemoryVolumes volumes;
    const std::string data = RandomData(4321, 1);
    std::vector<int64_t> sizes;
    {
        TZAVolumeWriter writer(volumes, true);
        ASSERT_EQ(writer.Write(data.data(), 1500), 1500);
        EXPECT_EQ(writer.CurrentDisk(), 1);
        EXPECT_EQ(writer.DiskOffset(), 500);
        // 600 bytes kept together do not fit the 500 left: they start the next volume.
        ASSERT_TRUE(writer.KeepTogether(600));
        EXPECT_EQ(writer.CurrentDisk(), 2);
        ASSERT_EQ(writer.Write(data.data() + 1500, int64_t(data.size()) - 1500),
                  int64_t(data.size()) - 1500);
        EXPECT_EQ(writer.DiskStart(2), 1500);
        EXPECT_FALSE(writer.KeepTogether(1001)); // not even a fresh volume holds it
        sizes = writer.Finish("last");
    }
    EXPECT_EQ(sizes, (std::vector<int64_t>{1000, 500, 1000, 1000, 821}));
    EXPECT_EQ(volumes.files.count("last"), 1u);
    EXPECT_EQ(volumes.files.count("v4"), 0u);

    // The reader learns the sizes by opening each volume.
    volumes.files["v4"] = volumes.files["last"];
    auto last = volumes.OpenVolume(4, 4);
    TZAVolumeReader reader(volumes, 4, std::move(last));
    EXPECT_EQ(reader.Size(), int64_t(data.size()));
    const std::pair<int64_t, int64_t> reads[] = {{0, 4321}, {990, 20}, {1499, 2}, {4300, 100}};
    for (const auto& [at, count] : reads) {
        std::string got(size_t(count), '\0');
        ASSERT_TRUE(reader.SetPosition(at));
        const int64_t n = reader.Read(got.data(), count);
        EXPECT_EQ(n, std::min<int64_t>(count, 4321 - at)) << at;
        EXPECT_TRUE(got.substr(0, size_t(n)) == data.substr(size_t(at), size_t(n))) << at;
    }
    ASSERT_TRUE(reader.SetPosition(2600));
    EXPECT_EQ(reader.CurrentDisk(), 3);
    EXPECT_EQ(reader.DiskOffset(), 100);
    EXPECT_EQ(reader.DiskStart(5), -1);

    // A missing volume is found while the sizes are learnt, not halfway through a member.
    volumes.files.erase("v2");
    EXPECT_THROW(TZAVolumeReader(volumes, 4, volumes.OpenVolume(4, 4)), EZAException);
}

TEST(VolumeStreams, CutBackRemovesLaterVolumes) {
    MemoryVolumes volumes;
    TZAVolumeWriter writer(volumes, true);
    const std::string data = RandomData(2500, 2);
    ASSERT_EQ(writer.Write(data.data(), 2500), 2500);
    ASSERT_TRUE(writer.SetSize(1200));
    EXPECT_EQ(writer.Size(), 1200);
    EXPECT_EQ(volumes.files.count("v2"), 0u);
    ASSERT_EQ(writer.Write(data.data(), 900), 900);
    EXPECT_EQ(writer.CurrentDisk(), 2);
    EXPECT_FALSE(writer.SetSize(5000));

    // Disks taken out of the drive cannot be cut back.
    MemoryVolumes disks;
    TZAVolumeWriter spanned(disks, false);
    ASSERT_EQ(spanned.Write(data.data(), 1500), 1500);
    EXPECT_TRUE(spanned.SetSize(1200));
    EXPECT_FALSE(spanned.SetSize(100));
}

TEST(VolumeStreams, NoRoomEndsTheWriteInsteadOfOpeningEmptyVolumes) {
    struct Case {
        int64_t limit;
        int64_t free;
    };
    for (const Case c : {Case{1000, 0}, Case{-1, 0}, Case{0, 65536}}) {
        MemoryVolumes volumes;
        volumes.limit = c.limit;
        volumes.free = c.free;
        TZAVolumeWriter writer(volumes, true);
        const std::string data(3000, 'x');
        // A volume without room took nothing: the write comes back short at once.
        EXPECT_LT(writer.Write(data.data(), 3000), std::min<int64_t>(c.free, 3000) + 1);
        EXPECT_LE(volumes.created, 2);
    }
}
