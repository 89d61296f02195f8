#include "publish/ftp/TfrmFtpCreateDirectory.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace publish {

TfrmFtpCreateDirectory::TfrmFtpCreateDirectory(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmFtpCreateDirectory"));
    setWindowTitle(QStringLiteral("Create Directory"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(
        QStringLiteral("Please enter the name of the directory which should be created:"), this);
    label->setObjectName(QStringLiteral("lbDirectoryName"));
    label->setTextFormat(Qt::PlainText);
    edDirectoryName = new QLineEdit(this);
    edDirectoryName->setObjectName(QStringLiteral("edDirectoryName"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("bbOk"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("bbCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(edDirectoryName);
    layout->addWidget(buttons);
}

QString TfrmFtpCreateDirectory::directoryName() const {
    return edDirectoryName->text();
}

} // namespace publish
