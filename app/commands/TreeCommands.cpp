#include "app/commands/TreeCommands.h"

#include "app/EditorContext.h"
#include "app/MainActions.h"

namespace app {

TreeCommands::TreeCommands(EditorContext& editor, const MainActions&, QObject* parent)
    : QObject(parent), editor_(editor) {}

void TreeCommands::MovePhotoTo(model::TpaTreeNode*) {}

} // namespace app
