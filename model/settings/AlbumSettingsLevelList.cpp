#include "model/settings/AlbumSettingsLevelList.h"

#include "model/Errors.h"

namespace model {

TpaAlbumSettingsLevelList::TpaAlbumSettingsLevelList(const TpaAlbumSettingsLevelList& other) {
    *this = other;
}

TpaAlbumSettingsLevelList&
TpaAlbumSettingsLevelList::operator=(const TpaAlbumSettingsLevelList& other) {
    if (this == &other)
        return *this;
    Items.clear();
    for (const auto& level : other.Items)
        Items.push_back(std::make_unique<TpaAlbumSettingsLevel>(*level));
    return *this;
}

int TpaAlbumSettingsLevelList::IndexOfId(int id) const {
    int any = -1;
    for (size_t i = 0; i < Items.size(); ++i) {
        if (Items[i]->Id == id)
            return static_cast<int>(i);
        if (any < 0 && Items[i]->Id == TpaAlbumSettingsLevel::AnyDepth)
            any = static_cast<int>(i);
    }
    return any;
}

TpaAlbumSettingsLevel* TpaAlbumSettingsLevelList::FindLevel(int id) const {
    const int i = IndexOfId(id);
    return i < 0 ? nullptr : Items[static_cast<size_t>(i)].get();
}

TpaAlbumSettingsLevel* TpaAlbumSettingsLevelList::Add(int id) {
    if (IndexOfId(id) >= 0)
        return nullptr;
    Items.push_back(std::make_unique<TpaAlbumSettingsLevel>());
    Items.back()->Id = id;
    return Items.back().get();
}

void TpaAlbumSettingsLevelList::LoadFromXml(const QDomElement& setting) {
    if (setting.isNull())
        return;
    for (QDomElement e = setting.firstChildElement(QStringLiteral("level")); !e.isNull();
         e = e.nextSiblingElement(QStringLiteral("level"))) {
        // A level without an id cannot be placed at any depth: the template is
        // broken and the whole reading fails, unlike a merely unreadable id.
        if (!e.hasAttribute(QStringLiteral("id")))
            throw ConversionError(
                QString("album.xml: the level element at line %1 has no \"id\" attribute.")
                    .arg(e.lineNumber()));
        const QString text = e.attribute(QStringLiteral("id"));
        int id = TpaAlbumSettingsLevel::AnyDepth;
        if (text != u"*") {
            bool ok = false;
            id = text.trimmed().toInt(&ok);
            if (!ok || id == -1)
                continue;
        }
        if (FindLevel(id))
            continue; // the first level for an id wins; "*" answers every later id
        Add(id)->LoadFromXml(e);
    }
}

} // namespace model
