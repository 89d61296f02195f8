#pragma once
// A chained hash table from byte-string keys to positions, with a fixed bucket count.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zip {

class TZAStringHash {
public:
    explicit TZAStringHash(uint32_t bucketCount);
    virtual ~TZAStringHash();
    TZAStringHash(const TZAStringHash&) = delete;
    TZAStringHash& operator=(const TZAStringHash&) = delete;

    // h := (h rotated left by 2) xor byte, over the key's bytes.
    virtual uint32_t HashOf(std::string_view key) const;

    // Puts (key, value) at the head of its chain; equal keys are not checked for.
    void Add(std::string_view key, int32_t value);
    // Removes the first item with key.
    void Remove(std::string_view key);
    // Removes the item holding exactly (key, value); false when there is none.
    bool RemovePair(std::string_view key, int32_t value);
    // The value of the first item with key, or -1.
    int32_t ValueOf(std::string_view key) const;
    void Clear();

    uint32_t BucketCount() const { return static_cast<uint32_t>(buckets_.size()); }

private:
    struct Item {
        std::unique_ptr<Item> Next;
        std::string Key;
        int32_t Value;
    };
    uint32_t BucketOf(std::string_view key) const;

    std::vector<std::unique_ptr<Item>> buckets_;
};

} // namespace zip
