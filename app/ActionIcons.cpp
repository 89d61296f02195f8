#include "app/ActionIcons.h"

#include "app/pages/TreeIcons.h"

#include <QAction>
#include <QStyle>

namespace app {

void ActionIcons::fillMissing(const QList<QAction*>& actions, const QStyle& style) {
    struct Fallback {
        const char* action;
        QStyle::StandardPixmap picture;
    };
    static const Fallback fallbacks[] = {
        {"acFileNew", QStyle::SP_FileIcon},
        {"acFileOpen", QStyle::SP_DialogOpenButton},
        {"acFileClose", QStyle::SP_DialogCloseButton},
        {"acFileSave", QStyle::SP_DialogSaveButton},
        {"acFileSaveAs", QStyle::SP_DialogSaveButton},
        {"acFilePublish", QStyle::SP_DriveNetIcon},
        {"acFileUpdateProjectFile", QStyle::SP_BrowserReload},
        {"acFileExit", QStyle::SP_DialogCancelButton},
        {"acEditAddGallery", QStyle::SP_FileDialogNewFolder},
        {"acEditDelete", QStyle::SP_TrashIcon},
        {"acEditMoveUp", QStyle::SP_ArrowUp},
        {"acEditMoveDown", QStyle::SP_ArrowDown},
        {"acViewPrev", QStyle::SP_ArrowBack},
        {"acViewNext", QStyle::SP_ArrowForward},
        {"acViewRefreshAlbumPreview", QStyle::SP_BrowserReload},
        {"acViewPreviewInBrowser", QStyle::SP_ComputerIcon},
        {"acHelpHelpContents", QStyle::SP_DialogHelpButton},
        {"acHelpAbout", QStyle::SP_MessageBoxInformation},
    };
    for (QAction* action : actions) {
        if (!action || !action->icon().isNull())
            continue;
        const QString name = action->objectName();
        if (name == u"acEditAddPhoto") {
            action->setIcon(TreeIcons::photo());
            continue;
        }
        for (const Fallback& f : fallbacks) {
            if (name == QLatin1String(f.action)) {
                action->setIcon(style.standardIcon(f.picture));
                break;
            }
        }
    }
}

} // namespace app
