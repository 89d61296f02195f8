#include "platform/UserStore.h"

#include "platform/SpecialFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace platform {

UserStore::UserStore(const QString& name)
    : UserStore(FromFile{}, configFolder() + QStringLiteral("Brimlo Lumivex/") + name +
                                QStringLiteral(".ini")) {}

UserStore::UserStore(FromFile, const QString& iniPath)
    : settings_(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {
    settings_->setFallbacksEnabled(false);
}

UserStore UserStore::atFile(const QString& iniPath) {
    return UserStore(FromFile{}, iniPath);
}

UserStore::UserStore(UserStore&&) noexcept = default;
UserStore& UserStore::operator=(UserStore&&) noexcept = default;
UserStore::~UserStore() = default;

QString UserStore::fileName() const {
    return settings_->fileName();
}

QString UserStore::groupOf(const QString& keyPath) {
    QStringList parts = QString(keyPath)
                            .replace(QLatin1Char('\\'), QLatin1Char('/'))
                            .split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return parts.join(QLatin1Char('/'));
}

QString UserStore::keyOf(const QString& keyPath, const QString& name) const {
    const QString group = groupOf(keyPath);
    return group.isEmpty() ? name : group + QLatin1Char('/') + name;
}

bool UserStore::keyExists(const QString& keyPath) const {
    const QString group = groupOf(keyPath);
    if (group.isEmpty())
        return true;
    // A key exists when it or one of its sub-keys holds a value.
    const QStringList all = settings_->allKeys();
    const QString prefix = group + QLatin1Char('/');
    for (const QString& key : all) {
        if (key.startsWith(prefix))
            return true;
    }
    return false;
}

QStringList UserStore::valueNames(const QString& keyPath) const {
    settings_->beginGroup(groupOf(keyPath));
    QStringList names = settings_->childKeys();
    settings_->endGroup();
    return names;
}

std::optional<QString> UserStore::readString(const QString& keyPath, const QString& name) const {
    const QString key = keyOf(keyPath, name);
    if (!settings_->contains(key))
        return std::nullopt;
    return settings_->value(key).toString();
}

std::optional<int> UserStore::readInt(const QString& keyPath, const QString& name) const {
    const std::optional<QString> text = readString(keyPath, name);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const int value = text->toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

void UserStore::writeString(const QString& keyPath, const QString& name, const QString& value) {
    settings_->setValue(keyOf(keyPath, name), value);
}

void UserStore::writeInt(const QString& keyPath, const QString& name, int value) {
    settings_->setValue(keyOf(keyPath, name), QString::number(value));
}

bool UserStore::deleteKey(const QString& keyPath) {
    const QString group = groupOf(keyPath);
    if (group.isEmpty() || !keyExists(keyPath))
        return false;
    settings_->remove(group);
    return true;
}

bool UserStore::sync() {
    QDir().mkpath(QFileInfo(settings_->fileName()).absolutePath());
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

} // namespace platform
