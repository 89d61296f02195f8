#include "app/MainMenus.h"

#include "app/MainActions.h"
#include "app/pages/TreeIcons.h"

#include "ui_frmMain.h"

#include <QMainWindow>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

namespace app {

namespace {

QMenu* newMenu(const QString& name, const QString& title, QWidget* parent) {
    auto* menu = new QMenu(title, parent);
    menu->setObjectName(name);
    return menu;
}

// A menu item of its own that looks like the action and follows its state; its command is
// connected apart (renaming from a popup menu edits in place).
QAction* proxyOf(QAction* action, const QString& name, QObject* parent) {
    auto* proxy = new QAction(parent);
    proxy->setObjectName(name);
    auto sync = [proxy, action] {
        proxy->setText(action->text());
        proxy->setEnabled(action->isEnabled());
        proxy->setStatusTip(action->statusTip());
        proxy->setIcon(action->icon());
    };
    sync();
    QObject::connect(action, &QAction::changed, proxy, sync);
    return proxy;
}

// A submenu whose title and enabled state follow an action.
void followAction(QMenu* menu, QAction* action) {
    auto sync = [menu, action] {
        menu->setTitle(action->text());
        menu->menuAction()->setEnabled(action->isEnabled());
        menu->menuAction()->setStatusTip(action->statusTip());
    };
    sync();
    QObject::connect(action, &QAction::changed, menu, sync);
}

// One of the tree's popup menus; `prefix` names its own items (miAlbumRename, miPhotoMoveTo…).
QMenu* treePopup(Ui::frmMain* ui, QMainWindow* self, const QString& name, const QString& prefix,
                 bool photo) {
    QMenu* menu = newMenu(name, QString(), self);
    menu->addAction(ui->acEditAddGallery);
    menu->addAction(ui->acEditAddPhoto);
    menu->addAction(ui->acEditImport);
    menu->addAction(ui->acEditScanMyPictures);
    if (photo)
        menu->addAction(ui->acEditChangeImage);
    menu->addSeparator();
    menu->addAction(proxyOf(ui->acEditRename, QStringLiteral("mi%1Rename").arg(prefix), self));
    if (prefix != u"Album") {
        menu->addAction(ui->acEditDelete);
        menu->addSeparator();
        menu->addAction(ui->acEditMoveUp);
        menu->addAction(ui->acEditMoveDown);
        QMenu* moveTo = newMenu(QStringLiteral("mi%1MoveTo").arg(prefix), QString(), menu);
        followAction(moveTo, ui->acEditMoveTo);
        menu->addMenu(moveTo);
    }
    menu->addSeparator();
    menu->addAction(ui->acViewRefreshAlbumPreview);
    QMenu* reopen = newMenu(QStringLiteral("mi%1Reopen").arg(prefix), QString(), menu);
    menu->addMenu(reopen);
    return menu;
}

// The popup menus and their submenus; the reopen submenu of the main popup.
QMenu* addPopups(Ui::frmMain* ui, QMainWindow* self, MainActions& actions) {
    // The reopen and move-to submenus of the popup menus, and the popups themselves.
    actions.pmRecent = newMenu(QStringLiteral("pmRecent"), QString(), self);
    actions.pmMoveTo = newMenu(QStringLiteral("pmMoveTo"), QString(), self);
    actions.pmImport = newMenu(QStringLiteral("pmImport"), QString(), self);
    actions.pmImport->addAction(ui->acEditImport);
    actions.pmImport->addAction(ui->acEditScanMyPictures);

    actions.pmMain = newMenu(QStringLiteral("pmMain"), QString(), self);
    actions.pmMain->addAction(ui->acFileNew);
    actions.pmMain->addAction(ui->acFileOpen);
    QMenu* miMainReopen = newMenu(QStringLiteral("miMainReopen"), QString(), actions.pmMain);
    actions.pmMain->addMenu(miMainReopen);

    actions.pmAlbum =
        treePopup(ui, self, QStringLiteral("pmAlbum"), QStringLiteral("Album"), false);
    actions.pmGallery =
        treePopup(ui, self, QStringLiteral("pmGallery"), QStringLiteral("Gallery"), false);
    actions.pmPhoto = treePopup(ui, self, QStringLiteral("pmPhoto"), QStringLiteral("Photo"), true);
    return miMainReopen;
}

void addFileToolBar(Ui::frmMain* ui, QMainWindow* self, MainActions& actions) {
    QToolBar* tbFile = self->addToolBar(QStringLiteral("File"));
    tbFile->setObjectName(QStringLiteral("tbFile"));
    tbFile->addAction(ui->acFileNew);
    tbFile->addAction(ui->acFileOpen);
    if (auto* open = qobject_cast<QToolButton*>(tbFile->widgetForAction(ui->acFileOpen))) {
        open->setMenu(actions.pmRecent);
        open->setPopupMode(QToolButton::MenuButtonPopup);
    }
    tbFile->addAction(ui->acFileSave);
    tbFile->addSeparator();
    tbFile->addAction(ui->acFilePublish);
    tbFile->addAction(ui->acViewPreviewInBrowser);
}

void addEditToolBar(Ui::frmMain* ui, QMainWindow* self, MainActions& actions) {
    QToolBar* tbEdit = self->addToolBar(QStringLiteral("Edit"));
    tbEdit->setObjectName(QStringLiteral("tbEdit"));
    auto button = [tbEdit](const QString& name) {
        auto* b = new QToolButton(tbEdit);
        b->setObjectName(name);
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        tbEdit->addWidget(b);
        return b;
    };
    actions.tbEditAddGallery = button(QStringLiteral("tbEditAddGallery"));
    actions.tbEditAddGallery->setIcon(TreeIcons::gallery());
    actions.tbEditAddSubGallery = button(QStringLiteral("tbEditAddSubGallery"));
    actions.tbEditAddSubGallery->setIcon(TreeIcons::image(2));
    QObject::connect(actions.tbEditAddSubGallery, &QToolButton::clicked, ui->acEditAddGallery,
                     &QAction::trigger);
    tbEdit->addAction(ui->acEditAddPhoto);
    // The add buttons show their nouns, which follow the template's level names.
    if (auto* photo = qobject_cast<QToolButton*>(tbEdit->widgetForAction(ui->acEditAddPhoto)))
        photo->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    actions.tbEditScanMyPictures = button(QStringLiteral("tbEditScanMyPictures"));
    actions.tbEditScanMyPictures->setDefaultAction(ui->acEditImport);
    actions.tbEditScanMyPictures->setMenu(actions.pmImport);
    actions.tbEditScanMyPictures->setPopupMode(QToolButton::MenuButtonPopup);
    tbEdit->addSeparator();
    tbEdit->addAction(ui->acEditDelete);
    tbEdit->addAction(ui->acEditMoveUp);
    tbEdit->addAction(ui->acEditMoveDown);
    actions.tbEditMoveTo = button(QStringLiteral("tbEditMoveTo"));
    actions.tbEditMoveTo->setDefaultAction(ui->acEditMoveTo);
    actions.tbEditMoveTo->setMenu(actions.pmMoveTo);
    actions.tbEditMoveTo->setPopupMode(QToolButton::InstantPopup);
    tbEdit->addSeparator();
    tbEdit->addAction(ui->acViewPrev);
    tbEdit->addAction(ui->acViewNext);
    tbEdit->addAction(ui->acViewRefreshAlbumPreview);
}

} // namespace

MainMenus MainMenus::build(QMainWindow& window, Ui::frmMain& form, MainActions& actions) {
    Ui::frmMain* ui = &form;
    MainMenus menus;
    QMenu* miMainReopen = addPopups(ui, &window, actions);
    menus.reopen = {ui->miFileReopen,
                    miMainReopen,
                    actions.pmAlbum->findChild<QMenu*>(QStringLiteral("miAlbumReopen")),
                    actions.pmGallery->findChild<QMenu*>(QStringLiteral("miGalleryReopen")),
                    actions.pmPhoto->findChild<QMenu*>(QStringLiteral("miPhotoReopen")),
                    actions.pmRecent};
    for (QMenu* menu : menus.reopen) {
        if (menu != actions.pmRecent)
            followAction(menu, ui->acFileReopen);
    }
    menus.moveTo = {
        ui->miEditMoveTo, actions.pmGallery->findChild<QMenu*>(QStringLiteral("miGalleryMoveTo")),
        actions.pmPhoto->findChild<QMenu*>(QStringLiteral("miPhotoMoveTo")), actions.pmMoveTo};
    followAction(ui->miEditMoveTo, ui->acEditMoveTo);

    addFileToolBar(ui, &window, actions);
    addEditToolBar(ui, &window, actions);
    return menus;
}

} // namespace app
