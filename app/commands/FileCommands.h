#pragma once

#include "app/dialogs/frmImportTemplate.h"

#include <QObject>
#include <QString>

#include <optional>

namespace app {

class EditorContext;
class TfrmStartupWizard;
struct MainActions;

// The album file commands: new, open, reopen, save, save as, close, and leaving the program.
// Each returns true when it did what was asked.
class FileCommands : public QObject {
    Q_OBJECT

public:
    FileCommands(EditorContext& editor, const MainActions& actions, QObject* parent = nullptr);

    void ShowStartupWizard();
    // nullopt: the template chooser asks.
    bool NewAlbum(std::optional<TemplateEntry> albumTemplate);
    // An empty name: the open dialog asks.
    bool OpenAlbum(const QString& fileName);
    bool OpenRecentAlbum(const QString& fileName);
    bool SaveAlbum();
    bool SaveAlbumAs();
    // False when the user keeps the album open (or saving it failed).
    bool CloseAlbum();

    // The application's chooser and wizard.
    TfrmImportTemplate& chooser();
    TfrmStartupWizard& wizard();

private:
    // Offers to save a modified album: nullopt when the user cancels, else whether the
    // command may go on (false: the save failed).
    std::optional<bool> savePrompt();
    std::optional<QString> askOpenFile();
    bool saveTo(const QString& fileName);
    bool loadAlbumFile(const QString& fileName);
    bool refuseWorkingArea(const QString& fileName);

    EditorContext& editor_;
    const MainActions& actions_;
};

} // namespace app
