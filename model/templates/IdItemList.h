#pragma once

#include "model/templates/TemplateId.h"

#include <QDomElement>
#include <QString>
#include <QXmlStreamWriter>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace model {

// Records in insertion order; no two ids are the same ignoring ASCII case. Item has a string
// Id, Assign(const Item*), LoadFromXml, SaveToXml, and XmlElement: the name of its element.
template <class Item> class TpaIdItemList {
public:
    TpaIdItemList() = default;
    TpaIdItemList(const TpaIdItemList&) = delete;
    TpaIdItemList& operator=(const TpaIdItemList&) = delete;
    TpaIdItemList(TpaIdItemList&&) noexcept = default;
    TpaIdItemList& operator=(TpaIdItemList&&) noexcept = default;

    void Clear() { items_.clear(); }
    int Count() const { return static_cast<int>(items_.size()); }

    // Throws std::out_of_range outside 0..Count()-1.
    Item& GetItem(int index) const {
        if (index < 0 || index >= Count())
            throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
        return *items_[static_cast<size_t>(index)];
    }

    // The first record with the id ignoring ASCII case, or -1 / nullptr.
    int IndexOf(const QString& id) const {
        for (int i = 0; i < Count(); ++i)
            if (SameTemplateId(items_[static_cast<size_t>(i)]->Id, id))
                return i;
        return -1;
    }
    Item* Find(const QString& id) const {
        const int index = IndexOf(id);
        return index < 0 ? nullptr : items_[static_cast<size_t>(index)].get();
    }

    // The record with the id, or a new one with that id appended at the end.
    Item& GetOrAdd(const QString& id) {
        if (Item* found = Find(id))
            return *found;
        auto item = std::make_unique<Item>();
        item->Id = id;
        items_.push_back(std::move(item));
        return *items_.back();
    }

    // Clears, then takes every record of source in order; nullptr changes nothing.
    void Assign(const TpaIdItemList* source) {
        if (!source || source == this)
            return;
        Clear();
        for (const auto& item : source->items_)
            GetOrAdd(item->Id).Assign(item.get());
    }

    // Reads the children of node named Item::XmlElement: a repeated id keeps its first position
    // and takes the values (and spelling) of its last occurrence. A null node changes nothing.
    void LoadFromXml(const QDomElement& node) {
        if (node.isNull())
            return;
        Clear();
        const QString name = QString::fromLatin1(Item::XmlElement);
        for (QDomElement child = node.firstChildElement(name); !child.isNull();
             child = child.nextSiblingElement(name)) {
            Item read;
            read.LoadFromXml(child);
            GetOrAdd(read.Id).Assign(&read);
        }
    }

    // One element per record, in order.
    void SaveToXml(QXmlStreamWriter& writer) const {
        for (const auto& item : items_)
            item->SaveToXml(writer);
    }

private:
    std::vector<std::unique_ptr<Item>> items_;
};

} // namespace model
