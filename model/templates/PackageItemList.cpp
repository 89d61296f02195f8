#include "model/templates/PackageItemList.h"

#include "model/templates/TemplateId.h"

#include <QDomElement>

#include <stdexcept>

namespace model {

TpaPackageItem& TpaPackageItemList::GetItem(int index) const {
    if (index < 0 || index >= Count())
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    return *items_[static_cast<size_t>(index)];
}

int TpaPackageItemList::IndexOf(const QString& id) const {
    for (int i = 0; i < Count(); ++i)
        if (SameTemplateId(items_[static_cast<size_t>(i)]->Id, id))
            return i;
    return -1;
}

TpaPackageItem* TpaPackageItemList::Find(const QString& id) const {
    const int index = IndexOf(id);
    return index < 0 ? nullptr : items_[static_cast<size_t>(index)].get();
}

TpaPackageItem& TpaPackageItemList::GetOrAdd(const QString& id) {
    if (TpaPackageItem* found = Find(id))
        return *found;
    auto item = std::make_unique<TpaPackageItem>();
    item->Id = id;
    items_.push_back(std::move(item));
    return *items_.back();
}

void TpaPackageItemList::LoadFromXml(const QDomElement& node) {
    if (node.isNull())
        return;
    Clear();
    for (QDomElement child = node.firstChildElement(QStringLiteral("package")); !child.isNull();
         child = child.nextSiblingElement(QStringLiteral("package"))) {
        TpaPackageItem read;
        read.LoadFromXml(child);
        GetOrAdd(read.Id).Assign(&read);
    }
}

void TpaPackageItemList::SaveToXml(QXmlStreamWriter& writer) const {
    for (const auto& item : items_)
        item->SaveToXml(writer);
}

} // namespace model
