#pragma once

#include "model/templates/PackageItem.h"

#include <memory>
#include <vector>

namespace model {

// Package records in insertion order; no two ids are the same ignoring case.
class TpaPackageItemList {
public:
    TpaPackageItemList() = default;
    TpaPackageItemList(const TpaPackageItemList&) = delete;
    TpaPackageItemList& operator=(const TpaPackageItemList&) = delete;
    TpaPackageItemList(TpaPackageItemList&&) noexcept = default;
    TpaPackageItemList& operator=(TpaPackageItemList&&) noexcept = default;

    void Clear() { items_.clear(); }
    int Count() const { return static_cast<int>(items_.size()); }
    // Throws std::out_of_range outside 0..Count()-1.
    TpaPackageItem& GetItem(int index) const;
    int IndexOf(const QString& id) const;
    TpaPackageItem* Find(const QString& id) const;
    TpaPackageItem& GetOrAdd(const QString& id);

    // Reads the "package" children of node, as the template list reads its own.
    void LoadFromXml(const QDomElement& node);
    // One "package" element per record (id and name only), in order.
    void SaveToXml(QXmlStreamWriter& writer) const;

private:
    std::vector<std::unique_ptr<TpaPackageItem>> items_;
};

} // namespace model
