#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

namespace model {

// A file replaced as a whole: written under a temporary name in its folder and swapped in only
// when every byte has reached the disk, so that a failure leaves the old file byte for byte.
// A failure is named: a full disk as such (a short write alone leaves Qt's "Unknown error").
class TpaReplacedFile {
public:
    explicit TpaReplacedFile(const QString& path);

    bool Open();
    QSaveFile& Device() { return file_; }
    // Appends bytes; false (and nothing more is written) once a byte is missing.
    bool Write(const char* data, qint64 size);
    bool Write(const QByteArray& bytes) { return Write(bytes.constData(), bytes.size()); }
    // Puts the file in place of the old one; false leaves the old one as it was.
    bool Commit();
    // Drops what was written; the old file stays.
    void Cancel();

    bool DiskFull() const { return diskFull_; }
    // Why the file could not be written, in words.
    QString ErrorString() const;
    // Throws the failure: `failure` with "%1" the path and "%2" the cause, as DiskFullError
    // on a full disk, else as FileError.
    [[noreturn]] void Throw(const QString& failure) const;

private:
    void noteFailure(int error);

    QSaveFile file_;
    bool failed_ = false;
    bool diskFull_ = false;
    QString cause_;
};

// Whether a system error number means that the disk has no room left for a file's bytes.
bool IsDiskFullErrno(int error);

// Replaces path by bytes (see TpaReplacedFile); on failure throws as TpaReplacedFile::Throw.
void ReplaceFileContents(const QString& path, const QByteArray& bytes, const QString& failure);

} // namespace model
