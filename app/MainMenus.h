#pragma once

#include <QList>

class QMainWindow;
class QMenu;

namespace Ui {
class frmMain;
}

namespace app {

struct MainActions;

// The main window's popup menus, submenus and tool bars, made around the actions of its form.
struct MainMenus {
    // Fills the popup menus and tool buttons of `actions` and adds the tool bars to the window.
    static MainMenus build(QMainWindow& window, Ui::frmMain& form, MainActions& actions);

    // miFileReopen, miMainReopen, miAlbumReopen, miGalleryReopen, miPhotoReopen, pmRecent
    QList<QMenu*> reopen;
    // miEditMoveTo, miGalleryMoveTo, miPhotoMoveTo, pmMoveTo
    QList<QMenu*> moveTo;
};

} // namespace app
