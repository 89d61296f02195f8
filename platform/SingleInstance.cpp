#include "platform/SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

#include <unistd.h>

namespace platform {

namespace {

QString lockFileName(const QString& name) {
    QString safe = name;
    for (QChar& c : safe) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 32)
            c = QLatin1Char('_');
    }
    if (safe.isEmpty() || safe.startsWith(QLatin1Char('.')))
        safe.prepend(QLatin1Char('_'));
    return safe + QStringLiteral(".lock");
}

// The runtime folder when it is this user's own; after switching users the variable may
// still name the first user's folder.
QString runtimeFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty())
        return QString();
    const QFileInfo info(runtime);
    if (!info.isDir() || info.ownerId() != ::getuid() || !info.isWritable())
        return QString();
    return runtime;
}

// The runtime folder is this user's own; the temporary folder is shared by every user, and
// one user's lock there must not keep the others' programs from starting.
QString perUserName(const QString& name) {
    if (!runtimeFolder().isEmpty())
        return name;
    return name + QLatin1Char('-') + QString::number(::getuid());
}

} // namespace

QString SingleInstance::defaultFolder() {
    const QString runtime = runtimeFolder();
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

SingleInstance::SingleInstance(const QString& name)
    : SingleInstance(perUserName(name), defaultFolder()) {}

SingleInstance::SingleInstance(const QString& name, const QString& folder)
    : path_(QDir(folder).filePath(lockFileName(name))), lock_(std::make_unique<QLockFile>(path_)) {
    // Only a dead owner makes a lock stale; a long-running instance keeps its lock however
    // old the file is.
    lock_->setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    release();
}

bool SingleInstance::tryAcquire() {
    if (owner_)
        return true;
    owner_ = lock_->tryLock(0);
    return owner_;
}

bool SingleInstance::heldByAnother() const {
    return !owner_ && lock_->error() == QLockFile::LockFailedError;
}

void SingleInstance::release() {
    if (owner_)
        lock_->unlock();
    owner_ = false;
}

} // namespace platform
