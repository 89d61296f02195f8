#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace modeltest {

inline void WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
}

inline QByteArray ReadFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// A temporary folder whose path ends with "/".
class TempFolder {
public:
    QString path() const { return dir_.path() + '/'; }
    QString file(const QString& name) const { return path() + name; }

private:
    QTemporaryDir dir_;
};

inline QString TestData(const QString& name) {
    return QStringLiteral(FZ_TEST_DATA "/model/") + name;
}

} // namespace modeltest
