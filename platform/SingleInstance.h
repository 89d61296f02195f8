#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace platform {

// Lets one instance of the program run per user. The lock is a file named after `name` in
// $XDG_RUNTIME_DIR (else the temporary folder, with the user's id added to the name), so it
// never lies in a folder the program empties and each user has a lock of their own. A lock
// left by a crashed instance is taken over; a live instance's lock is not.
class SingleInstance {
public:
    explicit SingleInstance(const QString& name);
    // Locks in `folder` instead of the runtime folder.
    SingleInstance(const QString& name, const QString& folder);
    ~SingleInstance(); // releases the lock when this object holds it

    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Takes the lock; false when another live instance holds it or it cannot be created
    // (heldByAnother() tells which).
    bool tryAcquire();
    // After a failed tryAcquire: true when a live instance holds the lock, false when the lock
    // file could not be made at all (a folder that cannot be written, for instance).
    bool heldByAnother() const;
    bool isOwner() const { return owner_; }
    void release();

    QString lockFilePath() const { return path_; }

    // The folder lock files go into: $XDG_RUNTIME_DIR when it is a folder of this user's that
    // can be written, else the temp folder.
    static QString defaultFolder();

private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
    bool owner_ = false;
};

} // namespace platform
