#include "model/document/DataXmlReader.h"

#include "model/Errors.h"
#include "model/XmlText.h"
#include "model/items/AlbumItem.h"
#include "model/items/GalleryItem.h"
#include "model/items/PhotoItem.h"
#include "model/settings/AlbumSettings.h"
#include "model/tree/AlbumTree.h"

#include <QDir>
#include <QHash>

namespace model {

namespace {

struct Placed {
    TpaTreeNode* node = nullptr;
    int depth = 0;
};

// The parent named by a gallery number attribute: a number of 0 or less, no
// number, or a number of no gallery read so far all mean the album root.
Placed ParentOf(const QDomElement& element, const QString& attribute, const Placed& root,
                const QHash<int, Placed>& galleries) {
    bool ok = false;
    const int number = element.attribute(attribute).trimmed().toInt(&ok);
    if (!ok || number <= 0)
        return root;
    return galleries.value(number, root);
}

void AssignLevel(TpaItem& item, const TpaAlbumSettings& settings, int depth) {
    if (const TpaAlbumSettingsLevel* level = settings.Levels.FindLevel(depth))
        item.Level.Assign(*level);
}

} // namespace

void TpaDataXmlReader::Read(const QString& path, const QString& previewFolder,
                            const TpaAlbumSettings& settings, TpaAlbumTree& tree) {
    const QDomDocument doc = LoadXmlDocument(path, 32);
    const QDomElement top = doc.documentElement();
    if (top.isNull() || top.tagName() != u"photogallery")
        return;

    auto album = std::make_unique<TpaAlbumItem>();
    AssignLevel(*album, settings, 0);
    album->PublishSize.Assign(settings.PublishSize);
    album->LoadFromXml(top, previewFolder);
    const Placed root{tree.Append(nullptr, std::move(album)), 0};

    QHash<int, Placed> galleries; // gallery number -> first gallery read with it
    const QDomElement folder = top.firstChildElement(QStringLiteral("folder"));
    for (QDomElement e = folder.firstChildElement(QStringLiteral("item")); !e.isNull();
         e = e.nextSiblingElement(QStringLiteral("item"))) {
        const Placed parent = ParentOf(e, QStringLiteral("pid"), root, galleries);
        const int depth = parent.depth + 1;
        if (depth > MaxGalleryDepth)
            throw XmlLoadError(
                QString("%1: the galleries are nested more than %2 levels deep (line %3).")
                    .arg(QDir::toNativeSeparators(path))
                    .arg(MaxGalleryDepth)
                    .arg(e.lineNumber()));
        auto gallery = std::make_unique<TpaGalleryItem>();
        TpaGalleryItem* item = gallery.get();
        TpaTreeNode* node = tree.Append(parent.node, std::move(gallery));
        AssignLevel(*item, settings, depth);
        item->LoadFromXml(e, previewFolder);
        if (!galleries.contains(item->Id))
            galleries.insert(item->Id, Placed{node, depth});
    }

    const QDomElement photos = top.firstChildElement(QStringLiteral("photo"));
    for (QDomElement e = photos.firstChildElement(QStringLiteral("item")); !e.isNull();
         e = e.nextSiblingElement(QStringLiteral("item"))) {
        const Placed parent = ParentOf(e, QStringLiteral("fid"), root, galleries);
        auto photo = std::make_unique<TpaPhotoItem>();
        TpaPhotoItem* item = photo.get();
        tree.Append(parent.node, std::move(photo));
        AssignLevel(*item, settings, parent.depth);
        item->LoadFromXml(e, previewFolder);
    }

    for (TpaTreeNode* n = tree.First(); n; n = n->NextInPreOrder())
        n->SetExpanded(true);
}

} // namespace model
