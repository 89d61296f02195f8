#include "zip/directory/DirArray.h"

#include <algorithm>

#include "zip/ZAExcept.h"

namespace zip {

namespace {
constexpr int32_t kLargestGrowthStep = 10000;
}

TZADirArray::TZADirArray(std::string componentName) : componentName_(std::move(componentName)) {
    // Names that differ only in case are different files here.
    names_.SetCaseSensitive(true);
}

void TZADirArray::CheckIndex(int32_t index, ZAError code) const {
    if (index < 0 || index >= Count())
        throw EZAException(code, componentName_);
}

TDirItem TZADirArray::GetItem(int32_t index) const {
    CheckIndex(index, ZAError::GetIndexOutOfBounds);
    return items_[index];
}

TDirItem& TZADirArray::GetItemPtr(int32_t index) {
    CheckIndex(index, ZAError::ItemIndexOutOfBounds);
    return items_[index];
}

const TDirItem& TZADirArray::At(int32_t index) const {
    CheckIndex(index, ZAError::GetIndexOutOfBounds);
    return items_[index];
}

void TZADirArray::Grow(int32_t count) {
    if (count <= capacity_)
        return;
    growthStep_ = std::min(growthStep_ * 2, kLargestGrowthStep);
    capacity_ = capacity_ + growthStep_ > count ? capacity_ + growthStep_ : count;
    // The storage itself grows geometrically, so that a directory of a million entries is not
    // moved a hundred times while it is read.
    if (static_cast<size_t>(capacity_) > items_.capacity())
        items_.reserve(std::max(static_cast<size_t>(capacity_), items_.capacity() * 2));
}

void TZADirArray::Reserve(int32_t count) {
    if (count > capacity_) {
        capacity_ = count;
        items_.reserve(static_cast<size_t>(count));
    }
}

void TZADirArray::SetCount(int32_t count) {
    if (count < 0)
        count = 0;
    if (count == 0) {
        items_.clear();
        items_.shrink_to_fit();
        names_.Clear();
        capacity_ = 0;
        return;
    }
    Grow(count);
    while (Count() > count) {
        items_.pop_back();
        names_.Delete(names_.Count() - 1);
    }
    while (Count() < count) {
        items_.emplace_back();
        names_.Add(std::string());
    }
}

void TZADirArray::SetItem(int32_t index, TDirItem item) {
    CheckIndex(index, ZAError::StoreIndexOutOfBounds);
    if (names_.Count() < index + 1) {
        if (names_.Count() != index)
            throw EZAException(ZAError::NameIndexSize, componentName_);
        names_.Add(item.Name);
    } else if (names_[index] != item.Name) {
        names_.Replace(index, item.Name);
    }
    items_[index] = std::move(item);
}

int32_t TZADirArray::Append(TDirItem item) {
    const int32_t index = Count();
    if (names_.Count() != index)
        throw EZAException(ZAError::NameIndexSize, componentName_);
    Grow(index + 1);
    names_.Add(item.Name);
    items_.push_back(std::move(item));
    return index;
}

void TZADirArray::Assign(const TZADirArray& source) {
    Clear();
    Grow(source.Count());
    items_ = source.items_;
    for (const TDirItem& item : items_)
        names_.Add(item.Name);
}

void TZADirArray::Delete(int32_t index) {
    CheckIndex(index, ZAError::DeleteIndexOutOfBounds);
    items_.erase(items_.begin() + index);
    names_.Delete(index);
}

void TZADirArray::Clear() {
    SetCount(0);
}

void TZADirArray::ClearSelection() {
    for (TDirItem& item : items_)
        item.Selected = false;
}

bool TZADirArray::FindByName(std::string_view name, int32_t& index) {
    const int32_t found = names_.IndexOf(name);
    if (found < 0)
        return false;
    index = found;
    return true;
}

void TZADirArray::RenameItem(int32_t index, const std::string& name) {
    CheckIndex(index, ZAError::ItemIndexOutOfBounds);
    if (names_.Count() != Count())
        throw EZAException(ZAError::NameIndexSize, componentName_);
    if (names_[index] != items_[index].Name)
        throw EZAException(ZAError::NameIndexPosition, componentName_);
    if (name != items_[index].Name)
        names_.Replace(index, name);
    items_[index].Name = name;
}

} // namespace zip
