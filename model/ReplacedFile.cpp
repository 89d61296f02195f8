#include "model/ReplacedFile.h"

#include "model/Errors.h"

#include <QDir>

#include <cerrno>
#include <cstring>

namespace model {

bool IsDiskFullErrno(int error) {
    return error == ENOSPC || error == EDQUOT;
}

TpaReplacedFile::TpaReplacedFile(const QString& path) : file_(path) {}

bool TpaReplacedFile::Open() {
    errno = 0;
    if (file_.open(QIODevice::WriteOnly))
        return true;
    noteFailure(errno);
    return false;
}

bool TpaReplacedFile::Write(const char* data, qint64 size) {
    if (failed_)
        return false;
    errno = 0;
    // Qt writes on until the system refuses, so a short write leaves the refusal's errno.
    if (file_.write(data, size) == size)
        return true;
    noteFailure(errno);
    return false;
}

bool TpaReplacedFile::Commit() {
    if (failed_) {
        file_.cancelWriting();
        return false;
    }
    // Flushed first: the commit does not see a buffered tail that fails to reach the disk and
    // would swap a cut file in.
    errno = 0;
    if (!file_.flush()) {
        noteFailure(errno);
        file_.cancelWriting();
        return false;
    }
    errno = 0;
    if (file_.commit())
        return true;
    noteFailure(errno);
    return false;
}

void TpaReplacedFile::Cancel() {
    file_.cancelWriting();
}

void TpaReplacedFile::noteFailure(int error) {
    failed_ = true;
    diskFull_ = diskFull_ || IsDiskFullErrno(error);
    if (cause_.isEmpty() && error != 0)
        cause_ = QString::fromLocal8Bit(std::strerror(error));
}

QString TpaReplacedFile::ErrorString() const {
    if (diskFull_)
        return QStringLiteral("the disk is full");
    return cause_.isEmpty() ? file_.errorString() : cause_;
}

void TpaReplacedFile::Throw(const QString& failure) const {
    const QString path = QDir::toNativeSeparators(file_.fileName());
    const QString text = failure.arg(path, ErrorString());
    if (diskFull_)
        throw DiskFullError(text, path);
    throw FileError(text);
}

void ReplaceFileContents(const QString& path, const QByteArray& bytes, const QString& failure) {
    TpaReplacedFile file(path);
    if (!file.Open() || !file.Write(bytes) || !file.Commit()) {
        file.Cancel();
        file.Throw(failure);
    }
}

} // namespace model
