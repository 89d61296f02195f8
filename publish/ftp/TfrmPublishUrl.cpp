#include "publish/ftp/TfrmPublishUrl.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace publish {

TfrmPublishUrl::TfrmPublishUrl(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmPublishUrl"));
    setWindowTitle(QStringLiteral("Enter Your Website Address"));
    setWindowFlags(windowFlags() | Qt::Tool);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(
        QStringLiteral("After all files are uploaded, go to this URL to view the page online:"),
        this);
    label->setObjectName(QStringLiteral("lblDesc"));
    label->setTextFormat(Qt::PlainText);
    edtPublishedUrl = new QLineEdit(this);
    edtPublishedUrl->setObjectName(QStringLiteral("edtPublishedUrl"));
    edtPublishedUrl->setMinimumWidth(380);
    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addWidget(label);
    layout->addWidget(edtPublishedUrl);
    layout->addLayout(buttons);
}

void TfrmPublishUrl::setUrl(const QString& url) {
    edtPublishedUrl->setText(url);
}

QString TfrmPublishUrl::url() const {
    return edtPublishedUrl->text();
}

} // namespace publish
