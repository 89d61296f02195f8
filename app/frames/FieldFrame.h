#pragma once

#include <QFrame>

namespace model {
class TpaItem;
class TpaTreeNode;
} // namespace model

namespace app {

class EditorContext;

// The common part of the settings frames: which node's item the frame edits, and the way a
// change reaches the window. A frame is bound to a node when the frame builder makes it;
// the hidden model frames are never bound, so their handlers do nothing.
class FieldFrame : public QFrame {
    Q_OBJECT

public:
    FieldFrame(QWidget* parent, int designHeight);

    void bind(EditorContext* context, model::TpaTreeNode* node);
    EditorContext* context() const { return context_; }

    // The node the frame was built for while it still carries the same item with the same
    // fields; nullptr once the node is gone, its item was replaced or the item's fields were
    // (the frame's field lives in them).
    model::TpaTreeNode* liveNode() const;

protected:
    // A change the user made: the album is modified (and the actions follow it).
    void markModified();

private:
    EditorContext* context_ = nullptr;
    quint64 nodeUid_ = 0;
    const model::TpaItem* item_ = nullptr;
    int fieldsRevision_ = 0;
};

} // namespace app
