#pragma once

#include "app/commands/EditorCommands.h"
#include "app/commands/PublishCommands.h"

#include <QObject>

namespace app {

class EditorContext;
class FileCommands;
class HelpCommands;
class PackageCommands;
class PhotoCommands;
class TreeCommands;
class ViewCommands;
struct MainActions;

// What the assembly hands to the command groups beyond the editor: the dialogs of other
// layers.
struct CommandServices {
    PublishCommands::FtpSettingsEditor editFtpSettings;
    // The publishing dialog, and the upload window it opens (none yet: Upload leads to the
    // FTP settings).
    PublishCommands::PublishingDialog showPublishing;
    PublishCommands::UploadWindow showUploadWindow;
};

// Every command group of the editor, each connected to its own actions; the window's own
// requests go to the group that handles them.
class CommandSet : public QObject, public EditorCommands {
    Q_OBJECT

public:
    CommandSet(EditorContext& editor, const MainActions& actions, CommandServices services,
               QObject* parent = nullptr);
    ~CommandSet() override;

    void ShowStartupWizard() override;
    bool CloseAlbum() override;
    void OpenRecentAlbum(const QString& fileName) override;
    void MovePhotoTo(model::TpaTreeNode* target) override;

    FileCommands& file() { return *file_; }
    TreeCommands& tree() { return *tree_; }
    PhotoCommands& photo() { return *photo_; }
    ViewCommands& view() { return *view_; }
    PublishCommands& publish() { return *publish_; }
    HelpCommands& help() { return *help_; }
    PackageCommands& packages() { return *packages_; }

private:
    // Qt children of this object: freed with it.
    FileCommands* file_;
    TreeCommands* tree_;
    PhotoCommands* photo_;
    ViewCommands* view_;
    PublishCommands* publish_;
    HelpCommands* help_;
    PackageCommands* packages_;
};

} // namespace app
