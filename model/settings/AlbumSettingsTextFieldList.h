#pragma once

#include "model/settings/AlbumSettingsTextField.h"
#include "model/settings/FieldList.h"

namespace model {

class TpaAlbumSettingsTextFieldList : public TpaFieldList<TpaAlbumSettingsTextField> {
public:
    int CaptionFieldId = -1; // the field whose value is the item's caption

    void Clear() {
        Items.clear();
        CaptionFieldId = -1;
    }
    void Assign(const TpaAlbumSettingsTextFieldList& source) { *this = source; }

    // The caption field, or nullptr when the list has none.
    TpaAlbumSettingsTextField* CaptionField() const { return FindById(CaptionFieldId); }

    // Definitions: the "caption" attribute of element and its "txt" children; a
    // child without a numeric id or with an id already held is skipped.
    void LoadFromXml(const QDomElement& element);
    // Values: every "txt" child naming a known field; the last one for an id wins.
    void LoadValuesFromXml(const QDomElement& element);

    bool operator==(const TpaAlbumSettingsTextFieldList& other) const;
};

} // namespace model
