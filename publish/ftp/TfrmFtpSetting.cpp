#include "publish/ftp/TfrmFtpSetting.h"

#include "publish/ftp/FtpAbortSwitch.h"
#include "publish/ftp/FtpPaths.h"
#include "publish/ftp/FtpSession.h"

#include "platform/sys/Prompts.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace publish {

namespace {

QLabel* label(QWidget* parent, const char* name, const QString& text, const char* color = nullptr,
              bool bold = false) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextFormat(Qt::PlainText);
    QString style;
    if (color)
        style += QStringLiteral("color: %1;").arg(QString::fromLatin1(color));
    if (bold)
        style += QStringLiteral("font-weight: bold;");
    if (!style.isEmpty())
        l->setStyleSheet(style);
    return l;
}

QLineEdit* lineEdit(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    return e;
}

// The busy cursor for as long as a blocking call runs.
struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

TfrmFtpSetting::TfrmFtpSetting(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmFtpSetting"));
    setWindowTitle(QStringLiteral("Ftp Setting"));

    auto* settings = new QGroupBox(QStringLiteral("Default FTP Settings"), this);
    settings->setObjectName(QStringLiteral("grbxFTPSettings"));
    auto* grid = new QGridLayout(settings);
    auto* lblFtpHost = label(settings, "lblFtpHost", QStringLiteral("FTP Host"));
    lblFtpHost->setToolTip(QStringLiteral("Your hosting company gives you the FTP settings, "
                                          "e.g. ftp.example.com"));
    edFtpHost = lineEdit(settings, "edFtpHost");
    edLogin = lineEdit(settings, "edLogin");
    bbTestConnection = new QPushButton(QStringLiteral("Test Connection"), settings);
    bbTestConnection->setObjectName(QStringLiteral("bbTestConnection"));
    bbTestConnection->setAutoDefault(false);
    medPasswd = lineEdit(settings, "medPasswd");
    medPasswd->setEchoMode(QLineEdit::Password);
    auto* lblDefHostDir =
        label(settings, "lblDefHostDir", QStringLiteral("Default Host Directory"));
    lblDefHostDir->setToolTip(QStringLiteral("e.g. htdoc, www"));
    edDefHostDir = lineEdit(settings, "edDefHostDir");
    lbDetectHostDirectory =
        label(settings, "lbDetectHostDirectory", QStringLiteral("(Auto Detected)"), "green", true);
    lbDetectHostDirectory->hide();
    auto* hostHint =
        label(settings, "lbFtpHostHint",
              QStringLiteral("( Please do not fill in http:// or ftp:// in Ftp Host )"), "red");
    auto* dirHint = label(settings, "lbDefaultHostDirHint",
                          QStringLiteral("This is to set the initial directory when login, e.g "
                                         "/htdocs , /public_html, if you are not familiar with "
                                         "it, just leave this blank"),
                          "red");
    dirHint->setWordWrap(true);
    rbTransferModeActive = new QRadioButton(QStringLiteral("Active"), settings);
    rbTransferModeActive->setObjectName(QStringLiteral("rbTransferModeActive"));
    rbTransferModeActive->setChecked(true);
    rbTransferModePassive = new QRadioButton(QStringLiteral("Passive"), settings);
    rbTransferModePassive->setObjectName(QStringLiteral("rbTransferModePassive"));

    grid->addWidget(lblFtpHost, 0, 0);
    grid->addWidget(edFtpHost, 0, 1);
    grid->addWidget(hostHint, 1, 1, 1, 2);
    grid->addWidget(label(settings, "lblLogin", QStringLiteral("Login")), 2, 0);
    grid->addWidget(edLogin, 2, 1);
    grid->addWidget(bbTestConnection, 2, 2);
    grid->addWidget(label(settings, "lblPasswd", QStringLiteral("Password")), 3, 0);
    grid->addWidget(medPasswd, 3, 1);
    grid->addWidget(lblDefHostDir, 4, 0);
    grid->addWidget(edDefHostDir, 4, 1);
    grid->addWidget(lbDetectHostDirectory, 4, 2);
    grid->addWidget(dirHint, 5, 1, 1, 2);
    grid->addWidget(label(settings, "lbTransferMode", QStringLiteral("Transfer Mode")), 6, 0);
    auto* modes = new QHBoxLayout;
    modes->addWidget(rbTransferModeActive);
    modes->addWidget(rbTransferModePassive);
    modes->addStretch();
    grid->addLayout(modes, 6, 1);

    auto* result = new QGroupBox(QStringLiteral("Test Connection Result"), this);
    result->setObjectName(QStringLiteral("gbConnectionResult"));
    auto* resultLayout = new QVBoxLayout(result);
    lbTestResult = label(result, "lbTestResult", QString(), "red");
    lbTestResult->setWordWrap(true);
    resultLayout->addWidget(lbTestResult);

    auto* btnOk = new QPushButton(QStringLiteral("&OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    auto* btnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(settings);
    layout->addWidget(result);
    layout->addLayout(buttons);

    connect(btnOk, &QPushButton::clicked, this, &TfrmFtpSetting::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(bbTestConnection, &QPushButton::clicked, this, &TfrmFtpSetting::bbTestConnectionClick);
}

void TfrmFtpSetting::setDefaults(const FtpDefaults& values) {
    Host = values.Host;
    User = values.User;
    Password = values.Password;
    DefaultDir = values.Dir;
    TransferMode = values.TransferMode;
}

FtpDefaults TfrmFtpSetting::defaults() const {
    return FtpDefaults{Host, User, Password, DefaultDir, TransferMode};
}

bool TfrmFtpSetting::edit(FtpDefaults& values) {
    setDefaults(values);
    if (exec() != QDialog::Accepted)
        return false;
    values = defaults();
    return true;
}

void TfrmFtpSetting::showEvent(QShowEvent* event) {
    edFtpHost->setText(Host);
    edLogin->setText(User);
    medPasswd->setText(Password);
    edDefHostDir->setText(DefaultDir);
    if (TransferMode == u"active")
        rbTransferModeActive->setChecked(true);
    else
        rbTransferModePassive->setChecked(true);
    lbTestResult->clear();
    QDialog::showEvent(event);
}

bool TfrmFtpSetting::hostIsPlain() {
    // Any scheme, not only the two the hint names: "https://x" is no host name either.
    if (!edFtpHost->text().trimmed().contains(QStringLiteral("://")))
        return true;
    platform::prompts().message(platform::PromptKind::Information, windowTitle().toStdString(),
                                "Please do not fill in any http:// or ftp:// in Ftp Host",
                                {platform::PromptButton::Ok}, platform::PromptButton::Ok);
    return false;
}

void TfrmFtpSetting::btnOkClick() {
    if (!hostIsPlain())
        return;
    Host = edFtpHost->text();
    User = edLogin->text();
    Password = medPasswd->text();
    DefaultDir = edDefHostDir->text();
    TransferMode =
        rbTransferModeActive->isChecked() ? QStringLiteral("active") : QStringLiteral("passive");
    accept();
}

void TfrmFtpSetting::bbTestConnectionClick() {
    if (!hostIsPlain())
        return;
    lbTestResult->clear();
    lbDetectHostDirectory->hide();
    BusyCursor busy;
    bbTestConnection->setEnabled(false);
    testAbort_ = std::make_shared<FtpAbortSwitch>();
    const FtpWaiting waiting{[] { QCoreApplication::processEvents(QEventLoop::AllEvents); },
                             testAbort_};
    try {
        FtpSession session(edFtpHost->text(), edLogin->text(), medPasswd->text(),
                           rbTransferModePassive->isChecked(), TestPort, TestTimeout, waiting);
        if (edDefHostDir->text().isEmpty()) {
            edDefHostDir->setText(session.pwd());
            lbDetectHostDirectory->show();
        }
        lbTestResult->setText(QStringLiteral("Connected to your server successfully!"));
        session.close();
    } catch (const FtpError& e) {
        lbTestResult->setText(FtpPaths::visibleName(e.message()));
    }
    testAbort_.reset();
    bbTestConnection->setEnabled(true);
}

void TfrmFtpSetting::done(int result) {
    if (testAbort_)
        testAbort_->trip();
    QDialog::done(result);
}

} // namespace publish
