#include "model/templates/PackageInstaller.h"

#include "model/AlbumLimits.h"
#include "model/FileRoutines.h"
#include "model/ReplacedFile.h"
#include "model/document/AlbumUnpackLimits.h"
#include "model/templates/TemplateId.h"

#include "zip/ZAExcept.h"
#include "zip/archiver/ZABaseArchiver.h"
#include "zip/archiver/ZipRoutines.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>

namespace model {

namespace {

// Sets the archiver's failure answer for one run and puts the caller's handler back after it:
// a member that cannot be unpacked ends the template's extraction at once, since a template
// with a file missing must not be swapped in. failed gets that member's name.
class AbortOnFailureScope {
public:
    AbortOnFailureScope(zip::TZABaseArchiver& archiver, QString& failed)
        : archiver_(archiver), saved_(std::move(archiver.OnProcessFileFailure)) {
        archiver_.OnProcessFileFailure =
            [&failed](zip::TZABaseArchiver&, const std::string& fileName, zip::TZAProcessOperation,
                      int, int, const std::string&, zip::TZAAction& action) {
                failed = QString::fromStdString(fileName).replace(u'\\', u'/');
                action = zip::TZAAction::fxaAbort;
            };
    }
    ~AbortOnFailureScope() { archiver_.OnProcessFileFailure = std::move(saved_); }
    AbortOnFailureScope(const AbortOnFailureScope&) = delete;
    AbortOnFailureScope& operator=(const AbortOnFailureScope&) = delete;

private:
    zip::TZABaseArchiver& archiver_;
    decltype(zip::TZABaseArchiver::OnProcessFileFailure) saved_;
};

QString withoutTrailingSlash(QString folder) {
    while (folder.endsWith(u'/') && folder.size() > 1)
        folder.chop(1);
    return folder;
}

bool renameFolder(const QString& from, const QString& to) {
    return QDir().rename(withoutTrailingSlash(from), withoutTrailingSlash(to));
}

qint64 folderBytes(const QString& folder) {
    qint64 bytes = 0;
    QDirIterator files(folder, QDir::Files | QDir::Hidden | QDir::NoSymLinks,
                       QDirIterator::Subdirectories);
    while (files.hasNext())
        bytes += files.nextFileInfo().size();
    return bytes;
}

// What one template may unpack to: its descriptions no larger than any album's, and the whole
// within what is left of the package's share and of the free space of the library's disk.
zip::TZAUnpackLimits templateLimits(const QString& library, qint64 packageRoom) {
    zip::TZAUnpackLimits limits;
    limits.Total = zip::TZAUnpackLimits::Tighter(packageRoom, RoomToUnpack(library));
    limits.PerMember = [](const std::string& storedName) -> int64_t {
        const QString name = QString::fromStdString(storedName);
        if (name.endsWith(u"/data.xml"))
            return kMaxDataXmlBytes;
        if (name.endsWith(u"/album.xml"))
            return kMaxAlbumXmlBytes;
        return zip::TZAUnpackLimits::kNone;
    };
    return limits;
}

// The free bytes of the disk that holds folder (0 when that cannot be found out).
qint64 freeBytes(const QString& folder) {
    const QStorageInfo disk(folder);
    return disk.isValid() ? std::max<qint64>(disk.bytesAvailable(), 0) : 0;
}

// True when the engine's message says an unpack ran past its limits.
bool isOverLimit(const std::string& message) {
    const std::string sample = zip::EZAException(zip::ZAError::UnpackLimit).what();
    const std::string code = sample.substr(sample.rfind(" - "));
    return message.size() >= code.size() &&
           message.compare(message.size() - code.size(), code.size(), code) == 0;
}

} // namespace

QString TpaPackageInstaller::ShownName(const TpaTemplateItem& item) {
    return item.Name.isEmpty() ? item.Id : item.Name;
}

const QStringList TpaPackageInstaller::RequiredFiles = {QStringLiteral("album.xml"),
                                                        QStringLiteral("data.xml")};

TpaPackageInstaller::TpaPackageInstaller(zip::TZABaseArchiver& archiver,
                                         const QString& templatesFolder, const QString& packageFile)
    : missingMessage([](const QString& member, const QString& file) {
          return QStringLiteral("File \"%1\" not found in package \"%2\".").arg(member, file);
      }),
      refusedIdMessage([](const TpaTemplateItem& item) {
          return QStringLiteral("Template \"%1\" cannot be installed: \"%2\" cannot name a "
                                "template folder.")
              .arg(ShownName(item), item.Id);
      }),
      incompleteMessage([](const TpaTemplateItem& item, const QStringList& missing) {
          return QStringLiteral("Template \"%1\" cannot be installed: its folder in the package "
                                "has no \"%2\".")
              .arg(ShownName(item), missing.join(QStringLiteral("\" and no \"")));
      }),
      tooLargeMessage([](const TpaTemplateItem& item, const QString& file, const QString& detail) {
          return QStringLiteral("Template \"%1\" cannot be installed: package \"%2\" unpacks to "
                                "more than it may. %3")
              .arg(ShownName(item), file, detail);
      }),
      damagedMessage([](const TpaTemplateItem& item, const QString& member, const QString& file,
                        const QString& detail) {
          return QStringLiteral("Template \"%1\" cannot be installed: the file \"%2\" in "
                                "package \"%3\" is damaged. %4")
              .arg(ShownName(item), member, file, detail);
      }),
      cannotInstallMessage([](const TpaTemplateItem& item, const QString& detail) {
          return QStringLiteral("Template \"%1\" cannot be installed: %2")
              .arg(ShownName(item), detail);
      }),
      noRoomMessage(
          [](const TpaTemplateItem& item, const QString& folder, qint64 needed, qint64 available) {
              return QStringLiteral("Template \"%1\" cannot be installed: there is not enough room "
                                    "in the folder \"%2\": it needs %3 bytes there, and %4 bytes "
                                    "are free. Make room and try again.")
                  .arg(ShownName(item), folder)
                  .arg(needed)
                  .arg(available);
          }),
      diskFullMessage([](const QString& path) {
          return QStringLiteral("The disk is full: \"%1\" could not be written. Make room and "
                                "try again.")
              .arg(path);
      }),
      archiver_(archiver), templates_(WithTrailingSlash(templatesFolder)),
      packageFile_(packageFile) {}

TpaPackageInstaller::Result TpaPackageInstaller::Install(const TpaPackageItem& package,
                                                         TpaInstalled& installed,
                                                         const Callbacks& callbacks) {
    Result result;
    unpacked_ = 0;
    auto cancelled = [&] { return callbacks.cancelled && callbacks.cancelled(); };
    auto fail = [&](const TpaTemplateItem& item, const QString& reason) {
        result.failed << item.Id;
        if (callbacks.templateFailed)
            callbacks.templateFailed(item, reason);
    };
    for (int i = 0; i < package.Templates.Count(); ++i) {
        if (cancelled()) {
            result.cancelled = true;
            break;
        }
        const TpaTemplateItem& item = package.Templates.GetItem(i);
        if (callbacks.templateStarted)
            callbacks.templateStarted(item);
        // An id that is no single plain folder name would unpack into, or ask about, the
        // wrong place ("" is the library itself, "*" every template, "../x" outside it, ".x"
        // a hidden folder the chooser never shows).
        if (!IsValidTemplateId(item.Id)) {
            fail(item, refusedIdMessage(item));
            continue;
        }
        const QString existing = FindTemplateFolder(templates_, item.Id);
        if (!existing.isEmpty()) {
            const Overwrite answer =
                callbacks.askOverwrite ? callbacks.askOverwrite(item) : Overwrite::No;
            if (answer == Overwrite::Cancel) {
                result.cancelled = true;
                break;
            }
            if (answer == Overwrite::No) {
                result.skipped << item.Id;
                continue;
            }
        }
        QString reason;
        const Outcome outcome = installOne(item, existing, reason, callbacks);
        if (outcome == Outcome::Cancelled) {
            result.cancelled = true;
            break;
        }
        if (outcome == Outcome::Failed) {
            fail(item, reason);
            continue;
        }
        installed.Packages.GetOrAdd(package.Id).Assign(&package);
        TpaTemplateItem& record = installed.Templates.GetOrAdd(item.Id);
        record.Assign(&item);
        record.Package = package.Id;
        result.installed << item.Id;
    }
    return result;
}

TpaPackageInstaller::Outcome TpaPackageInstaller::installOne(const TpaTemplateItem& item,
                                                             const QString& existing,
                                                             QString& reason,
                                                             const Callbacks& callbacks) {
    const QString staging = templates_ + QStringLiteral(".staging-") + item.Id + u'/';
    // Left over from a run that ended abruptly: never part of the library.
    RemoveFolderTree(staging);
    if (!QDir().mkpath(staging)) {
        reason = QStringLiteral("Cannot create the folder \"%1\".")
                     .arg(QDir::toNativeSeparators(staging));
        return Outcome::Failed;
    }
    bool unpacked = false;
    QString failedMember;
    const QString mask = item.Id + QStringLiteral("\\*.*");
    const qint64 packageRoom = std::max<qint64>(kMaxPackageBytes - unpacked_, 0);
    const zip::TZAUnpackLimits limits = templateLimits(templates_, packageRoom);
    {
        AbortOnFailureScope abortOnFailure(archiver_, failedMember);
        unpacked = zip::UnzipByMask(archiver_, packageFile_.toStdString(), staging.toStdString(),
                                    mask.toStdString(), limits);
    }
    if (callbacks.cancelled && callbacks.cancelled()) {
        RemoveFolderTree(staging);
        return Outcome::Cancelled;
    }
    // The package's folder may be spelt in another letter case than the id.
    const QString staged = unpacked ? FindTemplateFolder(staging, item.Id) : QString();
    if (staged.isEmpty()) {
        const zip::TZAOutcome& outcome = archiver_.LastOutcome();
        // The routine's own note for a mask that matched no member: the folder is missing.
        const bool nothingMatched =
            outcome.LastError == zip::EZAException(zip::ZAError::MemberNotFound, archiver_.Name(),
                                                   {zip::TZAFormatArg(mask.toStdString())})
                                     .what();
        // The engine's texts do not say why a write failed; the reason it took where the call
        // failed does.
        if (IsDiskFullErrno(outcome.SystemError)) {
            reason = cannotInstallMessage(
                item, diskFullMessage(QDir::toNativeSeparators(templates_ + failedMember)));
        } else if (unpacked || nothingMatched || outcome.LastError.empty()) {
            reason = missingMessage(item.Id + u'/', packageFile_);
        } else if (isOverLimit(outcome.LastError) && outcome.Claimed > 0 &&
                   outcome.Claimed <= packageRoom && limits.Total < packageRoom) {
            // Refused before a byte was written, for want of room on the library's disk and
            // not for the package's size: no fault of the package.
            const qint64 free = freeBytes(templates_);
            reason =
                noRoomMessage(item, QDir::toNativeSeparators(templates_),
                              outcome.Claimed + std::max<qint64>(free - limits.Total, 0), free);
        } else if (isOverLimit(outcome.LastError)) {
            reason = tooLargeMessage(item, QDir::toNativeSeparators(packageFile_),
                                     QString::fromStdString(outcome.LastError));
        } else if (!failedMember.isEmpty()) {
            reason = damagedMessage(item, failedMember, QDir::toNativeSeparators(packageFile_),
                                    QString::fromStdString(outcome.LastError));
        } else {
            reason = cannotInstallMessage(item, QString::fromStdString(outcome.LastError));
        }
        RemoveFolderTree(staging);
        return Outcome::Failed;
    }
    // A folder without them would never be offered, or could not start an album.
    QStringList missing;
    for (const QString& name : RequiredFiles)
        if (!QFileInfo(staged + name).isFile())
            missing << name;
    if (!missing.isEmpty()) {
        reason = incompleteMessage(item, missing);
        RemoveFolderTree(staging);
        return Outcome::Failed;
    }
    const QString target = existing.isEmpty() ? templates_ + item.Id + u'/' : existing;
    const qint64 bytes = folderBytes(staged);
    const bool swapped = swapIn(staged, target, reason);
    if (swapped)
        unpacked_ += bytes;
    RemoveFolderTree(staging);
    return swapped ? Outcome::Installed : Outcome::Failed;
}

bool TpaPackageInstaller::swapIn(const QString& staged, const QString& target, QString& reason) {
    const QString name = QFileInfo(withoutTrailingSlash(target)).fileName();
    const QString replaced = templates_ + QStringLiteral(".replaced-") + name + u'/';
    const bool hadTarget = QFileInfo::exists(withoutTrailingSlash(target));
    RemoveFolderTree(replaced);
    if (hadTarget && !renameFolder(target, replaced)) {
        reason = QStringLiteral("Cannot replace the folder \"%1\".")
                     .arg(QDir::toNativeSeparators(target));
        return false;
    }
    if (!renameFolder(staged, target)) {
        if (hadTarget)
            renameFolder(replaced, target);
        reason = QStringLiteral("Cannot create the folder \"%1\".")
                     .arg(QDir::toNativeSeparators(target));
        return false;
    }
    if (hadTarget)
        RemoveFolderTree(replaced);
    return true;
}

} // namespace model
