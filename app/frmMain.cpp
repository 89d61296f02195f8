#include "app/frmMain.h"

#include "app/ActionIcons.h"
#include "app/MainMenus.h"
#include "app/ProductInfo.h"
#include "app/commands/CommandGuard.h"
#include "app/commands/EditorCommands.h"
#include "app/commands/MessageBoxes.h"
#include "app/dialogs/FileDialogSettings.h"
#include "app/dialogs/ProgressScope.h"
#include "app/dialogs/frmProgress.h"
#include "app/dialogs/frmSearchProgress.h"
#include "app/frames/LocalizedFrame.h"
#include "app/frames/SettingsFrameBuilder.h"
#include "app/l10n/ApplicationForms.h"
#include "app/l10n/FormTranslator.h"
#include "app/l10n/LanguageMenu.h"
#include "app/l10n/Localization.h"
#include "app/pages/AlbumTreeModel.h"
#include "app/pages/GalleryList.h"
#include "app/pages/PhotoPreview.h"
#include "app/pages/PreviewPane.h"
#include "app/pages/PreviewRefreshCoalescer.h"
#include "app/pages/TreeIcons.h"

#include "model/FolderLayout.h"
#include "model/image/ImageImport.h"
#include "model/tree/TreeUtils.h"
#include "platform/UserStore.h"
#include "zip/archiver/ZipRoutines.h"

#include "ui_frmMain.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>
#include <optional>

namespace app {

using model::TpaTreeNode;

namespace {

const QString kRecentKey = QStringLiteral("\\Software\\Brimlo Lumivex\\Recent");

int roundHalfEven(double value) {
    return int(std::nearbyint(value));
}

} // namespace

TfrmMain::TfrmMain(MainWindowContext context, QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::frmMain>()), context_(std::move(context)),
      busy_([this](bool busy) { applyBusy(busy); }), settings_(model::Folders().AppFolder) {
    ui->setupUi(this);
    FormTranslator::MarkScope(this);
    FormCreate();
}

void TfrmMain::setCommands(std::unique_ptr<EditorCommands> commands) {
    commands_ = std::move(commands);
}

TfrmMain::~TfrmMain() {
    FormDestroy();
}

void TfrmMain::FormCreate() {
    UpdateCaption();
    ui->splMain->setStretchFactor(1, 1);
    ui->splMain->setSizes({250, 770});
    ui->N39->setSeparator(true);
    ui->N39->setVisible(false);
    ui->miViewLanguage->menuAction()->setVisible(false);

    preview_ =
        context_.preview ? std::move(context_.preview) : PreviewPane::create(ui->pnAlbumPreview);
    preview_->widget()->setParent(ui->pnAlbumPreview);
    ui->layAlbumBrowser->addWidget(preview_->widget());

    for (QScrollArea* box : {ui->sbAlbumSettings, ui->sbGallerySettings, ui->sbPhotoSettings}) {
        auto* layout = new QVBoxLayout(box->widget());
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addStretch(1);
    }
    galleryList_ = std::make_unique<GalleryList>(ui->lvGalleryPreview);
    photoPreview_ = new PhotoPreview(ui->imgPhotoPreview);
    frameBuilder_ = std::make_unique<SettingsFrameBuilder>(*this);
    refresh_ =
        new PreviewRefreshCoalescer([this] { guarded([this] { WMRefreshPreview(); }); }, this);

    createFileDialogs();

    ZipArchiver.SetCompressionMode(1);
    ZipArchiver.NoCompressionMasks = zip::AlbumNoCompressionMasks();
    ZipArchiver.OnOverallProgress =
        [this](zip::TZABaseArchiver&, double progress, zip::TZAProcessOperation,
               zip::TZAProgressPhase, bool& cancel) { ArchiverOverallProgress(progress, cancel); };
    ZipArchiver.OnFileProgress = [this](zip::TZABaseArchiver&, const std::string&, double,
                                        zip::TZAProcessOperation, zip::TZAProgressPhase phase,
                                        bool& cancel) {
        // Data being copied raises the overall event as well, which pumps.
        if (phase != zip::TZAProgressPhase::ppProcess)
            ArchiverFileProgress(cancel);
    };

    bindTreeView();

    ActionIcons::fillMissing(findChildren<QAction*>(Qt::FindDirectChildrenOnly), *style());
    const MainMenus menus = MainMenus::build(*this, *ui, actions_);
    reopenMenus_ = menus.reopen;
    moveToMenus_ = menus.moveTo;
    fillActions();
    connectPages();

    languages_ = new LanguageMenu(ui->miViewLanguage, busy_, context_.userStore, this);
    languages_->onApplied = [this] { languageApplied(); };
    connect(languages_, &LanguageMenu::chosen, this,
            [this](QAction* item) { OnViewLanguageMenuItemClick(item); });

    loadRecent();
    ui->nbClient->setCurrentIndex(0);
    ui->nbClient->setProperty("Tag", 0);

    if (!settings_.createIfMissing())
        showError(MessageBoxes::message(215,
                                        QStringLiteral("Cannot create the settings file \"%s\". "
                                                       "The program folder must be writable."),
                                        {QDir::toNativeSeparators(settings_.path())}));
    DefFtp = settings_.read();
    UpdateActions();
}

void TfrmMain::createFileDialogs() {
    actions_.OpenDialog1 = new FileDialogSettings(QStringLiteral("OpenDialog1"),
                                                  QStringLiteral("ZIP Files (*.zip)|*.zip"), this);
    actions_.OpenDialog1->DefaultExt = QStringLiteral("zip");
    actions_.OpenDialog1->MustExist = true;
    actions_.SaveDialog1 = new FileDialogSettings(QStringLiteral("SaveDialog1"),
                                                  QStringLiteral("ZIP Files (*.zip)|*.zip"), this);
    actions_.SaveDialog1->DefaultExt = QStringLiteral("zip");
    const QString pictures = QStringLiteral(
        "Image Files (*.jpg;*.jpeg;*.gif;*.bmp)|*.jpg;*.jpeg;*.gif;*.bmp|JPEG Image Files "
        "(*.jpg)|*.jpg|JPEG Image Files (*.jpeg)|*.jpeg|GIF Image Files (*.gif)|*.gif|Bitmaps "
        "(*.bmp)|*.bmp");
    actions_.OpenPictureDialog1 =
        new FileDialogSettings(QStringLiteral("OpenPictureDialog1"), pictures, this);
    actions_.OpenPictureDialog1->MultiSelect = true;
    actions_.OpenPictureDialog2 =
        new FileDialogSettings(QStringLiteral("OpenPictureDialog2"), pictures, this);
}

void TfrmMain::bindTreeView() {
    FAlbum.AddModifiedListener([this](bool) { UpdateActions(); });
    treeModel_ = std::make_unique<AlbumTreeModel>(FAlbum.Tree(), this);
    ui->tvTreeView->setModel(treeModel_.get());
    treeModel_->bindExpansion(*ui->tvTreeView);
    connect(ui->tvTreeView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { guarded([this] { tvTreeViewChange(); }); });
    // A tree cleared or loaded anew leaves no selection without reporting a change of it;
    // the page must not go on showing a node that is gone.
    connect(treeModel_.get(), &QAbstractItemModel::modelReset, this,
            [this] { guarded([this] { tvTreeViewChange(); }); });
    connect(treeModel_.get(), &AlbumTreeModel::captionEdited, this,
            [this](TpaTreeNode* node, const QString& text) {
                guarded([&] { onCaptionEdited(node, text); });
            });
    connect(ui->tvTreeView, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { onTreeContextMenu(pos); });
}

void TfrmMain::FormDestroy() {
    saveRecent();
    // The tree goes before its view model's listener would hear of it.
    ui->tvTreeView->setModel(nullptr);
}

void TfrmMain::fillActions() {
    MainActions& a = actions_;
    a.acFileNew = ui->acFileNew;
    a.acFileOpen = ui->acFileOpen;
    a.acFileReopen = ui->acFileReopen;
    a.acFileClose = ui->acFileClose;
    a.acFileSave = ui->acFileSave;
    a.acFileSaveAs = ui->acFileSaveAs;
    a.acFilePublish = ui->acFilePublish;
    a.acFilePublishSetting = ui->acFilePublishSetting;
    a.acFileInstallNewAlbum = ui->acFileInstallNewAlbum;
    a.acFileUpdateProjectFile = ui->acFileUpdateProjectFile;
    a.acFileExit = ui->acFileExit;
    a.acEditAddGallery = ui->acEditAddGallery;
    a.acEditAddPhoto = ui->acEditAddPhoto;
    a.acEditImport = ui->acEditImport;
    a.acEditScanMyPictures = ui->acEditScanMyPictures;
    a.acEditChangeImage = ui->acEditChangeImage;
    a.acEditDelete = ui->acEditDelete;
    a.acEditRename = ui->acEditRename;
    a.acEditMoveUp = ui->acEditMoveUp;
    a.acEditMoveDown = ui->acEditMoveDown;
    a.acEditMoveTo = ui->acEditMoveTo;
    a.acViewExpandAll = ui->acViewExpandAll;
    a.acViewCollapseAll = ui->acViewCollapseAll;
    a.acViewPrev = ui->acViewPrev;
    a.acViewNext = ui->acViewNext;
    a.acViewRefreshAlbumPreview = ui->acViewRefreshAlbumPreview;
    a.acViewPreviewInBrowser = ui->acViewPreviewInBrowser;
    a.acOptionsFtpSetting = ui->acOptionsFtpSetting;
    a.acHelpHelpContents = ui->acHelpHelpContents;
    a.acHelpContactSupport = ui->acHelpContactSupport;
    a.acHelpAbout = ui->acHelpAbout;
    a.miAlbumRename = findChild<QAction*>(QStringLiteral("miAlbumRename"));
    a.miGalleryRename = findChild<QAction*>(QStringLiteral("miGalleryRename"));
    a.miPhotoRename = findChild<QAction*>(QStringLiteral("miPhotoRename"));
    a.bbChangeImage = ui->bbChangeImage;
}

void TfrmMain::connectPages() {
    for (QTabWidget* tabs : {ui->pcAlbumSettings, ui->pcGallerySettings, ui->pcPhotoSettings}) {
        connect(tabs, &QTabWidget::currentChanged, this,
                [this, tabs](int index) { pcAlbumSettingsChange(tabs, index); });
    }
    connect(ui->lvGalleryPreview, &QListWidget::itemDoubleClicked, this,
            [this] { guarded([this] { lvGalleryPreviewDblClick(); }); });
}

// ---- life cycle ----

void TfrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TfrmMain::FormShow() {
    languages_->build();
    languages_->applyStored();
    ui->tvTreeView->setFocus();
    UpdateActions();
    postShowStartupWizard();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    // While a command runs, its own message pumps must not end the program under it.
    if (busy_.busy()) {
        event->ignore();
        return;
    }
    pumpMessages();
    bool canClose = true;
    if (ui->acFileClose->isEnabled() && commands_)
        guarded([&] { canClose = commands_->CloseAlbum(); }) || (canClose = false);
    if (canClose)
        event->accept();
    else
        event->ignore();
}

// ---- busy state and actions ----

void TfrmMain::applyBusy(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        centralWidget()->setEnabled(false);
        menuBar()->setEnabled(false);
        for (QToolBar* bar : findChildren<QToolBar*>())
            bar->setEnabled(false);
        for (QAction* action : findChildren<QAction*>()) {
            if (action->parent() == this || action->parent() == ui->miViewLanguage)
                action->setEnabled(false);
        }
        return;
    }
    centralWidget()->setEnabled(true);
    menuBar()->setEnabled(true);
    for (QToolBar* bar : findChildren<QToolBar*>())
        bar->setEnabled(true);
    for (QAction* action : findChildren<QAction*>()) {
        if (action->parent() == this || action->parent() == ui->miViewLanguage)
            action->setEnabled(true);
    }
    QApplication::restoreOverrideCursor();
    UpdateActions();
}

TpaTreeNode* TfrmMain::selectedNode() const {
    return treeModel_->node(ui->tvTreeView->currentIndex());
}

void TfrmMain::selectNode(TpaTreeNode* node) {
    const QModelIndex index = treeModel_->indexOf(node);
    const bool hadNone = !ui->tvTreeView->currentIndex().isValid();
    ui->tvTreeView->setCurrentIndex(index);
    if (!index.isValid() && hadNone)
        tvTreeViewChange(); // no change of selection to report, but the page must follow
}

ActionInputs TfrmMain::CollectActionInputs() const {
    ActionInputs in;
    in.nodeCount = FAlbum.Tree().NodeCount();
    in.modified = FAlbum.Modified();
    in.recentCount = FRecent.Count();
    in.moveToCount = int(ui->miEditMoveTo->actions().size());
    in.languageCount = int(ui->miViewLanguage->actions().size());
    TpaTreeNode* n = selectedNode();
    if (!n || !n->Item())
        return in;
    SelectedFacts f;
    f.kind = n->IsAlbum() ? NodeKind::Album : n->IsGallery() ? NodeKind::Gallery : NodeKind::Photo;
    f.depth = n->Depth();
    f.text = n->Text();
    f.canAddGallery = FAlbum.CanAddGallery(n);
    f.canAddPhoto = FAlbum.CanAddPhoto(n);
    const auto* caption = n->Item()->CaptionField();
    f.captionEditable = caption && !caption->Locked;
    f.hasPrevSibling = model::GetPrevMoveSibling(n) != nullptr;
    f.hasNextSibling = model::GetNextMoveSibling(n) != nullptr;
    f.hasPrevPhoto = n->IsPhoto() && model::GetPrevPhotoNode(n) != nullptr;
    f.hasNextPhoto = n->IsPhoto() && model::GetNextPhotoNode(n) != nullptr;
    const TpaTreeNode* q = n->IsAlbum() ? n : n->Parent();
    f.siblingParentGalleries = q ? model::CountGalleryChildren(q) : 0;
    in.selected = f;
    for (int depth = std::max(0, f.depth - 1); depth <= f.depth + 1; ++depth) {
        if (const auto* level = FAlbum.Settings.Levels.FindLevel(depth))
            in.levels[depth] = {level->Name, level->Photo.Name, level->MaxFolders};
    }
    return in;
}

void TfrmMain::UpdateActions() {
    if (busy_.busy())
        return; // the end of the busy section brings the actions up to date
    const TdsLocalization& loc = Localization();
    ActionTexts texts;
    texts.gallery = loc.GetString(1, texts.gallery);
    texts.addToAlbum = loc.GetString(2, texts.addToAlbum);
    texts.addUnder = loc.GetString(3, texts.addUnder);
    texts.photo = loc.GetString(4, texts.photo);
    texts.addPhotoToAlbum = loc.GetString(5, texts.addPhotoToAlbum);
    applyActionState(ComputeActionState(CollectActionInputs(), texts));
}

void TfrmMain::applyActionState(const ActionState& s) {
    Ui::frmMain& u = *ui;
    u.acFileNew->setEnabled(s.fileNew);
    u.acFileOpen->setEnabled(s.fileOpen);
    u.acFileExit->setEnabled(s.fileExit);
    u.acFileReopen->setEnabled(s.fileReopen);
    u.acFileClose->setEnabled(s.fileClose);
    u.acFileSaveAs->setEnabled(s.fileSaveAs);
    u.acFilePublish->setEnabled(s.filePublish);
    u.acFilePublishSetting->setEnabled(s.filePublishSetting);
    u.acFileUpdateProjectFile->setEnabled(s.fileUpdateProjectFile);
    u.acViewPreviewInBrowser->setEnabled(s.viewPreviewInBrowser);
    u.acViewRefreshAlbumPreview->setEnabled(s.viewRefresh);
    u.acFileSave->setEnabled(s.fileSave);

    u.acEditAddGallery->setEnabled(s.addGallery);
    u.acEditAddGallery->setText(s.addGalleryCaption);
    u.acEditAddGallery->setStatusTip(s.addGalleryHint);
    u.acEditAddGallery->setToolTip(s.addGalleryHint);
    actions_.tbEditAddSubGallery->setEnabled(s.addGallery);
    actions_.tbEditAddSubGallery->setText(s.addGalleryCaption);
    actions_.tbEditAddSubGallery->setToolTip(s.subGalleryHint);
    actions_.tbEditAddSubGallery->setStatusTip(s.subGalleryHint);
    actions_.tbEditAddGallery->setEnabled(s.siblingGallery);
    actions_.tbEditAddGallery->setText(s.siblingGalleryCaption);
    actions_.tbEditAddGallery->setToolTip(s.siblingGalleryHint);
    actions_.tbEditAddGallery->setStatusTip(s.siblingGalleryHint);

    u.acEditAddPhoto->setEnabled(s.addPhoto);
    u.acEditAddPhoto->setText(s.addPhotoCaption);
    u.acEditAddPhoto->setStatusTip(s.addPhotoHint);
    u.acEditAddPhoto->setToolTip(s.addPhotoHint);
    u.miEditAdd->menuAction()->setEnabled(s.editAddMenu);
    u.acEditImport->setEnabled(s.import);
    u.acEditScanMyPictures->setEnabled(s.scanMyPictures);
    u.acEditChangeImage->setEnabled(s.changeImage);
    u.bbChangeImage->setEnabled(s.changeImage);

    u.acEditDelete->setEnabled(s.editDelete);
    u.acEditRename->setEnabled(s.editRename);
    treeModel_->setReadOnly(s.treeReadOnly);
    u.tvTreeView->setEditTriggers(s.treeReadOnly ? QAbstractItemView::NoEditTriggers
                                                 : QAbstractItemView::SelectedClicked |
                                                       QAbstractItemView::EditKeyPressed);
    u.acEditMoveUp->setEnabled(s.moveUp);
    u.acEditMoveDown->setEnabled(s.moveDown);
    u.acEditMoveTo->setEnabled(s.moveTo);
    u.acViewExpandAll->setEnabled(s.expandAll);
    u.acViewCollapseAll->setEnabled(s.collapseAll);
    u.acViewPrev->setEnabled(s.viewPrev);
    u.acViewNext->setEnabled(s.viewNext);
    u.miViewLanguage->menuAction()->setEnabled(s.languageMenu);
    u.acOptionsFtpSetting->setEnabled(true);
    u.acHelpHelpContents->setEnabled(true);
    u.acHelpContactSupport->setEnabled(true);
    u.acHelpAbout->setEnabled(true);
}

void TfrmMain::UpdateCaption(const QString& albumName) {
    captionName_ = albumName;
    if (albumName.isEmpty()) {
        setWindowTitle(applicationTitle());
        return;
    }
    // "[*]" in a window title is Qt's modified marker; the name is shown as written.
    QString name = albumName;
    name.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    setWindowTitle(applicationTitle() + QStringLiteral("  [") + name + u']');
}

QString TfrmMain::applicationTitle() const {
    // A language file may rename the application ("Application.Title").
    if (context_.forms && !context_.forms->Title.isEmpty())
        return context_.forms->Title;
    return ProductInfo::title();
}

// ---- private messages ----

void TfrmMain::postShowStartupWizard() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            guarded([this] {
                if (commands_)
                    commands_->ShowStartupWizard();
            });
        },
        Qt::QueuedConnection);
}

void TfrmMain::postRefreshPreview() {
    refresh_->request();
}

void TfrmMain::postEditNodeCaption(TpaTreeNode* node) {
    if (!node)
        return;
    const quint64 uid = node->Uid();
    QMetaObject::invokeMethod(
        this,
        [this, uid] {
            // The node may be gone by now.
            if (TpaTreeNode* n = FAlbum.Tree().FindByUid(uid))
                ui->tvTreeView->edit(treeModel_->indexOf(n));
        },
        Qt::QueuedConnection);
}

void TfrmMain::WMRefreshPreview() {
    pumpMessages();
    // A refresh posted just before the album closed has nothing left to show.
    if (!FAlbum.Tree().Root())
        return;
    BusyScope busy(busy_);
    const model::FolderLayout& f = model::Folders();
    FAlbum.SaveToXml(f.PreviewFolder + QStringLiteral("data.xml"));
    FAlbum.WriteIndexHtml(f.PreviewFolder + QStringLiteral("index.html"),
                          f.FilesFolder + QStringLiteral("index.html"), QString());
    preview_->navigate(QUrl::fromLocalFile(f.PreviewFolder + QStringLiteral("index.html")));
}

// ---- recent albums and move-to menus ----

void TfrmMain::loadRecent() {
    FRecent.MaxCount = MaxRecent;
    if (context_.userStore)
        FRecent.LoadFromRegistry(*context_.userStore, kRecentKey);
    savedRecent_ = FRecent.Items;
    RebuildRecentMenus();
}

void TfrmMain::saveRecent() {
    if (context_.userStore) {
        FRecent.SaveToRegistry(*context_.userStore, kRecentKey);
        context_.userStore->sync();
    }
    savedRecent_ = FRecent.Items;
}

void TfrmMain::RebuildRecentMenus() {
    // Written as soon as it changes: a crash later in the run must not lose the albums of it.
    if (FRecent.Items != savedRecent_)
        saveRecent();
    const QStringList captions = FRecent.MenuCaptions();
    if (captions.isEmpty())
        return;
    for (QMenu* menu : reopenMenus_) {
        if (!menu)
            continue;
        menu->clear();
        for (int i = 0; i < captions.size(); ++i) {
            QAction* item = menu->addAction(captions[i]);
            connect(item, &QAction::triggered, this, [this, i] {
                guarded([this, i] {
                    pumpMessages();
                    if (commands_)
                        commands_->OpenRecentAlbum(FRecent.GetItem(i));
                    UpdateActions();
                });
            });
        }
    }
}

void TfrmMain::RebuildMoveToMenus(TpaTreeNode* node) {
    const std::vector<model::TpaMenuEntry> entries =
        node ? model::BuildMoveToMenu(node, FAlbum) : std::vector<model::TpaMenuEntry>();
    for (QMenu* menu : moveToMenus_) {
        if (!menu)
            continue;
        menu->clear();
        for (const model::TpaMenuEntry& entry : entries) {
            QAction* item =
                menu->addAction(entry.ImageIndex == model::MenuImageAlbum ? TreeIcons::album()
                                                                          : TreeIcons::gallery(),
                                entry.Caption);
            item->setData(entry.NodeUid);
            const quint64 uid = entry.NodeUid;
            connect(item, &QAction::triggered, this, [this, uid] {
                guarded([this, uid] {
                    pumpMessages();
                    // The target may have gone since the menu was built.
                    TpaTreeNode* target = FAlbum.Tree().FindByUid(uid);
                    if (target && selectedNode() && commands_)
                        commands_->MovePhotoTo(target);
                    UpdateActions();
                });
            });
        }
    }
}

// ---- the page dispatcher ----

void TfrmMain::tvTreeViewChange() {
    TpaTreeNode* n = selectedNode();
    frameBuilder_->build(n);
    if (!n || !n->Item()) {
        ui->nbClient->setCurrentIndex(0);
    } else {
        RebuildMoveToMenus(n);
        UpdateActions();
        const int tab = ui->nbClient->property("Tag").toInt();
        if (n->IsAlbum()) {
            BusyScope busy(busy_);
            ui->nbClient->setCurrentIndex(1);
            {
                const QSignalBlocker block(ui->pcAlbumSettings);
                ui->pcAlbumSettings->setCurrentIndex(tab);
            }
            pumpMessages();
            if (ui->pcAlbumSettings->currentWidget() == ui->tsAlbumPreview)
                postRefreshPreview();
        } else if (n->IsGallery()) {
            BusyScope busy(busy_);
            ui->nbClient->setCurrentIndex(2);
            {
                const QSignalBlocker block(ui->pcGallerySettings);
                ui->pcGallerySettings->setCurrentIndex(tab);
            }
            pumpMessages();
            QStringList paths;
            galleryList_->FillGalleryItems(n, paths);
            pumpMessages();
            galleryList_->LoadGalleryThumbnails(paths);
        } else {
            showPhotoPage(n);
        }
    }
    ui->tvTreeView->setFocus();
    UpdateActions();
}

void TfrmMain::showPhotoPage(TpaTreeNode* n) {
    BusyScope busy(busy_);
    const model::TpaItem* item = n->Item();
    model::TpaImageInfo facts;
    if (const auto* shown = item->Level.Photo.ImageFields.FindById(item->Level.Photo.Show))
        facts = shown->Image;
    ui->lbPhotoProperties->setText(
        SafeFormat::withFallback(QStringLiteral("%s  (%dx%d)  %s  %0.1f KB"), QString(),
                                 {facts.Name, qlonglong(facts.Width), qlonglong(facts.Height),
                                  facts.ImageType, double(facts.Size) / 1024.0}));
    photoPreview_->clear();
    pumpMessages();
    ui->nbClient->setCurrentIndex(3);
    {
        const QSignalBlocker block(ui->pcPhotoSettings);
        ui->pcPhotoSettings->setCurrentIndex(ui->nbClient->property("Tag").toInt());
    }
    pumpMessages();
    photoPreview_->show(facts.FileName.isEmpty() ? QString()
                                                 : model::Folders().PreviewFolder + facts.FileName);
}

// ---- gallery page ----

void TfrmMain::lvGalleryPreviewDblClick() {
    const quint64 uid = galleryList_->currentNodeUid();
    if (!uid)
        return;
    if (TpaTreeNode* node = FAlbum.Tree().FindByUid(uid))
        selectNode(node);
    ui->tvTreeView->setFocus();
    UpdateActions();
}

// ---- tree handlers ----

void TfrmMain::onTreeContextMenu(const QPoint& pos) {
    // Not while a caption is being edited: the editor is the focused child of the tree.
    QWidget* focus = QApplication::focusWidget();
    if (focus && focus != ui->tvTreeView && ui->tvTreeView->isAncestorOf(focus))
        return;
    const QModelIndex index = ui->tvTreeView->indexAt(pos);
    if (index.isValid())
        ui->tvTreeView->setCurrentIndex(index);
    pumpMessages();
    TpaTreeNode* n = treeModel_->node(index);
    QMenu* menu = !n               ? actions_.pmMain
                  : n->IsAlbum()   ? actions_.pmAlbum
                  : n->IsGallery() ? actions_.pmGallery
                                   : actions_.pmPhoto;
    menu->popup(ui->tvTreeView->viewport()->mapToGlobal(pos));
}

void TfrmMain::onCaptionEdited(TpaTreeNode* node, const QString& text) {
    if (node && node->Item()) {
        // An editor accepted without a change leaves the album as it was.
        if (auto* caption = node->Item()->CaptionField(); caption && caption->Value != text) {
            std::optional<BusyScope> busy;
            if (node->IsAlbum())
                busy.emplace(busy_);
            caption->Value = text;
            FAlbum.SetModified(true);
            FAlbum.Tree().NotifyChanged(node);
            if (node->IsAlbum()) {
                pumpMessages();
                postRefreshPreview();
            }
        }
    }
    ui->tvTreeView->setFocus();
    UpdateActions();
}

void TfrmMain::pcAlbumSettingsChange(QTabWidget* sender, int index) {
    ui->nbClient->setProperty("Tag", index);
    if (sender == ui->pcAlbumSettings && sender->currentWidget() == ui->tsAlbumPreview)
        postRefreshPreview();
}

// ---- album tabs and progress ----

void TfrmMain::showAlbumTab(AlbumTab which) {
    QWidget* tab = which == AlbumTab::Preview ? ui->tsAlbumPreview : ui->tsAlbumSettings;
    TpaTreeNode* root = FAlbum.Tree().Root();
    if (!root)
        return;
    if (selectedNode() == root) {
        if (ui->pcAlbumSettings->currentWidget() != tab)
            ui->pcAlbumSettings->setCurrentWidget(tab); // its change handler runs
        else
            postRefreshPreview();
    } else {
        // The page dispatcher opens the album page on the shared tab.
        ui->nbClient->setProperty("Tag", ui->pcAlbumSettings->indexOf(tab));
        selectNode(root);
    }
}

TfrmProgress& TfrmMain::progressWindow() {
    return requiredForm<TfrmProgress>(context_.forms, "frmProgress");
}

TfrmSearchProgress& TfrmMain::searchProgressWindow() {
    return requiredForm<TfrmSearchProgress>(context_.forms, "frmSearchProgress");
}

void TfrmMain::ArchiverOverallProgress(double progress, bool& cancel) {
    TfrmProgress& window = progressWindow();
    // Archives are also opened outside a progress section (a package's description, a
    // template's thumbnail): no events are let in there, and a Cancel left from an earlier run
    // stops nothing.
    if (!window.isVisible())
        return;
    cancel = window.Cancelled;
    window.setPosition(roundHalfEven(progress));
    pumpMessages();
}

void TfrmMain::ArchiverFileProgress(bool& cancel) {
    // Every few hundredths of a second, not at every member: pumping costs more than writing
    // an empty member does, and Cancel can only have been clicked while events were let in.
    constexpr qint64 kPumpEveryMs = 25;
    if (archiverPumped_.isValid() && archiverPumped_.elapsed() < kPumpEveryMs)
        return;
    archiverPumped_.start();
    TfrmProgress& window = progressWindow();
    if (!window.isVisible())
        return;
    pumpMessages();
    cancel = window.Cancelled;
}

// ---- language ----

void TfrmMain::OnViewLanguageMenuItemClick(QAction* item) {
    languages_->choose(item);
    UpdateActions();
}

QActionGroup* TfrmMain::languageGroup() const {
    return languages_->group();
}

void TfrmMain::languageApplied() {
    if (context_.translator)
        context_.translator->TranslateApplication(Localization());
    RebuildFilters();
    RelocalizeFrames();
    UpdateCaption(captionName_);
}

void TfrmMain::RebuildFilters() {
    const TdsLocalization& loc = Localization();
    const QString zip =
        loc.GetFilter(1, QStringLiteral("ZIP Files (*.zip)")) + QStringLiteral("|*.zip");
    actions_.OpenDialog1->Filter = zip;
    actions_.SaveDialog1->Filter = zip;
    const QString pictures =
        loc.GetFilter(2, QStringLiteral("Image Files (*.jpg;*.jpeg;*.gif;*.bmp)")) +
        QStringLiteral("|*.jpg;*.jpeg;*.gif;*.bmp|") +
        loc.GetFilter(3, QStringLiteral("JPEG Image Files (*.jpg)")) + QStringLiteral("|*.jpg|") +
        loc.GetFilter(4, QStringLiteral("JPEG Image Files (*.jpeg)")) + QStringLiteral("|*.jpeg|") +
        loc.GetFilter(5, QStringLiteral("GIF Image Files (*.gif)")) + QStringLiteral("|*.gif|") +
        loc.GetFilter(6, QStringLiteral("Bitmaps (*.bmp)")) + QStringLiteral("|*.bmp");
    actions_.OpenPictureDialog1->Filter = pictures;
    actions_.OpenPictureDialog2->Filter = pictures;
    const QString music =
        loc.GetFilter(7, QStringLiteral("Music Files(*.mp3;*.swf)")) +
        QStringLiteral("|*.mp3;*.swf|") + loc.GetFilter(8, QStringLiteral("MP3 Files (*.mp3)")) +
        QStringLiteral("|*.mp3|") + loc.GetFilter(9, QStringLiteral("SWF Files (*.swf)")) +
        QStringLiteral("|*.swf");
    if (context_.forms) {
        auto setFilter = [this](const QString& form, const QString& dialog, const QString& filter) {
            if (QObject* model = context_.forms->find(form)) {
                if (auto* d =
                        qobject_cast<FileDialogSettings*>(FormTranslator::FindOwned(model, dialog)))
                    d->Filter = filter;
            }
        };
        setFilter(QStringLiteral("frmImageField"), QStringLiteral("opClient"), pictures);
        setFilter(QStringLiteral("frmImageField"), QStringLiteral("OpenPictureDialog"), pictures);
        setFilter(QStringLiteral("frmMusicField"), QStringLiteral("OpenDialog"), music);
    }
}

void TfrmMain::RelocalizeFrames() {
    if (!context_.forms)
        return;
    // The settings boxes and the caption frames above the previews.
    LocalizedFrame::relocalizeAll({ui->sbAlbumSettings->widget(), ui->sbGallerySettings->widget(),
                                   ui->sbPhotoSettings->widget(), ui->tsAlbumPreview,
                                   ui->tsGalleryItems, ui->tsPhotoPreview},
                                  *context_.forms);
}

QTreeView& TfrmMain::treeView() {
    return *ui->tvTreeView;
}

SettingsPage TfrmMain::settingsPage(PageKind page) {
    switch (page) {
    case PageKind::Album:
        return {ui->pcAlbumSettings, ui->tsAlbumPreview, ui->tsAlbumSettings, ui->sbAlbumSettings};
    case PageKind::Gallery:
        return {ui->pcGallerySettings, ui->tsGalleryItems, ui->tsGallerySettings,
                ui->sbGallerySettings};
    case PageKind::Photo:
        break;
    }
    return {ui->pcPhotoSettings, ui->tsPhotoPreview, ui->tsPhotoSettings, ui->sbPhotoSettings};
}

QTabWidget& TfrmMain::pageTabs(PageKind page) {
    return *settingsPage(page).tabs;
}

QScrollArea& TfrmMain::settingsBox(PageKind page) {
    return *settingsPage(page).box;
}

} // namespace app
