#pragma once

#include "tests/support/FileSizeCap.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <fcntl.h>
#include <memory>
#include <sys/mount.h>
#include <unistd.h>

namespace testsupport {

// A folder on a small disk of its own (a tmpfs, when this process may mount one) that holds
// files put there first and then has exactly `roomLeft` bytes of room: a write of more stops
// short and then fails with "no space left", as on a real disk. Without the right to mount,
// the folder is an ordinary one and files may grow by no more than `roomLeft` bytes: the write
// stops short in the same way, with "file too large".
class NearlyFullDisk {
public:
    NearlyFullDisk() {
        folder_ = dir_.path() + QStringLiteral("/disk/");
        QDir().mkpath(folder_);
        mounted_ = ::geteuid() == 0 && ::mount("tmpfs", QFile::encodeName(folder_).constData(),
                                               "tmpfs", 0, "size=256k") == 0;
    }
    ~NearlyFullDisk() {
        cap_.reset();
        if (mounted_)
            ::umount2(QFile::encodeName(folder_).constData(), MNT_DETACH);
    }
    NearlyFullDisk(const NearlyFullDisk&) = delete;
    NearlyFullDisk& operator=(const NearlyFullDisk&) = delete;

    const QString& folder() const { return folder_; }
    // Whether the disk is a real one that fills (else only the file size is capped).
    bool real() const { return mounted_; }

    // Takes all room but roomLeft bytes (whole pages of the disk).
    void fill(qint64 roomLeft) {
        if (!mounted_) {
            cap_ = std::make_unique<FileSizeCap>(roomLeft);
            return;
        }
        const QByteArray page(4096, 'f');
        const QByteArray filler = QFile::encodeName(folder_ + QStringLiteral(".filler"));
        const int fd = ::open(filler.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        qint64 size = 0;
        for (ssize_t n; (n = ::write(fd, page.constData(), page.size())) > 0;)
            size += n;
        ::ftruncate(fd, std::max<qint64>(0, size - roomLeft));
        ::close(fd);
    }

private:
    QTemporaryDir dir_;
    QString folder_;
    bool mounted_ = false;
    std::unique_ptr<FileSizeCap> cap_;
};

} // namespace testsupport
