#include "app/SettingsFile.h"

#include "model/ReplacedFile.h"

#include <QFile>
#include <QFileInfo>
#include <QMap>

namespace app {

namespace {

// The file keeps the simple "key=value" form with the keys in their order. A value that
// needs it is quoted, and backslash, quote and line breaks are escaped; the reader below
// undoes exactly that, so every value comes back as it was written.
QByteArray iniText(const FtpDefaults& v) {
    auto line = [](const char* key, const QString& value) {
        QString escaped = value;
        escaped.replace(u'\\', QStringLiteral("\\\\"));
        escaped.replace(u'\n', QStringLiteral("\\n"));
        escaped.replace(u'\r', QStringLiteral("\\r"));
        const bool quote = escaped.contains(u';') || escaped.contains(u',') ||
                           escaped.contains(u'"') || escaped.contains(u'=') ||
                           escaped != escaped.trimmed();
        if (quote) {
            escaped.replace(u'"', QStringLiteral("\\\""));
            escaped = u'"' + escaped + u'"';
        }
        return QByteArray(key) + '=' + escaped.toUtf8() + "\r\n";
    };
    return QByteArray("[Settings]\r\n") + line("defFtpHost", v.Host) + line("defFtpUser", v.User) +
           line("defFtpPass", v.Password) + line("defFtpDir", v.Dir) +
           line("defFtpTransferMode", v.TransferMode);
}

QString unescaped(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\\' || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        const QChar next = text[++i];
        if (next == u'n')
            out += u'\n';
        else if (next == u'r')
            out += u'\r';
        else if (next == u'\\' || next == u'"')
            out += next;
        else
            out += c, out += next; // not one of ours: kept as written
    }
    return out;
}

// The keys of the section "Settings" (names folded to lower case, as INI files are read
// without regard to letter case); the first occurrence of a key counts.
QMap<QString, QString> settingsSection(const QString& text) {
    QMap<QString, QString> keys;
    bool inSection = false;
    for (QString line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u';') || trimmed.startsWith(u'#'))
            continue;
        if (trimmed.startsWith(u'[') && trimmed.endsWith(u']')) {
            inSection = trimmed.mid(1, trimmed.size() - 2)
                            .trimmed()
                            .compare(u"Settings", Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inSection || equals < 0)
            continue;
        const QString key = line.left(equals).trimmed().toCaseFolded();
        QString value = line.mid(equals + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
            value = value.mid(1, value.size() - 2);
        if (!key.isEmpty() && !keys.contains(key))
            keys.insert(key, unescaped(value));
    }
    return keys;
}

} // namespace

SettingsFile::SettingsFile(const QString& programFolder) {
    QString folder = programFolder;
    if (!folder.isEmpty() && !folder.endsWith(u'/'))
        folder += u'/';
    path_ = folder + fileName();
}

bool SettingsFile::createIfMissing() {
    if (QFileInfo::exists(path_))
        return true;
    return write(FtpDefaults{});
}

FtpDefaults SettingsFile::read() const {
    FtpDefaults v;
    QFile file(path_);
    if (!QFileInfo(path_).isFile() || !file.open(QIODevice::ReadOnly))
        return v;
    const QMap<QString, QString> keys = settingsSection(QString::fromUtf8(file.readAll()));
    auto take = [&keys](const char* key, QString& field) {
        const auto it = keys.constFind(QString::fromLatin1(key).toCaseFolded());
        if (it != keys.constEnd())
            field = *it;
    };
    take("defFtpHost", v.Host);
    take("defFtpUser", v.User);
    take("defFtpPass", v.Password);
    take("defFtpDir", v.Dir);
    take("defFtpTransferMode", v.TransferMode);
    return v;
}

bool SettingsFile::write(const FtpDefaults& values, bool* diskFull) {
    model::TpaReplacedFile file(path_);
    if (!file.Open())
        return false;
    // The password is in there: owner only, before a byte is written.
    file.Device().setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // A failed write leaves the old file in place.
    if (file.Write(iniText(values)) && file.Commit())
        return true;
    if (diskFull)
        *diskFull = file.DiskFull();
    return false;
}

} // namespace app
