#pragma once

#include <QDialog>

class QLineEdit;

namespace publish {

// "Create Directory": asks the name of a new remote folder.
class TfrmFtpCreateDirectory : public QDialog {
    Q_OBJECT

public:
    explicit TfrmFtpCreateDirectory(QWidget* parent = nullptr);

    QString directoryName() const;

private:
    QLineEdit* edDirectoryName;
};

} // namespace publish
