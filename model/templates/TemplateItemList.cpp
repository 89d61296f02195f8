#include "model/templates/TemplateItemList.h"

#include "model/templates/TemplateId.h"

#include <QDomElement>

#include <stdexcept>

namespace model {

TpaTemplateItem& TpaTemplateItemList::GetItem(int index) const {
    if (index < 0 || index >= Count())
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    return *items_[static_cast<size_t>(index)];
}

int TpaTemplateItemList::IndexOf(const QString& id) const {
    for (int i = 0; i < Count(); ++i)
        if (SameTemplateId(items_[static_cast<size_t>(i)]->Id, id))
            return i;
    return -1;
}

TpaTemplateItem* TpaTemplateItemList::Find(const QString& id) const {
    const int index = IndexOf(id);
    return index < 0 ? nullptr : items_[static_cast<size_t>(index)].get();
}

TpaTemplateItem& TpaTemplateItemList::GetOrAdd(const QString& id) {
    if (TpaTemplateItem* found = Find(id))
        return *found;
    auto item = std::make_unique<TpaTemplateItem>();
    item->Id = id;
    items_.push_back(std::move(item));
    return *items_.back();
}

void TpaTemplateItemList::Assign(const TpaTemplateItemList* source) {
    if (!source || source == this)
        return;
    Clear();
    for (const auto& item : source->items_)
        GetOrAdd(item->Id).Assign(item.get());
}

void TpaTemplateItemList::LoadFromXml(const QDomElement& node) {
    if (node.isNull())
        return;
    Clear();
    for (QDomElement child = node.firstChildElement(QStringLiteral("template")); !child.isNull();
         child = child.nextSiblingElement(QStringLiteral("template"))) {
        TpaTemplateItem read;
        read.LoadFromXml(child);
        GetOrAdd(read.Id).Assign(&read);
    }
}

void TpaTemplateItemList::SaveToXml(QXmlStreamWriter& writer) const {
    for (const auto& item : items_)
        item->SaveToXml(writer);
}

} // namespace model
