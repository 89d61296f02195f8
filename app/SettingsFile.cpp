#include "app/SettingsFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>

namespace app {

namespace {

const QString kSection = QStringLiteral("Settings/");

// Values are written by hand so that the file keeps the simple "key=value" form and the
// keys their order; QSettings reads them back.
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
    const FtpDefaults defaults;
    FtpDefaults v;
    if (!QFileInfo(path_).isFile())
        return v;
    QSettings ini(path_, QSettings::IniFormat);
    v.Host = ini.value(kSection + QStringLiteral("defFtpHost"), defaults.Host).toString();
    v.User = ini.value(kSection + QStringLiteral("defFtpUser"), defaults.User).toString();
    v.Password = ini.value(kSection + QStringLiteral("defFtpPass"), defaults.Password).toString();
    v.Dir = ini.value(kSection + QStringLiteral("defFtpDir"), defaults.Dir).toString();
    v.TransferMode =
        ini.value(kSection + QStringLiteral("defFtpTransferMode"), defaults.TransferMode)
            .toString();
    return v;
}

bool SettingsFile::write(const FtpDefaults& values) {
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // The password is in there: owner only, before a byte is written.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    file.write(iniText(values));
    return file.commit();
}

} // namespace app
