#pragma once

#include <QObject>

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
    EditorContext& editor_;
    FileDialogSettings* openDialog_;
};

} // namespace app
