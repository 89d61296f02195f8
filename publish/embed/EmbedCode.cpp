#include "publish/embed/EmbedCode.h"

#include "model/document/AlbumPage.h"

#include "publish/embed/PageText.h"

#include "model/Errors.h"

#include <QFile>

namespace publish {

namespace {

// Replaces every occurrence of `token` left to right; what is put in is not searched again.
QString replaceAll(const QString& line, const QString& token, const QString& value) {
    if (token.isEmpty())
        return line;
    QString out;
    qsizetype from = 0;
    for (qsizetype at = line.indexOf(token, 0, Qt::CaseSensitive); at >= 0;
         at = line.indexOf(token, from, Qt::CaseSensitive)) {
        out += QStringView(line).mid(from, at - from);
        out += value;
        from = at + token.size();
    }
    out += QStringView(line).mid(from);
    return out;
}

} // namespace

QStringList EmbedCode::ReadTemplate(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw model::FileError(
            QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
    QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    return PageText::SplitLines(QString::fromUtf8(bytes));
}

QStringList EmbedCode::Fill(const QStringList& lines, const PublishingValues& values,
                            const QString& baseFolder) {
    QStringList out;
    out.reserve(lines.size());
    for (const QString& line : lines) {
        QString s = replaceAll(line, values.WidthToken, AttributeEscaped(values.AlbumWidth));
        s = replaceAll(s, values.HeightToken, AttributeEscaped(values.AlbumHeight));
        s = replaceAll(s, values.BaseFolderToken, AttributeEscaped(baseFolder));
        out << s;
    }
    return out;
}

std::optional<QString> EmbedCode::FullPathPrefix(const QString& typed) {
    QString prefix = typed.trimmed();
    for (QChar c : prefix) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || c.isSpace() || u == u'"' || u == u'\'' || u == u'<' ||
            u == u'>' || u == u'`' || u == u'\\')
            return std::nullopt;
    }
    if (!prefix.endsWith(u'/'))
        prefix += u'/';
    return prefix;
}

QString EmbedCode::AttributeEscaped(const QString& text) {
    // The same five characters as in the album page's name.
    return model::TpaAlbumPage::HtmlEscaped(text);
}

} // namespace publish
