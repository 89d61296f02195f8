#pragma once

#include "app/ActionState.h"
#include "app/BusyState.h"
#include "app/EditorContext.h"
#include "app/FtpDefaults.h"
#include "app/MainActions.h"
#include "app/SettingsFile.h"
#include "app/pages/PreviewPane.h"

#include "model/document/Album.h"
#include "model/document/RecentItems.h"
#include "zip/archiver/ZipArchiver.h"

#include <QElapsedTimer>
#include <QMainWindow>

#include <memory>

class QActionGroup;
class QMenu;
class QTabWidget;

namespace Ui {
class frmMain;
}

namespace platform {
class UserStore;
}

namespace app {

class AlbumTreeModel;
class ApplicationForms;
class EditorCommands;
class FormTranslator;
class GalleryList;
class LanguageMenu;
class PhotoPreview;
class PreviewRefreshCoalescer;
class SettingsFrameBuilder;
class TfrmProgress;
class TfrmSearchProgress;

// What the main window works with that lives outside it.
struct MainWindowContext {
    ApplicationForms* forms = nullptr;        // the "Application" root of language files
    FormTranslator* translator = nullptr;     // writes the language's texts into the forms
    platform::UserStore* userStore = nullptr; // the per-user settings file
    std::unique_ptr<PreviewPane> preview;     // nullptr: the embedded browser
};

// The editor's main window: the album tree, the pages for the selected node, menus, tool
// bars and actions, the recent albums, the language menu, the INI settings, the preview.
// Commands plug in through the editor context it implements and the actions it hands out.
class TfrmMain : public QMainWindow, public EditorContext {
    Q_OBJECT

public:
    static constexpr int MaxRecent = 10;

    explicit TfrmMain(MainWindowContext context, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // The window's actions, menus, tool buttons and file dialogs, for the command groups.
    const MainActions& actions() const { return actions_; }
    // The commands the window starts itself (first show, close query, the menus it builds).
    void setCommands(std::unique_ptr<EditorCommands> commands);

    // The editor context.
    QWidget* dialogParent() override { return this; }
    model::TpaAlbum& album() override { return FAlbum; }
    AlbumTreeModel& treeModel() override { return *treeModel_; }
    QTreeView& treeView() override;
    model::TpaTreeNode* selectedNode() const override;
    void selectNode(model::TpaTreeNode* node) override;
    QScrollArea& settingsBox(PageKind page) override;
    SettingsPage settingsPage(PageKind page) override;
    void showAlbumTab(AlbumTab tab) override;
    QTabWidget& pageTabs(PageKind page) override;
    void showSelectedPage() override { tvTreeViewChange(); }
    BusyState& busyState() override { return busy_; }
    TfrmProgress& progressWindow() override;
    TfrmSearchProgress& searchProgressWindow() override;
    void UpdateActions() override;
    void postRefreshPreview() override;
    void postEditNodeCaption(model::TpaTreeNode* node) override;
    PreviewPane& preview() override { return *preview_; }
    void UpdateCaption(const QString& albumName = QString()) override;
    model::TRecentItems& recent() override { return FRecent; }
    void RebuildRecentMenus() override;
    SettingsFile& settingsFile() override { return settings_; }
    FtpDefaults& ftpDefaults() override { return DefFtp; }
    zip::TZipArchiver& archiver() override { return ZipArchiver; }
    ApplicationForms* forms() override { return context_.forms; }

    // The inputs the action rules see, taken from the album, the selection and the lists.
    ActionInputs CollectActionInputs() const;
    // The application's title: "Fotrenza", or what the language file calls it.
    QString applicationTitle() const;

    // The private messages, posted: they run once the current handler has returned.
    void postShowStartupWizard();
    void WMRefreshPreview();

    // The move-to menus for the node (cleared for anything but a photo).
    void RebuildMoveToMenus(model::TpaTreeNode* node) override;

    // Switches to the language of an item of the language menu.
    void OnViewLanguageMenuItemClick(QAction* item);
    QActionGroup* languageGroup() const;
    // Builds the language menu and applies the stored language; runs on the first show.
    void FormShow();

    // The page dispatcher for the selected node.
    void tvTreeViewChange();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void fillActions();
    void connectPages();
    void applyBusy(bool busy);
    void applyActionState(const ActionState& state);
    void FormCreate();
    void createFileDialogs();
    // The album tree's view on the album, which also follows the album's modified state.
    void bindTreeView();
    void FormDestroy();
    void RebuildFilters();
    void RelocalizeFrames();
    // The texts of the language just loaded reach the forms, filters, frames and caption.
    void languageApplied();
    void showPhotoPage(model::TpaTreeNode* node);
    void onTreeContextMenu(const QPoint& pos);
    void onCaptionEdited(model::TpaTreeNode* node, const QString& text);
    void pcAlbumSettingsChange(QTabWidget* sender, int index);
    void lvGalleryPreviewDblClick();
    void ArchiverOverallProgress(double progress, bool& cancel);
    // The engine's event at each member's start and end: an archive of many empty members
    // raises nothing else, and its Cancel must be heard all the same.
    void ArchiverFileProgress(bool& cancel);
    void loadRecent();
    void saveRecent();

    std::unique_ptr<Ui::frmMain> ui;
    model::TpaAlbum FAlbum;
    model::TRecentItems FRecent;
    QStringList savedRecent_; // the list as the user store holds it
    FtpDefaults DefFtp;
    zip::TZipArchiver ZipArchiver;
    QElapsedTimer archiverPumped_; // since the queue was last pumped from a member's event

    MainWindowContext context_;
    MainActions actions_;
    std::unique_ptr<EditorCommands> commands_;
    BusyState busy_;
    SettingsFile settings_;
    std::unique_ptr<AlbumTreeModel> treeModel_;
    std::unique_ptr<PreviewPane> preview_;
    QList<QMenu*> reopenMenus_; // miFileReopen, miMainReopen, miAlbumReopen, miGalleryReopen,
                                // miPhotoReopen, pmRecent
    QList<QMenu*> moveToMenus_; // miEditMoveTo, miGalleryMoveTo, miPhotoMoveTo, pmMoveTo
    LanguageMenu* languages_ = nullptr;
    std::unique_ptr<GalleryList> galleryList_;
    PhotoPreview* photoPreview_ = nullptr; // a child of the photo's label
    std::unique_ptr<SettingsFrameBuilder> frameBuilder_;
    PreviewRefreshCoalescer* refresh_ = nullptr; // a child of the window
    bool shown_ = false;
    QString captionName_;
};

} // namespace app
