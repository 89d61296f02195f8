#include "zip/directory/StringHash.h"

namespace zip {

TZAStringHash::TZAStringHash(uint32_t bucketCount) : buckets_(bucketCount == 0 ? 1 : bucketCount) {}

TZAStringHash::~TZAStringHash() {
    Clear();
}

uint32_t TZAStringHash::HashOf(std::string_view key) const {
    uint32_t h = 0;
    for (const char c : key)
        h = ((h << 2) | (h >> 30)) ^ static_cast<uint8_t>(c);
    return h;
}

uint32_t TZAStringHash::BucketOf(std::string_view key) const {
    return HashOf(key) % static_cast<uint32_t>(buckets_.size());
}

void TZAStringHash::Add(std::string_view key, int32_t value) {
    auto& head = buckets_[BucketOf(key)];
    auto item = std::make_unique<Item>();
    item->Key = std::string(key);
    item->Value = value;
    item->Next = std::move(head);
    head = std::move(item);
}

void TZAStringHash::Remove(std::string_view key) {
    std::unique_ptr<Item>* link = &buckets_[BucketOf(key)];
    while (*link) {
        if ((*link)->Key == key) {
            *link = std::move((*link)->Next);
            return;
        }
        link = &(*link)->Next;
    }
}

bool TZAStringHash::RemovePair(std::string_view key, int32_t value) {
    std::unique_ptr<Item>* link = &buckets_[BucketOf(key)];
    while (*link) {
        if ((*link)->Value == value && (*link)->Key == key) {
            *link = std::move((*link)->Next);
            return true;
        }
        link = &(*link)->Next;
    }
    return false;
}

int32_t TZAStringHash::ValueOf(std::string_view key) const {
    for (const Item* item = buckets_[BucketOf(key)].get(); item; item = item->Next.get())
        if (item->Key == key)
            return item->Value;
    return -1;
}

void TZAStringHash::Clear() {
    // Unlink chains iteratively: a long chain freed recursively could exhaust the stack.
    for (auto& head : buckets_) {
        while (head)
            head = std::move(head->Next);
    }
}

} // namespace zip
