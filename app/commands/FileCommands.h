#pragma once

#include <QObject>
#include <QString>

namespace app {

class EditorContext;
struct MainActions;

// The album file commands: new, open, reopen, save, save as, close, and leaving the program.
class FileCommands : public QObject {
    Q_OBJECT

public:
    FileCommands(EditorContext& editor, const MainActions& actions, QObject* parent = nullptr);

    void ShowStartupWizard();
    // False when the user keeps the album open.
    bool CloseAlbum();
    void OpenRecentAlbum(const QString& fileName);

private:
    EditorContext& editor_;
};

} // namespace app
