#pragma once

class QAction;
class QMenu;
class QPushButton;
class QToolButton;

namespace app {

class FileDialogSettings;

// The main window's actions, menus, tool buttons and file dialogs, handed to the command
// groups so that each connects its own actions. The window owns every one of them.
struct MainActions {
    // File
    QAction* acFileNew = nullptr;
    QAction* acFileOpen = nullptr;
    QAction* acFileReopen = nullptr;
    QAction* acFileClose = nullptr;
    QAction* acFileSave = nullptr;
    QAction* acFileSaveAs = nullptr;
    QAction* acFilePublish = nullptr;
    QAction* acFilePublishSetting = nullptr;
    QAction* acFileInstallNewAlbum = nullptr;
    QAction* acFileUpdateProjectFile = nullptr;
    QAction* acFileExit = nullptr;
    // Edit
    QAction* acEditAddGallery = nullptr;
    QAction* acEditAddPhoto = nullptr;
    QAction* acEditImport = nullptr;
    QAction* acEditScanMyPictures = nullptr;
    QAction* acEditChangeImage = nullptr;
    QAction* acEditDelete = nullptr;
    QAction* acEditRename = nullptr;
    QAction* acEditMoveUp = nullptr;
    QAction* acEditMoveDown = nullptr;
    QAction* acEditMoveTo = nullptr;
    // View
    QAction* acViewExpandAll = nullptr;
    QAction* acViewCollapseAll = nullptr;
    QAction* acViewPrev = nullptr;
    QAction* acViewNext = nullptr;
    QAction* acViewRefreshAlbumPreview = nullptr;
    QAction* acViewPreviewInBrowser = nullptr;
    // Options and help
    QAction* acOptionsFtpSetting = nullptr;
    QAction* acHelpHelpContents = nullptr;
    QAction* acHelpContactSupport = nullptr;
    QAction* acHelpAbout = nullptr;

    // The rename items of the popup menus, which edit the caption in place.
    QAction* miAlbumRename = nullptr;
    QAction* miGalleryRename = nullptr;
    QAction* miPhotoRename = nullptr;

    // Tool buttons: a gallery beside the selected one, and one below it.
    QToolButton* tbEditAddGallery = nullptr;
    QToolButton* tbEditAddSubGallery = nullptr;
    QToolButton* tbEditMoveTo = nullptr;
    QToolButton* tbEditScanMyPictures = nullptr;
    // The photo page's button that changes the shown photo's image.
    QPushButton* bbChangeImage = nullptr;

    // Popup menus of the tree.
    QMenu* pmMain = nullptr;
    QMenu* pmAlbum = nullptr;
    QMenu* pmGallery = nullptr;
    QMenu* pmPhoto = nullptr;
    QMenu* pmRecent = nullptr;
    QMenu* pmMoveTo = nullptr;
    QMenu* pmImport = nullptr;

    // File dialogs: album files to open and to save as, pictures to add (several at once)
    // and a picture to change a photo's image to.
    FileDialogSettings* OpenDialog1 = nullptr;
    FileDialogSettings* SaveDialog1 = nullptr;
    FileDialogSettings* OpenPictureDialog1 = nullptr;
    FileDialogSettings* OpenPictureDialog2 = nullptr;
};

} // namespace app
