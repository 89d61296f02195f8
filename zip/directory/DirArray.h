#pragma once
// The entries of an archive directory with their name index kept in step.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "zip/ZAError.h"
#include "zip/directory/DirItem.h"
#include "zip/directory/HashedStringList.h"

namespace zip {

class TZADirArray {
public:
    // componentName names the raising archiver in the messages of errors 1-4, 58 and 59.
    explicit TZADirArray(std::string componentName = {});

    int32_t Count() const { return static_cast<int32_t>(items_.size()); }
    // A copy of item index (error 2 outside 0..Count-1).
    TDirItem GetItem(int32_t index) const;
    // The item in place, for changing it (error 3). Its name must be changed through
    // RenameItem so that the index stays in step.
    TDirItem& GetItemPtr(int32_t index);
    const TDirItem& At(int32_t index) const;
    // Stores item at index (error 1 outside 0..Count-1). Keeps the name index in step.
    void SetItem(int32_t index, TDirItem item);
    // Appends item and returns its index (error 58 when the name index is out of step).
    int32_t Append(TDirItem item);
    // Makes room for count items without changing the count.
    void Reserve(int32_t count);
    // Resizes; new slots are empty entries with empty names.
    void SetCount(int32_t count);
    void Assign(const TZADirArray& source);
    // Removes one item (error 4).
    void Delete(int32_t index);
    void Clear();
    void ClearSelection();
    // Looks the name up in the index (case-sensitive); true and index when found.
    bool FindByName(std::string_view name, int32_t& index);
    // Gives item index a new name (error 59 when its present name is indexed elsewhere).
    void RenameItem(int32_t index, const std::string& name);

    int32_t Capacity() const { return capacity_; }

private:
    void CheckIndex(int32_t index, ZAError code) const;
    void Grow(int32_t count);

    std::string componentName_;
    std::vector<TDirItem> items_;
    TZAHashedStringList names_;
    int32_t capacity_ = 0;
    int32_t growthStep_ = 500;
};

} // namespace zip
