#pragma once
// A list of strings whose IndexOf answers through a hash index, rebuilt lazily.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "zip/directory/StringHash.h"

namespace zip {

class TZAHashedStringList {
public:
    TZAHashedStringList() = default;

    // Keys are the strings themselves when case-sensitive, else their ASCII upper-case form.
    bool CaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool value);

    int32_t Count() const { return static_cast<int32_t>(strings_.size()); }
    const std::string& operator[](int32_t index) const { return strings_.at(index); }
    const std::string& Strings(int32_t index) const { return strings_.at(index); }

    // Appends s and returns its position.
    int32_t Add(std::string s);
    void Delete(int32_t index);
    void Clear();
    // The position of s (the highest one when several strings share its key), or -1.
    int32_t IndexOf(std::string_view s);
    // The position of the first string of the form name=value, or -1.
    int32_t IndexOfName(std::string_view name);
    // The string at index becomes s; the index is kept in step.
    void Replace(int32_t index, std::string s);

    // For tests: the bucket count of the value index, 0 when there is none.
    uint32_t IndexBucketCount() const { return valueIndex_ ? valueIndex_->BucketCount() : 0; }
    bool IndexValid() const { return valueIndexValid_; }

private:
    std::string KeyOf(std::string_view s) const;
    void RebuildValueIndex();

    std::vector<std::string> strings_;
    bool caseSensitive_ = false;
    std::unique_ptr<TZAStringHash> valueIndex_;
    bool valueIndexValid_ = false;
    std::unique_ptr<TZAStringHash> nameIndex_;
    bool nameIndexValid_ = false;
};

} // namespace zip
