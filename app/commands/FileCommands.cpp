#include "app/commands/FileCommands.h"

#include "app/EditorContext.h"
#include "app/MainActions.h"
#include "app/commands/CommandGuard.h"
#include "app/dialogs/ProgressScope.h"

#include <QAction>
#include <QWidget>

namespace app {

FileCommands::FileCommands(EditorContext& editor, const MainActions& actions, QObject* parent)
    : QObject(parent), editor_(editor) {
    onTriggered(actions.acFileExit, this, [this] {
        pumpMessages();
        editor_.dialogParent()->close();
    });
    onTriggered(actions.acFileClose, this, [this] {
        CloseAlbum();
        editor_.UpdateActions();
    });
}

void FileCommands::ShowStartupWizard() {}

bool FileCommands::CloseAlbum() {
    return true;
}

void FileCommands::OpenRecentAlbum(const QString&) {}

} // namespace app
