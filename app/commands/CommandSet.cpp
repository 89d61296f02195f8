#include "app/commands/CommandSet.h"

#include "app/EditorContext.h"
#include "app/commands/FileCommands.h"
#include "app/commands/HelpCommands.h"
#include "app/commands/PackageCommands.h"
#include "app/commands/PhotoCommands.h"
#include "app/commands/TreeCommands.h"
#include "app/commands/ViewCommands.h"

namespace app {

CommandSet::CommandSet(EditorContext& editor, const MainActions& actions, CommandServices services,
                       QObject* parent)
    : QObject(parent), file_(new FileCommands(editor, actions, this)),
      tree_(new TreeCommands(editor, actions, this)),
      photo_(new PhotoCommands(editor, actions, this)),
      view_(new ViewCommands(editor, actions, this)),
      publish_(new PublishCommands(editor, actions, std::move(services.editFtpSettings),
                                   std::move(services.showPublishing),
                                   std::move(services.showUploadWindow), this)),
      help_(new HelpCommands(editor, actions, this)),
      packages_(new PackageCommands(editor, actions, this)) {}

CommandSet::~CommandSet() = default;

void CommandSet::ShowStartupWizard() {
    file_->ShowStartupWizard();
}

bool CommandSet::CloseAlbum() {
    return file_->CloseAlbum();
}

void CommandSet::OpenRecentAlbum(const QString& fileName) {
    file_->OpenRecentAlbum(fileName);
}

void CommandSet::MovePhotoTo(model::TpaTreeNode* target) {
    tree_->MovePhotoTo(target);
}

} // namespace app
