#include "model/XmlText.h"

#include "model/Errors.h"

#include <QDir>
#include <QFile>
#include <QXmlStreamReader>

namespace model {

static bool IsXmlChar(char32_t c) {
    if (c < 0x20)
        return c == 0x09 || c == 0x0A || c == 0x0D;
    if (c >= 0xD800 && c <= 0xDFFF)
        return false;
    return c != 0xFFFE && c != 0xFFFF;
}

QString XmlSafeText(const QString& text) {
    bool clean = true;
    for (qsizetype i = 0; i < text.size() && clean; ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x20 || c >= 0xD800)
            clean = false;
    }
    if (clean)
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
        } else if (IsXmlChar(c.unicode())) {
            out += c;
        }
    }
    return out;
}

QDomDocument ParseXmlDocument(const QByteArray& data, const QString& what, int maxDepth) {
    // A first streaming pass bounds the nesting, so a hostile file cannot make
    // the DOM (whose teardown recurses) arbitrarily deep.
    {
        QXmlStreamReader scan(data);
        int depth = 0;
        while (!scan.atEnd()) {
            const auto token = scan.readNext();
            if (token == QXmlStreamReader::StartElement) {
                if (++depth > maxDepth)
                    throw XmlLoadError(QString("%1: elements nested too deeply (line %2).")
                                           .arg(what)
                                           .arg(scan.lineNumber()));
            } else if (token == QXmlStreamReader::EndElement) {
                --depth;
            }
        }
        if (scan.hasError())
            throw XmlLoadError(QString("%1: %2 (line %3, column %4).")
                                   .arg(what, scan.errorString())
                                   .arg(scan.lineNumber())
                                   .arg(scan.columnNumber()));
    }
    QDomDocument doc;
    QString message;
    int line = 0;
    int column = 0;
    if (!doc.setContent(data, false, &message, &line, &column))
        throw XmlLoadError(
            QString("%1: %2 (line %3, column %4).").arg(what, message).arg(line).arg(column));
    return doc;
}

QDomDocument LoadXmlDocument(const QString& path, int maxDepth) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw XmlLoadError(QString("Cannot read \"%1\": %2.")
                               .arg(QDir::toNativeSeparators(path), file.errorString()));
    return ParseXmlDocument(file.readAll(), QDir::toNativeSeparators(path), maxDepth);
}

QString XmlWritableText(const QString& text) {
    QString out = XmlSafeText(text);
    if (out.contains(u'\r')) {
        out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        out.replace(u'\r', u'\n');
    }
    return out;
}

} // namespace model
