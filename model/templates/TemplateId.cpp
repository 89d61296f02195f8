#include "model/templates/TemplateId.h"

#include "model/FileRoutines.h"

#include <QDir>
#include <QFileInfo>

namespace model {

namespace {

constexpr qsizetype MaxTemplateIdLength = 100;

char16_t foldAscii(char16_t c) {
    return (c >= u'a' && c <= u'z') ? char16_t(c - u'a' + u'A') : c;
}

bool isRealFolder(const QString& path) {
    const QFileInfo info(path);
    return info.isDir() && !info.isSymLink();
}

} // namespace

bool IsValidTemplateId(const QString& id) {
    if (id.isEmpty() || id.size() > MaxTemplateIdLength || id.startsWith(u'.'))
        return false;
    for (QChar c : id) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0))
            return false;
        switch (u) {
        case u'/':
        case u'\\':
        case u':':
        case u'*':
        case u'?':
        case u'"':
        case u'<':
        case u'>':
        case u'|':
            return false;
        default:
            break;
        }
    }
    return true;
}

bool SameTemplateId(const QString& a, const QString& b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (foldAscii(a[i].unicode()) != foldAscii(b[i].unicode()))
            return false;
    return true;
}

QString FindTemplateFolder(const QString& templatesFolder, const QString& id) {
    if (!IsValidTemplateId(id) || templatesFolder.isEmpty())
        return {};
    const QString root = WithTrailingSlash(templatesFolder);
    // A link in the library could lead anywhere: only real folders count as templates.
    if (isRealFolder(root + id))
        return root + id + u'/';
    const QStringList names = QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names)
        if (SameTemplateId(name, id) && isRealFolder(root + name))
            return root + name + u'/';
    return {};
}

} // namespace model
