#include "zip/directory/HashedStringList.h"

#include <algorithm>
#include <stdexcept>

#include "zip/names/ZAStrFunc.h"

namespace zip {

void TZAHashedStringList::SetCaseSensitive(bool value) {
    if (value == caseSensitive_)
        return;
    caseSensitive_ = value;
    valueIndexValid_ = false;
    nameIndexValid_ = false;
}

std::string TZAHashedStringList::KeyOf(std::string_view s) const {
    return caseSensitive_ ? std::string(s) : ZAUpperCase(s);
}

int32_t TZAHashedStringList::Add(std::string s) {
    const auto position = static_cast<int32_t>(strings_.size());
    const std::string key = KeyOf(s);
    strings_.push_back(std::move(s));
    nameIndexValid_ = false;
    if (valueIndex_ && valueIndexValid_) {
        valueIndex_->Add(key, position);
        if (strings_.size() > 5ull * valueIndex_->BucketCount()) {
            valueIndex_.reset();
            valueIndexValid_ = false;
        }
    }
    return position;
}

void TZAHashedStringList::Delete(int32_t index) {
    if (index < 0 || index >= Count())
        throw std::out_of_range("string list index out of bounds");
    strings_.erase(strings_.begin() + index);
    valueIndexValid_ = false;
    nameIndexValid_ = false;
}

void TZAHashedStringList::Clear() {
    strings_.clear();
    if (valueIndex_)
        valueIndex_->Clear();
    nameIndexValid_ = false;
}

void TZAHashedStringList::RebuildValueIndex() {
    if (!valueIndex_)
        valueIndex_ = std::make_unique<TZAStringHash>(
            static_cast<uint32_t>(std::max<size_t>(strings_.size(), 1000)));
    valueIndex_->Clear();
    for (size_t i = 0; i < strings_.size(); ++i)
        valueIndex_->Add(KeyOf(strings_[i]), static_cast<int32_t>(i));
    valueIndexValid_ = true;
}

int32_t TZAHashedStringList::IndexOf(std::string_view s) {
    if (!valueIndex_ || !valueIndexValid_)
        RebuildValueIndex();
    return valueIndex_->ValueOf(KeyOf(s));
}

int32_t TZAHashedStringList::IndexOfName(std::string_view name) {
    if (!nameIndex_ || !nameIndexValid_) {
        if (!nameIndex_)
            nameIndex_ = std::make_unique<TZAStringHash>(256);
        nameIndex_->Clear();
        // Added from the end so that the first string with a name answers.
        for (size_t i = strings_.size(); i-- > 0;) {
            const size_t eq = strings_[i].find('=');
            if (eq != std::string::npos)
                nameIndex_->Add(KeyOf(std::string_view(strings_[i]).substr(0, eq)),
                                static_cast<int32_t>(i));
        }
        nameIndexValid_ = true;
    }
    return nameIndex_->ValueOf(KeyOf(name));
}

void TZAHashedStringList::Replace(int32_t index, std::string s) {
    // The pair (old key, index) is removed, not merely the first item with the old key:
    // with duplicate names the first item may belong to another position.
    if (valueIndex_)
        valueIndex_->RemovePair(KeyOf(strings_.at(index)), index);
    strings_.at(index) = std::move(s);
    if (valueIndex_) {
        const std::string key = KeyOf(strings_[index]);
        // Among equal keys the highest position answers; a lower one put at the chain head
        // would hide it, so let the next lookup rebuild in order instead.
        if (valueIndex_->ValueOf(key) > index)
            valueIndexValid_ = false;
        else
            valueIndex_->Add(key, index);
    }
    nameIndexValid_ = false;
}

} // namespace zip
