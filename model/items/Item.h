#pragma once

#include "model/settings/AlbumSettingsLevel.h"

#include <cstdint>

namespace model {

enum TpaItemKind : std::uint8_t { ikAlbum = 0, ikGallery = 1, ikPhoto = 2 };

class TpaTreeNode;

// What one node of the album tree carries: the album root, a gallery or a
// photo, each with its own copy of a template level holding its values. Photos
// copy the level of their parent's depth and keep their values in Level.Photo.
class TpaItem {
public:
    virtual ~TpaItem() = default;
    TpaItem(const TpaItem&) = delete;
    TpaItem& operator=(const TpaItem&) = delete;

    const TpaItemKind Kind;
    TpaAlbumSettingsLevel Level;
    // Counts the times Level was replaced as a whole after the item was made (a photo moved to
    // another depth): whoever keeps a pointer to one of its fields must look again.
    int FieldsRevision = 0;
    TpaTreeNode* Node = nullptr; // the node that owns this item; set by the tree

    // The text fields that hold this item's values: Level.TextFields, or
    // Level.Photo.TextFields for a photo.
    TpaAlbumSettingsTextFieldList& TextFields();
    const TpaAlbumSettingsTextFieldList& TextFields() const;
    TpaAlbumSettingsImageFieldList& ImageFields();
    const TpaAlbumSettingsImageFieldList& ImageFields() const;
    TpaAlbumSettingsMusicField& Music();
    const TpaAlbumSettingsMusicField& Music() const;

    // The caption field (nullptr when the level has none).
    TpaAlbumSettingsTextField* CaptionField() const;

protected:
    explicit TpaItem(TpaItemKind kind) : Kind(kind) {}

    // The values of an album root or a gallery element: access, texts, images
    // and music.
    void LoadLevelValuesFromXml(const QDomElement& element, const QString& previewFolder);
    // Their children in file order: texts, images, music when it has a file,
    // access when it has a value.
    void SaveLevelValuesToXml(QXmlStreamWriter& writer) const;
};

} // namespace model
