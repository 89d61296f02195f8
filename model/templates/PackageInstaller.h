#pragma once

#include "model/templates/Installed.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace zip {
class TZABaseArchiver;
}

namespace model {

// Installs the templates of one package file into the template library and records them.
// Each template is unpacked into a hidden staging folder beside the library's folders and
// swapped in only once complete, so a cancelled or failed template never shows up half
// installed and a replaced one never keeps files of its old version.
class TpaPackageInstaller {
public:
    enum class Overwrite { Yes, No, Cancel };

    // How the run talks to whoever shows it. Every member may be empty: no questions asked
    // means an existing template is skipped.
    struct Callbacks {
        std::function<void(const TpaTemplateItem&)> templateStarted;
        std::function<Overwrite(const TpaTemplateItem&)> askOverwrite;
        // A template that was not installed; reason is a full sentence for the user.
        std::function<void(const TpaTemplateItem&, const QString& reason)> templateFailed;
        std::function<bool()> cancelled;
    };

    struct Result {
        QStringList installed; // ids, in package order
        QStringList skipped;   // existing templates the user kept
        QStringList failed;    // refused ids and templates that could not be unpacked
        bool cancelled = false;
    };

    // templatesFolder: the library; packageFile: the ZIP file the package record was read from.
    TpaPackageInstaller(zip::TZABaseArchiver& archiver, const QString& templatesFolder,
                        const QString& packageFile);

    // Installs the package's templates in file order, recording each installed one (and the
    // package) in installed. Stops before the next template once cancelled.
    Result Install(const TpaPackageItem& package, TpaInstalled& installed,
                   const Callbacks& callbacks);

    // The files every template folder must hold: the chooser offers no folder without the
    // first, and a new album starts from the second.
    static const QStringList RequiredFiles;

    // The name a message shows for a template: its display name, or its id without one.
    static QString ShownName(const TpaTemplateItem& item);

    // The sentences of the failures, English by default: a template the package does not hold
    // ("File "<id>/" not found in package "<file>"."), an id that names no single safe folder,
    // and a template folder that lacks required files (named one by one, in order).
    std::function<QString(const QString& member, const QString& packageFile)> missingMessage;
    std::function<QString(const TpaTemplateItem& item)> refusedIdMessage;
    std::function<QString(const TpaTemplateItem& item, const QStringList& missing)>
        incompleteMessage;
    // A template whose files would take more than a package may, or than the disk has free;
    // detail is the engine's sentence naming the member or package and the bytes allowed.
    std::function<QString(const TpaTemplateItem& item, const QString& packageFile,
                          const QString& detail)>
        tooLargeMessage;
    // A template with a member that does not unpack as its headers say (its size or check sum
    // is wrong, its method unknown); detail is the engine's sentence.
    std::function<QString(const TpaTemplateItem& item, const QString& member,
                          const QString& packageFile, const QString& detail)>
        damagedMessage;

    // A template that could not be installed, for the reason given in detail.
    std::function<QString(const TpaTemplateItem& item, const QString& detail)> cannotInstallMessage;
    // A template refused before it was unpacked because the library's disk has too little
    // room: the bytes it needs there (with the room kept free) and the bytes free.
    std::function<QString(const TpaTemplateItem& item, const QString& folder, qint64 needed,
                          qint64 available)>
        noRoomMessage;
    // A template file that could not be written for want of room on the library's disk.
    std::function<QString(const QString& path)> diskFullMessage;

    // Bytes a whole package may unpack to, the free space of the library's disk permitting.
    static constexpr qint64 kMaxPackageBytes = 1LL << 30;

private:
    enum class Outcome { Installed, Failed, Cancelled };
    Outcome installOne(const TpaTemplateItem& item, const QString& existing, QString& reason,
                       const Callbacks& callbacks);
    bool swapIn(const QString& staged, const QString& target, QString& reason);

    zip::TZABaseArchiver& archiver_;
    QString templates_;
    QString packageFile_;
    qint64 unpacked_ = 0; // bytes the templates installed by this run took
};

} // namespace model
