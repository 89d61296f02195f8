#pragma once

#include <QDomElement>
#include <QString>
#include <QXmlStreamWriter>

namespace model {

// The background music of an item. FileName is a bare name inside the
// working folder's "pictavo_music/"; empty means no music.
class TpaAlbumSettingsMusicField {
public:
    QString Caption; // empty: the level has no music field
    QString FileName;
    QString Startup; // "on", "off" or empty

    static QString FolderName() { return QStringLiteral("pictavo_music/"); }

    void Assign(const TpaAlbumSettingsMusicField& source) { *this = source; }
    void AssignValues(const TpaAlbumSettingsMusicField& source) {
        FileName = source.FileName;
        Startup = source.Startup;
    }

    void LoadFromXml(const QDomElement& element); // definition: text = caption
    // Startup "off" unless the attribute says otherwise; only the last path
    // component of the text is kept (the file always lies in the music folder).
    void LoadValueFromXml(const QDomElement& element);
    // <music startup="S">pictavo_music/name</music>
    void SaveValueToXml(QXmlStreamWriter& writer) const;

    bool operator==(const TpaAlbumSettingsMusicField&) const = default;
};

} // namespace model
