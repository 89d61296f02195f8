#include "app/frames/FieldFrame.h"

#include "app/EditorContext.h"

#include "model/document/Album.h"
#include "model/items/Item.h"

namespace app {

FieldFrame::FieldFrame(QWidget* parent, int designHeight) : QFrame(parent) {
    setFixedHeight(designHeight);
    setMinimumWidth(474);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void FieldFrame::bind(EditorContext* context, model::TpaTreeNode* node) {
    context_ = context;
    nodeUid_ = node ? node->Uid() : 0;
    item_ = node ? node->Item() : nullptr;
    fieldsRevision_ = item_ ? item_->FieldsRevision : 0;
}

model::TpaTreeNode* FieldFrame::liveNode() const {
    if (!context_ || !nodeUid_)
        return nullptr;
    model::TpaTreeNode* node = context_->album().Tree().FindByUid(nodeUid_);
    return node && node->Item() == item_ && item_->FieldsRevision == fieldsRevision_ ? node
                                                                                     : nullptr;
}

void FieldFrame::markModified() {
    if (!context_)
        return;
    context_->album().SetModified(true);
}

} // namespace app
