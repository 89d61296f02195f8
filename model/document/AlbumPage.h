#pragma once

#include <QByteArray>
#include <QString>

namespace model {

// The web page that hosts the album player, made from the page template by
// filling in its four placeholders. The template is handled as bytes: only
// the placeholders and the line ends change.
class TpaAlbumPage {
public:
    struct Values {
        QString Width;      // "%_album_width_%"
        QString Height;     // "%_album_height_%"
        QString BaseFolder; // "%_album_base_folder_%", with "/" separators
        QString AlbumName;  // "%_album_name_%", HTML-escaped, without tags
    };

    // Placeholders are found ignoring ASCII letter case and replaced in the
    // order above; the name goes last, so whatever it holds stays literal.
    static QByteArray Render(const QByteArray& pageTemplate, const Values& values);

    // Reads the template, renders it and writes the page atomically. Throws
    // FileError when the template cannot be read or the page not written.
    static void Write(const QString& path, const QString& pageTemplatePath, const Values& values);

    static QString HtmlEscaped(const QString& text);
};

} // namespace model
