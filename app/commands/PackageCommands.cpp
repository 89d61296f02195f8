#include "app/commands/PackageCommands.h"

#include "app/EditorContext.h"
#include "app/MainActions.h"
#include "app/commands/CommandGuard.h"
#include "app/commands/MessageBoxes.h"
#include "app/dialogs/FileDialogSettings.h"
#include "app/dialogs/ProgressScope.h"
#include "app/dialogs/frmProgress.h"
#include "app/l10n/Localization.h"

#include "model/Errors.h"
#include "model/FileRoutines.h"
#include "model/FolderLayout.h"
#include "model/document/Album.h"
#include "model/image/ImageImport.h"
#include "model/templates/Installed.h"
#include "model/templates/PackageInstaller.h"
#include "model/templates/TemplateId.h"

#include "platform/sys/Prompts.h"
#include "publish/HandlerGuard.h"

#include "zip/archiver/ZipArchiver.h"
#include "zip/archiver/ZipRoutines.h"
#include "zip/streams/MemoryStream.h"

#include <QAction>
#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace app {

namespace {

using platform::PromptButton;
using platform::PromptKind;

using MessageBoxes::ask;
using MessageBoxes::message;

void inform(PromptKind kind, const QString& text) {
    ask(kind, text, {PromptButton::Ok}, PromptButton::Ok);
}

QString notFoundInPackage(const QString& member, const QString& packageFile) {
    return message(16, QStringLiteral("File \"%s\" not found in package \"%s\"."),
                   {member, QDir::toNativeSeparators(packageFile)});
}

// Reads the list of installed templates. A damaged list would block every later install: the
// user may start a new one, and the damaged file is kept beside it under another name.
bool loadInstalledList(model::TpaInstalled& installed, const QString& file) {
    try {
        installed.LoadFromFile(file);
        return true;
    } catch (const model::XmlLoadError& e) {
        const QString folder = QFileInfo(file).absolutePath() + u'/';
        const QString kept =
            folder + model::MakeUniqueFileName(folder, QStringLiteral("installed-damaged.xml"));
        if (ask(PromptKind::Confirmation,
                message(
                    24,
                    QStringLiteral("The list of installed templates \"%s\" cannot be read: "
                                   "%s\n\nStart a new list? The damaged file is kept as "
                                   "\"%s\"."),
                    {QDir::toNativeSeparators(file), e.message(), QDir::toNativeSeparators(kept)}),
                {PromptButton::Yes, PromptButton::No}, PromptButton::No) != PromptButton::Yes)
            return false;
        if (!QFile::rename(file, kept)) {
            inform(PromptKind::Error,
                   message(25,
                           QStringLiteral("The file \"%s\" cannot be renamed to \"%s\". Nothing "
                                          "was installed."),
                           {QDir::toNativeSeparators(file), QDir::toNativeSeparators(kept)}));
            return false;
        }
        installed.Packages.Clear();
        installed.Templates.Clear();
        return true;
    }
}

// Reads the package's description; false (the user told why) when the package has none that
// can be read.
bool readPackageDescription(zip::TZipArchiver& archiver, const QString& packageFile,
                            model::TpaPackageItem& package) {
    // A description is a few kilobytes: a member that inflates to more is no package of ours.
    constexpr int64_t MaxPackageXml = 16 << 20;
    zip::MemoryStream member = zip::MemoryStream::WithLimit(MaxPackageXml);
    if (!zip::UnzipFileToStream(archiver, packageFile.toStdString(), "package.xml", member)) {
        // A member that filled the stream is there, only far larger than any description.
        if (member.Size() >= MaxPackageXml)
            inform(PromptKind::Error,
                   message(28,
                           QStringLiteral("The file \"%s\" in package \"%s\" is larger than "
                                          "any package description (%s MB at most)."),
                           {QStringLiteral("package.xml"), QDir::toNativeSeparators(packageFile),
                            QString::number(MaxPackageXml >> 20)}));
        else
            inform(PromptKind::Error,
                   notFoundInPackage(QStringLiteral("package.xml"), packageFile));
        return false;
    }
    QByteArray bytes(reinterpret_cast<const char*>(member.Bytes().data()),
                     static_cast<qsizetype>(member.Bytes().size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    package.LoadFromStream(buffer);
    return true;
}

// The texts the installer gives for a template it refuses.
void setRefusalMessages(model::TpaPackageInstaller& installer) {
    installer.missingMessage = notFoundInPackage;
    installer.refusedIdMessage = [](const model::TpaTemplateItem& item) {
        return message(26,
                       QStringLiteral("Template \"%s\" cannot be installed: \"%s\" cannot name a "
                                      "template folder."),
                       {model::TpaPackageInstaller::ShownName(item), item.Id});
    };
    installer.incompleteMessage = [](const model::TpaTemplateItem& item,
                                     const QStringList& missing) {
        return message(27,
                       QStringLiteral("Template \"%s\" cannot be installed: its folder in the "
                                      "package has no \"%s\"."),
                       {model::TpaPackageInstaller::ShownName(item),
                        missing.join(QStringLiteral("\" and no \""))});
    };
    installer.tooLargeMessage = [](const model::TpaTemplateItem& item, const QString& file,
                                   const QString& detail) {
        return message(217,
                       QStringLiteral("Template \"%s\" cannot be installed: package \"%s\" "
                                      "unpacks to more than it may. %s"),
                       {model::TpaPackageInstaller::ShownName(item), file, detail});
    };
    installer.damagedMessage = [](const model::TpaTemplateItem& item, const QString& member,
                                  const QString& file, const QString& detail) {
        return message(218,
                       QStringLiteral("Template \"%s\" cannot be installed: the file \"%s\" in "
                                      "package \"%s\" is damaged. %s"),
                       {model::TpaPackageInstaller::ShownName(item), member, file, detail});
    };
    installer.diskFullMessage = publish::diskFullText;
    installer.cannotInstallMessage = [](const model::TpaTemplateItem& item, const QString& detail) {
        return message(314, QStringLiteral("Template \"%s\" cannot be installed: %s"),
                       {model::TpaPackageInstaller::ShownName(item), detail});
    };
    installer.noRoomMessage = [](const model::TpaTemplateItem& item, const QString& folder,
                                 qint64 needed, qint64 available) {
        return message(315,
                       QStringLiteral("Template \"%s\" cannot be installed: there is not enough "
                                      "room in the folder \"%s\": it needs %s bytes there, and "
                                      "%s bytes are free. Make room and try again."),
                       {model::TpaPackageInstaller::ShownName(item), folder,
                        QString::number(needed), QString::number(available)});
    };
}

// How the install talks to the user: progress in `window`, questions and failures in boxes.
model::TpaPackageInstaller::Callbacks installCallbacks(TfrmProgress& window, ProgressScope& scope) {
    model::TpaPackageInstaller::Callbacks callbacks;
    callbacks.cancelled = [&scope] { return scope.cancelled(); };
    callbacks.templateStarted = [&window](const model::TpaTemplateItem& item) {
        window.setOverall(Localization().Format(
            TextKind::Strings, 19, QStringLiteral("Installing template \"%s\" ..."), {item.Name}));
        window.setPosition(0);
        pumpMessages();
    };
    callbacks.askOverwrite = [](const model::TpaTemplateItem& item) {
        const PromptButton answer = ask(
            PromptKind::Confirmation,
            message(19, QStringLiteral("Template \"%s\" already exists. Overwrite ?"), {item.Name}),
            {PromptButton::Yes, PromptButton::No, PromptButton::Cancel}, PromptButton::Yes);
        pumpMessages();
        if (answer == PromptButton::Yes)
            return model::TpaPackageInstaller::Overwrite::Yes;
        return answer == PromptButton::No ? model::TpaPackageInstaller::Overwrite::No
                                          : model::TpaPackageInstaller::Overwrite::Cancel;
    };
    callbacks.templateFailed = [](const model::TpaTemplateItem&, const QString& reason) {
        inform(PromptKind::Error, reason);
        pumpMessages();
    };
    return callbacks;
}

} // namespace

PackageCommands::PackageCommands(EditorContext& editor, const MainActions& actions, QObject* parent)
    : QObject(parent), editor_(editor), openDialog_(actions.OpenDialog1) {
    onTriggered(actions.acFileInstallNewAlbum, this, [this] { acFileInstallNewAlbumExecute(); });
    onTriggered(actions.acFileUpdateProjectFile, this,
                [this] { acFileUpdateProjectFileExecute(); });
}

void PackageCommands::acFileInstallNewAlbumExecute() {
    pumpMessages();
    const QString filter =
        openDialog_ ? openDialog_->Filter : QStringLiteral("ZIP Files (*.zip)|*.zip");
    // The same dialog as opening an album, under its usual title.
    const QString title = openDialog_ && !openDialog_->Title.isEmpty()
                              ? openDialog_->Title
                              : QCoreApplication::translate("QFileDialog", "Open");
    const QString initialDir = openDialog_ ? openDialog_->InitialDir : QString();
    const auto chosen = platform::prompts().openFile(title.toStdString(), filter.toStdString(),
                                                     initialDir.toStdString());
    pumpMessages();
    if (!chosen)
        return;
    InstallPackage(QString::fromStdString(*chosen));
}

void PackageCommands::InstallPackage(const QString& packageFile) {
    if (!QFileInfo(packageFile).isFile()) {
        inform(PromptKind::Error, message(5, QStringLiteral("File \"%s\" does not exist."),
                                          {QDir::toNativeSeparators(packageFile)}));
        return;
    }
    zip::TZipArchiver& archiver = editor_.archiver();
    model::TpaPackageItem package;
    if (!readPackageDescription(archiver, packageFile, package))
        return;

    const model::FolderLayout& folders = model::Folders();
    const QString installedFile = folders.AppFolder + QStringLiteral("installed.xml");
    model::TpaInstalled installed;
    if (QFileInfo::exists(installedFile) && !loadInstalledList(installed, installedFile))
        return;
    QDir().mkpath(folders.TemplatesFolder);

    model::TpaPackageInstaller installer(archiver, folders.TemplatesFolder, packageFile);
    setRefusalMessages(installer);
    model::TpaPackageInstaller::Result result;
    {
        TfrmProgress& window = editor_.progressWindow();
        ProgressScope scope(editor_.busyState(), window,
                            Localization().Format(TextKind::Strings, 18,
                                                  QStringLiteral("Installing package \"%s\""),
                                                  {package.Name}),
                            QString());
        try {
            result = installer.Install(package, installed, installCallbacks(window, scope));
        } catch (...) {
            // What was installed before the failure stays installed: keep it on record.
            try {
                installed.SaveToFile(installedFile);
            } catch (...) {
            }
            throw;
        }
    }
    // Written even when nothing was installed, so the file always matches the library.
    installed.SaveToFile(installedFile);
    if (!result.cancelled && !result.installed.isEmpty())
        inform(PromptKind::Information,
               message(17, QStringLiteral("\"%s\" is installed successfully."), {package.Name}));
}

QStringList PackageCommands::updatePlayerFiles(const QString& source, const QString& target,
                                               QStringList& copied, QString& diskFull) {
    // The album's own data and pictures stay; everything else of the template is its player
    // (which may be newer than the album, or missing from it altogether).
    static const QStringList kAlbumOwn = {QStringLiteral("data.xml"), QStringLiteral("index.html")};
    static const QStringList kAlbumFolders = {QStringLiteral("pictavo_images/"),
                                              QStringLiteral("pictavo_thumbs/"),
                                              QStringLiteral("pictavo_music/")};
    QStringList entries;
    model::ListFolderEntries(source, entries, true);
    QStringList failed;
    for (const QString& entry : entries) {
        const QString name = entry.mid(source.size());
        const bool albumOwn =
            kAlbumOwn.contains(name, Qt::CaseInsensitive) ||
            std::any_of(kAlbumFolders.begin(), kAlbumFolders.end(), [&name](const QString& f) {
                return name.startsWith(f, Qt::CaseInsensitive);
            });
        if (entry.endsWith(u'/') || albumOwn || !QFileInfo(entry).isFile() ||
            QFileInfo(entry).isSymLink())
            continue;
        QDir().mkpath(QFileInfo(target + name).absolutePath());
        bool full = false;
        if (model::CopyFileContents(entry, target + name, &full))
            copied << name;
        else // the project's file, which is what could not be written
            failed << QDir::toNativeSeparators(target + name);
        if (full && diskFull.isEmpty())
            diskFull = QDir::toNativeSeparators(target + name);
    }
    return failed;
}

void PackageCommands::acFileUpdateProjectFileExecute() {
    model::TpaAlbum& album = editor_.album();
    if (album.Tree().IsEmpty())
        return;
    const QString id = album.Settings.Id;
    const QString source = model::FindTemplateFolder(model::Folders().TemplatesFolder, id);
    const QString target = model::Folders().PreviewFolder;
    if (source.isEmpty()) {
        inform(PromptKind::Information,
               message(211,
                       QStringLiteral("Flash album %s is not installed with your Brimlo Pellicor"),
                       {id}));
    } else if (ask(PromptKind::Confirmation,
                   message(212, QStringLiteral("Album files in your project will be replaced with "
                                               "the ones which comes with the software "
                                               "installation.\r\nAre you sure?")),
                   {PromptButton::Ok, PromptButton::Cancel},
                   PromptButton::Ok) == PromptButton::Ok) {
        QStringList copiedNames;
        QString diskFull;
        const QStringList failed = updatePlayerFiles(source, target, copiedNames, diskFull);
        const bool copied = !copiedNames.isEmpty();
        // The new files live only in the working folder: without this, closing the album
        // would ask nothing and throw them away.
        if (copied) {
            album.SetModified(true);
            editor_.postRefreshPreview();
        }
        if (failed.isEmpty())
            inform(PromptKind::Information, message(213, QStringLiteral("Update Complete!")) +
                                                QStringLiteral("\n\n") +
                                                copiedNames.join(QStringLiteral(", ")));
        else
            inform(PromptKind::Error,
                   (diskFull.isEmpty() ? QString()
                                       : publish::diskFullText(diskFull) + QStringLiteral("\n")) +
                       message(214, QStringLiteral("Cannot copy \"%s\" into the project."),
                               {failed.join(QStringLiteral("\", \""))}));
    }
    editor_.UpdateActions();
}

} // namespace app
