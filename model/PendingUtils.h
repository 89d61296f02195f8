#pragma once

// Temporary private helpers until the shared text and XML routines are available
// in model/Utils.h and the image routines in model/ImageUtils.h. Only the album
// model includes this header; it goes away when those land.

#include <QDomElement>
#include <QString>

namespace model::pending {

inline QString StripTags(QString text) {
    for (;;) {
        qsizetype open = -1;
        bool removed = false;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i] == u'<') {
                open = i;
            } else if (text[i] == u'>' && open >= 0) {
                text.remove(open, i - open + 1);
                removed = true;
                break;
            }
        }
        if (!removed)
            return text;
    }
}

inline bool TryGetAttrStr(const QDomElement& e, const QString& name, QString& value) {
    if (e.isNull() || !e.hasAttribute(name))
        return false;
    value = e.attribute(name);
    return true;
}

inline bool TryGetAttrInt(const QDomElement& e, const QString& name, int& value) {
    if (e.isNull() || !e.hasAttribute(name))
        return false;
    bool ok = false;
    const int v = e.attribute(name).trimmed().toInt(&ok);
    if (!ok)
        return false;
    value = v;
    return true;
}

inline QString GetImageTypeByExt(const QString& ext) {
    QString e;
    for (QChar c : ext)
        e += (c >= u'A' && c <= u'Z') ? QChar(c.unicode() + 32) : c;
    if (e.isEmpty())
        return QStringLiteral("UNKNOWN");
    if (QStringLiteral(".jpg.jpe.jpeg").contains(e))
        return QStringLiteral("JPEG");
    if (QStringLiteral(".gif").contains(e))
        return QStringLiteral("GIF");
    if (QStringLiteral(".bmp").contains(e))
        return QStringLiteral("BMP");
    return QStringLiteral("UNKNOWN");
}

} // namespace model::pending
