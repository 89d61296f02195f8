#pragma once

#include <QObject>
#include <QStringList>

namespace app {

class EditorContext;
class FileDialogSettings;
struct MainActions;

// The template library's commands: installing a template package, and refreshing the open
// album's player files from its installed template.
class PackageCommands : public QObject {
    Q_OBJECT

public:
    PackageCommands(EditorContext& editor, const MainActions& actions, QObject* parent = nullptr);

    void acFileInstallNewAlbumExecute();
    void acFileUpdateProjectFileExecute();

    // Installs the package file as the command does once the file is chosen.
    void InstallPackage(const QString& packageFile);

private:
    // Copies the template's player files from `source` over the working copy in `target`,
    // naming each copied file (relative) in `copied`; returns the files that failed, and puts
    // the first file of the working copy that could not be written for want of room in
    // `diskFull`.
    static QStringList updatePlayerFiles(const QString& source, const QString& target,
                                         QStringList& copied, QString& diskFull);

    EditorContext& editor_;
    FileDialogSettings* openDialog_;
};

} // namespace app
