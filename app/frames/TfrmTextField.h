#pragma once

#include "app/frames/FieldFrame.h"
#include "app/frames/LocalizedFrame.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace model {
class TpaAlbumSettingsTextField;
}

namespace app {

// The frame of one text field: caption, the value and a menu that wraps the value in
// font-size markup.
class TfrmTextField : public FieldFrame, public LocalizedFrame {
    Q_OBJECT

public:
    static constexpr int DesignHeight = 46;

    explicit TfrmTextField(QWidget* parent = nullptr);

    // Shows the field (nullptr: the one shown already) without counting as a change.
    void LoadField(model::TpaAlbumSettingsTextField* field = nullptr);
    model::TpaAlbumSettingsTextField* field() const { return field_; }
    // Enter and the size menu ask for a preview refresh (the album root's caption frame).
    void setPostsRefresh(bool posts) { postsRefresh_ = posts; }
    // The template's locks: a locked field shows its value without letting it be edited.
    void applyLocks(bool valueLocked, bool fontSizeLocked);
    // The edit of the value: the tree's rename command puts the focus there for a caption.
    QLineEdit* valueEditor() const { return edValue; }

    void ApplyFontSize(int size);
    void ApplyDefaultSize();
    static QString FontSizeMarkup(const QString& text, int size);

    QString modelFrameName() const override { return QStringLiteral("frmTextField"); }
    void LocalizeFrom(QObject* model) override;

private:
    void edValueChange();
    void sizeChosen(QAction* item);
    // The value as the tree changed it (an in-place rename), unless the user types here.
    void followTree();

    model::TpaAlbumSettingsTextField* field_ = nullptr;
    bool postsRefresh_ = false;
    bool followsTree_ = false;

    QLabel* lbCaption;
    QLineEdit* edValue;
    QPushButton* btFontSize;
    QMenu* piFontMenu;
    QAction* pifontdefault;
};

} // namespace app
