#include "app/frames/TfrmTextField.h"

#include "app/EditorContext.h"
#include "app/commands/CommandGuard.h"
#include "app/frames/FrameWidgets.h"
#include "app/pages/AlbumTreeModel.h"

#include "model/TextRoutines.h"
#include "model/document/Album.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>

namespace app {

TfrmTextField::TfrmTextField(QWidget* parent) : FieldFrame(parent, DesignHeight) {
    auto* layout = frameLayout(this);
    lbCaption = captionLabel(this, QStringLiteral("Caption:"));
    layout->addWidget(lbCaption);
    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    edValue = valueEdit(this, "edValue");
    btFontSize = new QPushButton(QStringLiteral("Size"), this);
    btFontSize->setObjectName(QStringLiteral("btFontSize"));
    row->addWidget(edValue, 1);
    row->addWidget(btFontSize);
    layout->addLayout(row);

    piFontMenu = new QMenu(this);
    piFontMenu->setObjectName(QStringLiteral("piFontMenu"));
    for (int size : {10, 12, 14, 16, 18, 20, 24, 36}) {
        QAction* item = piFontMenu->addAction(QString::number(size));
        item->setObjectName(QStringLiteral("pifont%1").arg(size));
        item->setData(size);
        connect(item, &QAction::triggered, this,
                [this, item] { guarded([this, item] { sizeChosen(item); }); });
    }
    pifontdefault = piFontMenu->addAction(QStringLiteral("default"));
    pifontdefault->setObjectName(QStringLiteral("pifontdefault"));
    connect(pifontdefault, &QAction::triggered, this,
            [this] { guarded([this] { sizeChosen(pifontdefault); }); });

    connect(edValue, &QLineEdit::textEdited, this,
            [this] { guarded([this] { edValueChange(); }); });
    connect(edValue, &QLineEdit::returnPressed, this, [this] {
        if (postsRefresh_ && context())
            context()->postRefreshPreview();
    });
    connect(btFontSize, &QPushButton::clicked, this, [this] {
        piFontMenu->popup(btFontSize->mapToGlobal(QPoint(0, btFontSize->height())));
    });
}

void TfrmTextField::LoadField(model::TpaAlbumSettingsTextField* field) {
    if (field)
        field_ = field;
    if (!field_)
        return;
    lbCaption->setText(field_->Caption);
    const QSignalBlocker block(edValue);
    edValue->setText(field_->Value);
    if (context() && !followsTree_) {
        followsTree_ = true;
        connect(&context()->treeModel(), &QAbstractItemModel::dataChanged, this,
                [this] { followTree(); });
    }
}

void TfrmTextField::followTree() {
    if (!field_ || !liveNode() || edValue->hasFocus() || edValue->text() == field_->Value)
        return;
    const QSignalBlocker block(edValue);
    edValue->setText(field_->Value);
}

void TfrmTextField::edValueChange() {
    model::TpaTreeNode* node = liveNode();
    if (!field_ || !node)
        return;
    field_->Value = edValue->text();
    if (node->Item()->TextFields().CaptionFieldId == field_->Id)
        context()->album().Tree().NotifyChanged(node);
    markModified();
}

QString TfrmTextField::FontSizeMarkup(const QString& text, int size) {
    return QStringLiteral("<font size=\"") + QString::number(size) + QStringLiteral("\">") + text +
           QStringLiteral("</font>");
}

void TfrmTextField::ApplyFontSize(int size) {
    edValue->setText(FontSizeMarkup(model::StripTags(edValue->text()), size));
    edValueChange();
}

void TfrmTextField::ApplyDefaultSize() {
    edValue->setText(model::StripTags(edValue->text()));
    edValueChange();
}

void TfrmTextField::sizeChosen(QAction* item) {
    if (item == pifontdefault)
        ApplyDefaultSize();
    else
        ApplyFontSize(item->data().toInt());
    if (postsRefresh_ && context())
        context()->postRefreshPreview();
}

void TfrmTextField::applyLocks(bool valueLocked, bool fontSizeLocked) {
    lbCaption->setEnabled(!valueLocked);
    edValue->setEnabled(!valueLocked);
    btFontSize->setEnabled(!fontSizeLocked);
}

void TfrmTextField::LocalizeFrom(QObject* model) {
    auto* from = qobject_cast<TfrmTextField*>(model);
    if (!from)
        return;
    copyCaptions(from, this);
}

} // namespace app
