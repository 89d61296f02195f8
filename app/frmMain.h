#pragma once

#include "app/ActionState.h"
#include "app/BusyState.h"
#include "app/FtpDefaults.h"
#include "app/SettingsFile.h"
#include "app/dialogs/FileDialogSettings.h"
#include "app/pages/PreviewPane.h"

#include "model/document/Album.h"
#include "model/document/RecentItems.h"
#include "zip/archiver/ZipArchiver.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

class QActionGroup;
class QMenu;
class QToolBar;
class QTabWidget;
class QToolButton;

namespace Ui {
class frmMain;
}

namespace platform {
class UserStore;
}

namespace app {

class AlbumTreeModel;
class ApplicationForms;
class FormTranslator;
class TfrmAbout;
class TfrmProgress;

// What the main window works with that lives outside it.
struct MainWindowContext {
    ApplicationForms* forms = nullptr;        // the "Application" root of language files
    FormTranslator* translator = nullptr;     // writes the language's texts into the forms
    platform::UserStore* userStore = nullptr; // the registry stand-in
    std::unique_ptr<PreviewPane> preview;     // nullptr: the embedded browser
};

// The editor's main window: the album tree, the pages for the selected node, menus, tool
// bars and actions, the recent albums, the language menu, the INI settings, the preview.
class TfrmMain : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int MaxRecent = 10;

    explicit TfrmMain(MainWindowContext context, QWidget* parent = nullptr);
    ~TfrmMain() override;

    std::unique_ptr<Ui::frmMain> ui;

    model::TpaAlbum FAlbum;
    model::TRecentItems FRecent;
    FtpDefaults DefFtp;
    zip::TZipArchiver ZipArchiver;

    FileDialogSettings* OpenDialog1;
    FileDialogSettings* SaveDialog1;
    FileDialogSettings* OpenPictureDialog1;
    FileDialogSettings* OpenPictureDialog2;

    QMenu* pmAlbum;
    QMenu* pmGallery;
    QMenu* pmPhoto;
    QMenu* pmMain;
    QMenu* pmRecent;
    QMenu* pmMoveTo;
    QMenu* pmImport;
    QToolButton* tbEditAddGallery;
    QToolButton* tbEditAddSubGallery;
    QToolButton* tbEditMoveTo;
    QToolButton* tbEditScanMyPictures;

    BusyState& busyState() { return busy_; }
    AlbumTreeModel& treeModel() { return *treeModel_; }
    PreviewPane& preview() { return *preview_; }
    SettingsFile& settingsFile() { return settings_; }
    const ActionState& actionState() const { return state_; }

    // Hooks for the commands and windows that other parts of the program provide.
    std::function<void()> ShowStartupWizard;              // WM_SHOWSTARTUPWIZARD
    std::function<bool()> CloseAlbum;                     // with its save prompt
    std::function<bool(const QString&)> OpenRecentAlbum;  // a reopen menu entry
    std::function<bool(FtpDefaults&)> EditFtpSettings;    // the FTP settings dialog; true on OK
    std::function<void(const QString&)> OpenHelp;         // help and support targets
    std::function<void(model::TpaTreeNode*)> MovePhotoTo; // a move-to menu entry's target

    // The data an action carries while it runs when a popup-menu item (rename in place) or
    // the sibling-gallery tool button started it; empty otherwise.
    static constexpr const char* FromPopupMenu = "popup";
    static constexpr const char* FromSiblingButton = "sibling";

    void UpdateActions();
    // The inputs the action rules see, taken from the album, the selection and the lists.
    ActionInputs CollectActionInputs() const;

    model::TpaTreeNode* selectedNode() const;
    void selectNode(model::TpaTreeNode* node);

    // The caption: the title alone, or "title  [name]".
    void UpdateCaption(const QString& albumName = QString());
    // The application's title: "Fotrenza", or what the language file calls it.
    QString applicationTitle() const;

    // The private messages, posted: they run once the current handler has returned.
    void postShowStartupWizard();
    void postRefreshPreview();
    void postEditNodeCaption(model::TpaTreeNode* node);
    void WMRefreshPreview();

    // Rebuilds the six reopen menus from the recent list.
    void RebuildRecentMenus();
    // The move-to menus for the node (cleared for anything but a photo).
    void RebuildMoveToMenus(model::TpaTreeNode* node);

    // Switches to the language of an item of the language menu.
    void OnViewLanguageMenuItemClick(QAction* item);
    QActionGroup* languageGroup() const { return languageGroup_; }
    // Builds the language menu and applies the stored language; runs on the first show.
    void FormShow();

    // The gallery page's icons for the node's children.
    void FillGalleryItems(model::TpaTreeNode* gallery, QStringList& paths);
    void LoadGalleryThumbnails(const QStringList& paths);

    // The page dispatcher for the selected node.
    void tvTreeViewChange();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createMenusAndToolBars();
    void connectActions();
    void applyBusy(bool busy);
    void applyActionState(const ActionState& state);
    void FormCreate();
    void FormDestroy();
    void RebuildFilters();
    void RelocalizeFrames();
    void showPhotoPage(model::TpaTreeNode* node);
    void drawPhotoPreview();
    QString placeholderPicture() const;
    void onTreeContextMenu(const QPoint& pos);
    void onCaptionEdited(model::TpaTreeNode* node, const QString& text);
    void pcAlbumSettingsChange(QTabWidget* sender, int index);
    void lvGalleryPreviewDblClick();
    void acViewExpandAllExecute();
    void acViewCollapseAllExecute();
    void acViewPrevExecute();
    void acViewNextExecute();
    // The frame of the view actions: a pump, the step (inside a busy section when asked),
    // then the tree gets the focus and the actions are brought up to date.
    void viewStep(bool busy, const std::function<void()>& step);
    // Selects the photo that `sibling` finds for the selected photo, if any.
    void selectSiblingPhoto(model::TpaTreeNode* (*sibling)(const model::TpaTreeNode*));
    void acViewRefreshAlbumPreviewExecute();
    void acFilePublishSettingExecute();
    // Shows the album page's tab: selects the root (on that tab) or switches to the tab, or,
    // when it is shown already, refreshes the preview.
    void showAlbumTab(QWidget* tab);
    void acOptionsFtpSettingExecute();
    void acHelpAboutExecute();
    void ArchiverOverallProgress(double progress, bool& cancel);
    void loadRecent();
    void saveRecent();

    MainWindowContext context_;
    BusyState busy_;
    SettingsFile settings_;
    std::unique_ptr<AlbumTreeModel> treeModel_;
    std::unique_ptr<PreviewPane> preview_;
    ActionState state_;
    QList<QMenu*> reopenMenus_; // miFileReopen, miMainReopen, miAlbumReopen, miGalleryReopen,
                                // miPhotoReopen, pmRecent
    QList<QMenu*> moveToMenus_; // miEditMoveTo, miGalleryMoveTo, miPhotoMoveTo, pmMoveTo
    QActionGroup* languageGroup_;
    QPointer<QAction> checkedLanguage_; // the language item applied last
    QImage previewPicture_;
    bool previewFramed_ = false;
    bool shown_ = false;
    QString captionName_;
};

} // namespace app
