#pragma once

#include <QImage>
#include <QObject>
#include <QString>

class QLabel;

namespace app {

// The photo page's picture: the photo fitted into its panel with a frame and a shadow, or the
// "no image" picture without them. Drawn anew whenever the panel changes size.
class PhotoPreview : public QObject {
    Q_OBJECT

public:
    explicit PhotoPreview(QLabel* target);

    void clear();
    // Shows the file, or the placeholder picture (unframed) when the file is missing or empty.
    void show(const QString& file);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void draw();

    QLabel* target_;
    QImage picture_;
    bool framed_ = false;
};

// The localized "no image" picture of the program folder.
QString placeholderPicture();

} // namespace app
