#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QSettings;

namespace platform {

// The program's per-user settings file: one INI file
// "<config folder>/Brimlo Lumivex/<name>.ini". A key path such as
// "\Software\Brimlo Lumivex\Recent" (either slash, leading and trailing slashes ignored)
// names a group; each key holds named values. Changes are written when sync() is called or
// the store is destroyed; the file is replaced atomically.
class UserStore {
public:
    // The store's file under the user's config folder.
    explicit UserStore(const QString& name = QStringLiteral("registry"));
    // A store kept in the given INI file (tests, or an explicit location).
    static UserStore atFile(const QString& iniPath);

    UserStore(UserStore&&) noexcept;
    UserStore& operator=(UserStore&&) noexcept;
    ~UserStore();

    QString fileName() const;

    bool keyExists(const QString& keyPath) const;
    QStringList valueNames(const QString& keyPath) const;

    // nullopt when the value is absent; readInt also when it is not a decimal integer.
    std::optional<QString> readString(const QString& keyPath, const QString& name) const;
    std::optional<int> readInt(const QString& keyPath, const QString& name) const;

    void writeString(const QString& keyPath, const QString& name, const QString& value);
    void writeInt(const QString& keyPath, const QString& name, int value);

    // True when the key was there and is gone now.
    bool deleteKey(const QString& keyPath);

    // Writes pending changes; false (and nothing replaced) when the file cannot be written.
    bool sync();

    // The group a key path maps to: "\Software\X\Recent" -> "Software/X/Recent".
    static QString groupOf(const QString& keyPath);

private:
    struct FromFile {};
    UserStore(FromFile, const QString& iniPath);

    QString keyOf(const QString& keyPath, const QString& name) const;

    std::unique_ptr<QSettings> settings_;
};

} // namespace platform
