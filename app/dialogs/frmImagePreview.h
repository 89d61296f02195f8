#pragma once

#include <QDialog>
#include <QRect>
#include <QSize>

class QLabel;
class QScrollArea;

namespace app {

// A window that shows one picture at its own size, within the screen's work area. Esc or a
// click on the picture closes it. Its caption and the picture's hint are copied from the
// hidden model window, so they follow the language.
class TfrmImagePreview : public QDialog {
    Q_OBJECT

public:
    static constexpr int MinimumArea = 150;

    explicit TfrmImagePreview(QWidget* parent = nullptr);

    void CopyCaptionFrom(const TfrmImagePreview* model);
    // Shows the picture file (the stand-in picture when it cannot be read) in an area of at
    // least 150 by 150 around picture size, titled with the caption, placed in workArea.
    void showPicture(const QString& file, QSize pictureSize, const QString& caption,
                     const QRect& workArea);

    // The window's geometry for a picture: its image area plus the frame, no larger than the
    // work area, centred in it (also when the work area does not start at 0,0).
    static QRect placement(QSize pictureSize, QSize frame, const QRect& workArea);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Sizes and places the window for the frame it has now.
    void fitToWorkArea();
    // Fits again once the window manager has framed the shown window, or framed it anew.
    void refitForNewFrame();
    QSize frameSize() const;

    QSize pictureSize_;
    QRect workArea_;
    QSize fittedFrame_;

    QScrollArea* scrollArea;
    QLabel* imgPreview;
};

} // namespace app
