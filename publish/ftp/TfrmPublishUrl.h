#pragma once

#include <QDialog>

class QLineEdit;

namespace publish {

// "Enter Your Website Address": the address at which the uploaded page can be seen.
class TfrmPublishUrl : public QDialog {
    Q_OBJECT

public:
    explicit TfrmPublishUrl(QWidget* parent = nullptr);

    void setUrl(const QString& url);
    QString url() const;

private:
    QLineEdit* edtPublishedUrl;
};

} // namespace publish
