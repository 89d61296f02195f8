#include "model/document/AlbumPage.h"

#include "model/Errors.h"
#include "model/ReplacedFile.h"
#include "model/TextRoutines.h"

#include <QDir>
#include <QFile>

namespace model {

namespace {

QByteArray AsciiLower(QByteArray bytes) {
    for (char& c : bytes) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + ('a' - 'A'));
    }
    return bytes;
}

QByteArray ReplaceIgnoringCase(const QByteArray& text, const QByteArray& placeholder,
                               const QByteArray& value) {
    const QByteArray lower = AsciiLower(text);
    const QByteArray key = AsciiLower(placeholder);
    QByteArray out;
    out.reserve(text.size());
    qsizetype pos = 0;
    for (;;) {
        const qsizetype found = lower.indexOf(key, pos);
        if (found < 0)
            break;
        out += text.mid(pos, found - pos);
        out += value;
        pos = found + key.size();
    }
    out += text.mid(pos);
    return out;
}

// The template's lines, whatever their ends, joined with CR LF and ended by one.
QByteArray WithCrLfLines(const QByteArray& text) {
    QByteArray out;
    out.reserve(text.size() + text.size() / 16);
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype end = i;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        out += text.mid(i, end - i);
        out += "\r\n";
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() &&
            text[end + 1] == '\n')
            ++end;
        i = end + 1;
    }
    return out;
}

} // namespace

QString TpaAlbumPage::HtmlEscaped(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            out += QStringLiteral("&amp;");
            break;
        case u'<':
            out += QStringLiteral("&lt;");
            break;
        case u'>':
            out += QStringLiteral("&gt;");
            break;
        case u'"':
            out += QStringLiteral("&quot;");
            break;
        case u'\'':
            out += QStringLiteral("&#39;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QByteArray TpaAlbumPage::Render(const QByteArray& pageTemplate, const Values& values) {
    QString base = values.BaseFolder;
    base.replace(u'\\', u'/');
    QByteArray page = ReplaceIgnoringCase(pageTemplate, "%_album_width_%", values.Width.toUtf8());
    page = ReplaceIgnoringCase(page, "%_album_height_%", values.Height.toUtf8());
    page = ReplaceIgnoringCase(page, "%_album_base_folder_%", base.toUtf8());
    // The name is user text (and may come from someone else's album file): it
    // must not be able to add markup to the page.
    page = ReplaceIgnoringCase(page, "%_album_name_%",
                               HtmlEscaped(StripTags(values.AlbumName)).toUtf8());
    // Line ends last, so that a name written on two lines gets them too.
    return WithCrLfLines(page);
}

void TpaAlbumPage::Write(const QString& path, const QString& pageTemplatePath,
                         const Values& values) {
    QFile source(pageTemplatePath);
    if (!source.open(QIODevice::ReadOnly))
        throw FileError(QString("Cannot read the page template \"%1\": %2.")
                            .arg(QDir::toNativeSeparators(pageTemplatePath), source.errorString()));
    const QByteArray page = Render(source.readAll(), values);
    ReplaceFileContents(path, page, QStringLiteral("Cannot write \"%1\": %2."));
}

} // namespace model
