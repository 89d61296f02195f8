#pragma once

#include "model/settings/AlbumSettingsImageField.h"
#include "model/settings/FieldList.h"

namespace model {

class TpaAlbumSettingsImageFieldList : public TpaFieldList<TpaAlbumSettingsImageField> {
public:
    void Clear() { Items.clear(); }
    void Assign(const TpaAlbumSettingsImageFieldList& source) { *this = source; }

    // Definitions: the "src" children with a numeric id not held yet.
    void LoadFromXml(const QDomElement& element);
    // Values: every "src" child naming a known field.
    void LoadValuesFromXml(const QDomElement& element, const QString& previewFolder);

    bool operator==(const TpaAlbumSettingsImageFieldList& other) const { return SameItems(other); }
};

} // namespace model
