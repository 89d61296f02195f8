#include "app/frames/TfrmLinkField.h"

#include "app/commands/CommandGuard.h"
#include "app/frames/FrameWidgets.h"

#include "model/TextRoutines.h"
#include "model/items/Item.h"
#include "model/tree/TreeNode.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

namespace app {

TfrmLinkField::TfrmLinkField(QWidget* parent) : FieldFrame(parent, DesignHeight) {
    auto* layout = frameLayout(this);
    lbCaption = captionLabel(this, QStringLiteral("Link:"));
    layout->addWidget(lbCaption);
    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    edLink = valueEdit(this, "edLink");
    cbLinkTarget = new QComboBox(this);
    cbLinkTarget->setObjectName(QStringLiteral("cbLinkTarget"));
    cbLinkTarget->setEditable(true); // free text besides the two targets
    cbLinkTarget->addItems({QStringLiteral("_blank"), QStringLiteral("_self")});
    cbLinkTarget->setInsertPolicy(QComboBox::NoInsert);
    bbImageSource = new QPushButton(QStringLiteral("Link to source image"), this);
    bbImageSource->setObjectName(QStringLiteral("bbImageSource"));
    row->addWidget(edLink, 1);
    row->addWidget(cbLinkTarget);
    row->addWidget(bbImageSource);
    layout->addLayout(row);

    connect(edLink, &QLineEdit::textEdited, this, [this] { guarded([this] { edLinkChange(); }); });
    connect(cbLinkTarget, &QComboBox::currentTextChanged, this,
            [this] { guarded([this] { edLinkChange(); }); });
    connect(bbImageSource, &QPushButton::clicked, this,
            [this] { guarded([this] { bbImageSourceClick(); }); });
}

void TfrmLinkField::LoadField(model::TpaAlbumSettingsLinkField* field) {
    if (field)
        field_ = field;
    if (!field_)
        return;
    lbCaption->setText(field_->Caption);
    const QSignalBlocker blockLink(edLink);
    const QSignalBlocker blockTarget(cbLinkTarget);
    edLink->setText(field_->Src);
    cbLinkTarget->setCurrentText(field_->Target);
}

void TfrmLinkField::edLinkChange() {
    if (!field_ || !liveNode())
        return;
    field_->Src = edLink->text();
    field_->Target = cbLinkTarget->currentText();
    markModified();
}

void TfrmLinkField::bbImageSourceClick() {
    model::TpaTreeNode* node = liveNode();
    if (!field_ || !node)
        return;
    const model::TpaItem* item = node->Item();
    const auto* shown = item->Level.Photo.ImageFields.FindById(item->Level.Photo.Show);
    if (!shown)
        return;
    edLink->setText(model::BackslashToSlash(shown->Image.FileName));
    edLinkChange();
}

void TfrmLinkField::LocalizeFrom(QObject* model) {
    if (auto* from = qobject_cast<TfrmLinkField*>(model))
        copyCaptions(from, this);
}

} // namespace app
