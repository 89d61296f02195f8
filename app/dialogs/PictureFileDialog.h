#pragma once

#include <QFileDialog>

namespace app {

class FileDialogSettings;

// The dialog that picks pictures to add: several existing files at once, never more than the
// gallery can still take. An OK with too many files selected is refused with a message and
// the dialog stays open.
class PictureFileDialog : public QFileDialog {
    Q_OBJECT

public:
    // `settings` gives the filter ("Desc|*.a;*.b|...") and the title; `room` is how many
    // files may be chosen.
    PictureFileDialog(QWidget* parent, const FileDialogSettings& settings, const QString& folder,
                      int room);

    // The filter in Qt's form, each pattern also in upper case ("*.jpg *.JPG"), since camera
    // files often carry upper-case extensions and the file system tells the cases apart.
    static QString nameFilters(const QString& filter);

    int room() const { return room_; }

public slots:
    void accept() override;

private:
    int room_;
};

} // namespace app
