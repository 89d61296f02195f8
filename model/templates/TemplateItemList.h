#pragma once

#include "model/templates/TemplateItem.h"

#include <memory>
#include <vector>

namespace model {

// Template records in insertion order; no two ids are the same ignoring case.
class TpaTemplateItemList {
public:
    TpaTemplateItemList() = default;
    TpaTemplateItemList(const TpaTemplateItemList&) = delete;
    TpaTemplateItemList& operator=(const TpaTemplateItemList&) = delete;
    TpaTemplateItemList(TpaTemplateItemList&&) noexcept = default;
    TpaTemplateItemList& operator=(TpaTemplateItemList&&) noexcept = default;

    void Clear() { items_.clear(); }
    int Count() const { return static_cast<int>(items_.size()); }
    // Throws std::out_of_range outside 0..Count()-1.
    TpaTemplateItem& GetItem(int index) const;
    // The first record with the id ignoring ASCII case, or -1 / nullptr.
    int IndexOf(const QString& id) const;
    TpaTemplateItem* Find(const QString& id) const;
    // The record with the id, or a new one with that id appended at the end.
    TpaTemplateItem& GetOrAdd(const QString& id);
    // Clears, then takes every record of source in order; nullptr changes nothing.
    void Assign(const TpaTemplateItemList* source);

    // Reads the "template" children of node: a repeated id keeps its first position and takes
    // the values (and spelling) of its last occurrence. A null node changes nothing.
    void LoadFromXml(const QDomElement& node);
    // One "template" element per record, in order.
    void SaveToXml(QXmlStreamWriter& writer) const;

private:
    std::vector<std::unique_ptr<TpaTemplateItem>> items_;
};

} // namespace model
