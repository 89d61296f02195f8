#include "app/frames/SettingsFrameBuilder.h"

#include "app/frames/TfrmAccessField.h"
#include "app/frames/TfrmImageField.h"
#include "app/frames/TfrmLinkField.h"
#include "app/frames/TfrmMusicField.h"
#include "app/frames/TfrmPublishSizeField.h"
#include "app/frames/TfrmTextField.h"
#include "app/l10n/ApplicationForms.h"

#include "model/items/AlbumItem.h"
#include "model/tree/TreeNode.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTabWidget>

namespace app {

namespace {

void freeFrames(QWidget* holder) {
    if (!holder)
        return;
    const QList<FieldFrame*> frames = holder->findChildren<FieldFrame*>(Qt::FindDirectChildrenOnly);
    for (auto it = frames.crbegin(); it != frames.crend(); ++it) {
        FieldFrame* frame = *it;
        if (QLayout* layout = holder->layout())
            layout->removeWidget(frame);
        frame->hide();
        frame->setObjectName(QString());
        frame->setParent(nullptr);
        // A handler of this frame may be on the stack (a keystroke that selected another
        // node); the frame goes once control is back in the event loop.
        frame->deleteLater();
    }
}

} // namespace

void SettingsFrameBuilder::clear(PageKind kind) {
    const SettingsPage page = context_.settingsPage(kind);
    freeFrames(page.previewTab);
    freeFrames(page.box->widget());
    finish(page);
}

void SettingsFrameBuilder::build(model::TpaTreeNode* node) {
    for (PageKind kind : {PageKind::Album, PageKind::Gallery, PageKind::Photo})
        clear(kind);
    if (!node || !node->Item())
        return;
    if (node->IsAlbum())
        BuildAlbumSettingsFrames(node);
    else if (node->IsGallery())
        BuildGallerySettingsFrames(node);
    else
        BuildPhotoSettingsFrames(node);
}

void SettingsFrameBuilder::prepare(FieldFrame* frame, const SettingsPage& page,
                                   model::TpaTreeNode* node, const QString& suffix) {
    frame->setObjectName(page.box->objectName() + u'_' + suffix);
    frame->bind(&context_, node);
    if (auto* localized = dynamic_cast<LocalizedFrame*>(frame)) {
        if (ApplicationForms* forms = context_.forms()) {
            if (QObject* model = forms->find(localized->modelFrameName()))
                localized->LocalizeFrom(model);
        }
    }
}

void SettingsFrameBuilder::placeInBox(const SettingsPage& page, QWidget* frame) {
    QWidget* contents = page.box->widget();
    auto* layout = qobject_cast<QBoxLayout*>(contents->layout());
    frame->setParent(contents);
    // Before the stretch that keeps the frames at the top.
    layout->insertWidget(std::max(0, int(layout->count()) - 1), frame);
    frame->show();
}

void SettingsFrameBuilder::finish(const SettingsPage& page) {
    const bool any =
        !page.box->widget()->findChildren<FieldFrame*>(Qt::FindDirectChildrenOnly).isEmpty();
    // The tab the pages share is the user's choice: hiding a tab must not change it.
    const QSignalBlocker block(page.tabs);
    page.tabs->setTabVisible(page.tabs->indexOf(page.settingsTab), any);
}

void SettingsFrameBuilder::addTextFrames(const SettingsPage& page, model::TpaTreeNode* node,
                                         bool albumRoot) {
    model::TpaAlbumSettingsTextFieldList& list = node->Item()->TextFields();
    int onPreview = 0;
    for (int i = 0; i < list.Count(); ++i) {
        model::TpaAlbumSettingsTextField* field = list.GetItem(i);
        auto* frame = new TfrmTextField;
        prepare(frame, page, node, QStringLiteral("TextFieldFrame%1").arg(i));
        frame->applyLocks(field->Locked, field->LockFontSized);
        frame->LoadField(field);
        if (field->Id == list.CaptionFieldId) {
            // Above the preview, so that the caption is edited beside it.
            frame->setParent(page.previewTab);
            qobject_cast<QBoxLayout*>(page.previewTab->layout())->insertWidget(onPreview++, frame);
            frame->show();
            frame->setPostsRefresh(albumRoot);
        } else {
            placeInBox(page, frame);
        }
    }
}

void SettingsFrameBuilder::addImageFrames(const SettingsPage& page, model::TpaTreeNode* node) {
    model::TpaAlbumSettingsImageFieldList& list = node->Item()->ImageFields();
    for (int i = 0; i < list.Count(); ++i) {
        auto* frame = new TfrmImageField;
        prepare(frame, page, node, QStringLiteral("ImageFieldFrame%1").arg(i));
        frame->LoadField(list.GetItem(i));
        placeInBox(page, frame);
    }
}

void SettingsFrameBuilder::addMusicFrame(const SettingsPage& page, model::TpaTreeNode* node) {
    model::TpaAlbumSettingsMusicField& music = node->Item()->Music();
    if (music.Caption.isEmpty())
        return;
    auto* frame = new TfrmMusicField;
    prepare(frame, page, node, QStringLiteral("MusicFieldFrame"));
    frame->LoadField(&music);
    placeInBox(page, frame);
}

void SettingsFrameBuilder::BuildAlbumSettingsFrames(model::TpaTreeNode* node) {
    const SettingsPage page = context_.settingsPage(PageKind::Album);
    auto* album = dynamic_cast<model::TpaAlbumItem*>(node->Item());
    if (album && (album->PublishSize.Width != -1 || album->PublishSize.Height != -1)) {
        auto* frame = new TfrmPublishSizeField;
        prepare(frame, page, node, QStringLiteral("PublishSizeFieldFrame"));
        frame->LoadField(&album->PublishSize);
        placeInBox(page, frame);
    }
    addTextFrames(page, node, true);
    addImageFrames(page, node);
    addMusicFrame(page, node);
    addAccessFrame(page, node);
    finish(page);
}

void SettingsFrameBuilder::addAccessFrame(const SettingsPage& page, model::TpaTreeNode* node) {
    if (node->Item()->Level.Access.Caption.isEmpty())
        return;
    auto* frame = new TfrmAccessField;
    prepare(frame, page, node, QStringLiteral("AccessFieldFrame"));
    frame->LoadField(&node->Item()->Level.Access);
    placeInBox(page, frame);
}

void SettingsFrameBuilder::BuildGallerySettingsFrames(model::TpaTreeNode* node) {
    const SettingsPage page = context_.settingsPage(PageKind::Gallery);
    addTextFrames(page, node, false);
    addImageFrames(page, node);
    addMusicFrame(page, node);
    addAccessFrame(page, node);
    finish(page);
}

void SettingsFrameBuilder::BuildPhotoSettingsFrames(model::TpaTreeNode* node) {
    const SettingsPage page = context_.settingsPage(PageKind::Photo);
    addTextFrames(page, node, false);
    addMusicFrame(page, node);
    model::TpaAlbumSettingsLinkField& link = node->Item()->Level.Photo.Link;
    if (!link.Caption.isEmpty()) {
        auto* frame = new TfrmLinkField;
        prepare(frame, page, node, QStringLiteral("LinkFieldFrame"));
        frame->LoadField(&link);
        placeInBox(page, frame);
    }
    finish(page);
}

} // namespace app
