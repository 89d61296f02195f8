#include "publish/frmPublishing.h"

#include "publish/DialogWidgets.h"

#include "publish/HandlerGuard.h"
#include "publish/LinkLabel.h"
#include "publish/LinkOpener.h"
#include "publish/preview/LoopbackServer.h"
#include "publish/embed/EmbedCode.h"
#include "publish/embed/frmEmbedWizard.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace publish {

namespace {

// A bold caption on a panel that paints its own grey, not the parent's background.
QLabel* header(const QString& text, const char* name, QWidget* parent) {
    QLabel* l = plainLabel(text, name, parent, true);
    l->setAutoFillBackground(true);
    QPalette p = l->palette();
    p.setColor(QPalette::Window, QColor(0xDD, 0xDD, 0xDD));
    l->setPalette(p);
    l->setContentsMargins(4, 2, 4, 2);
    return l;
}

void colour(QWidget* w, QPalette::ColorRole role, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(role, c);
    w->setPalette(p);
}

// A bold column title, underlined.
QLabel* columnTitle(const QString& text, const char* name, QWidget* parent) {
    QLabel* l = plainLabel(text, name, parent, true);
    QFont underlined = l->font();
    underlined.setUnderline(true);
    l->setFont(underlined);
    return l;
}

} // namespace

TfrmPublishing::TfrmPublishing(TfrmEmbedWizard* wizard, QWidget* parent)
    : QDialog(parent), wizard_(wizard) {
    setObjectName(QStringLiteral("frmPublishing"));
    setWindowTitle(QStringLiteral("Publishing"));
    setModal(true);
    auto* v = new QVBoxLayout(this);
    v->addWidget(makeTop());
    v->addWidget(makePreview());
    v->addWidget(makeEmbed(), 1);
    resize(760, 700);

    auto guard = [](auto fn) { return [fn] { guardedHandler(fn); }; };
    connect(lbPreviewLink, &LinkLabel::clicked, this, guard([this] { lbPreviewLinkClick(); }));
    connect(bbPreview, &QPushButton::clicked, this, guard([this] { lbPreviewLinkClick(); }));
    connect(lbPublishFolder, &LinkLabel::clicked, this, guard([this] { lbPublishFolderClick(); }));
    connect(bbFtpSetting, &QPushButton::clicked, this, guard([this] { bbFtpSettingClick(); }));
    connect(bbUpload, &QPushButton::clicked, this, guard([this] { bbUploadClick(); }));
    connect(cbJS, &QCheckBox::clicked, this,
            guard([this] { LoadEmbedScript(selectedTemplate()); }));
    connect(cbFullPathEmbed, &QCheckBox::clicked, this, guard([this] { cbFullPathEmbedClick(); }));
    connect(edFullPathEmbed, &QLineEdit::textChanged, this,
            guard([this] { edFullPathEmbedChange(); }));
    connect(btnCopyClipboard, &QPushButton::clicked, this,
            guard([this] { btnCopyClipboardClick(); }));
    connect(btnEmbedWizard, &QPushButton::clicked, this, guard([this] { btnEmbedWizardClick(); }));
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
}

QWidget* TfrmPublishing::makeTop() {
    auto* pnTop = new QWidget(this);
    pnTop->setObjectName(QStringLiteral("pnTop"));
    auto* v = new QVBoxLayout(pnTop);
    lbFinishPublish = plainLabel(QStringLiteral("Photo Album has been published"),
                                 "lbFinishPublish", pnTop, true);
    v->addWidget(lbFinishPublish);
    return pnTop;
}

QWidget* TfrmPublishing::makePreview() {
    auto* pn = new QWidget(this);
    pn->setObjectName(QStringLiteral("pnPreview"));
    auto* v = new QVBoxLayout(pn);
    v->addWidget(header(QStringLiteral("Preview"), "pnPreviewHeader", pn));
    auto* row = new QHBoxLayout;
    lbPreviewLink = new LinkLabel(QStringLiteral("Preview your Photo Album"), pn);
    lbPreviewLink->setObjectName(QStringLiteral("lbPreviewLink"));
    bbPreview = dialogButton(QStringLiteral("Preview"), "bbPreview", pn);
    row->addWidget(lbPreviewLink, 1);
    row->addWidget(bbPreview);
    v->addLayout(row);
    v->addWidget(header(QStringLiteral("Published Folder"), "pnPublishFolderHeader", pn));
    lbPublishFolder = new LinkLabel(QString(), pn);
    lbPublishFolder->setObjectName(QStringLiteral("lbPublishFolder"));
    lbPublishFolder->setWordWrap(true);
    lbPublishFolder->setMinimumHeight(2 * lbPublishFolder->fontMetrics().height());
    v->addWidget(lbPublishFolder);
    v->addWidget(header(QStringLiteral("Upload the following Files/Folder to server"),
                        "pnUploadHeader", pn));
    v->addWidget(plainLabel(QStringLiteral("- photogallery.htm"), "TntLabel1", pn, true));
    v->addWidget(plainLabel(QStringLiteral("- pictavo (folder)"), "TntLabel2", pn, true));
    QLabel* warning = plainLabel(QStringLiteral("(Please make sure no other files/folders in the "
                                                "published folder)"),
                                 "lbUploadWarning", pn);
    colour(warning, QPalette::WindowText, Qt::red);
    v->addWidget(warning);
    auto* buttons = new QHBoxLayout;
    bbFtpSetting = dialogButton(QStringLiteral("Ftp Setting"), "bbFtpSetting", pn);
    bbUpload = dialogButton(QStringLiteral("Upload"), "bbUpload", pn);
    buttons->addStretch();
    buttons->addWidget(bbFtpSetting);
    buttons->addWidget(bbUpload);
    v->addLayout(buttons);
    return pn;
}

QWidget* TfrmPublishing::makeEmbed() {
    auto* pn = new QWidget(this);
    pn->setObjectName(QStringLiteral("pnEmbed"));
    auto* v = new QVBoxLayout(pn);
    v->addWidget(header(QStringLiteral("Adding Photo Album to your html based webpages"),
                        "pnEmbedHeader", pn));
    QLabel* description = plainLabel(
        QStringLiteral("To embed the photogallery into one of your existing html based "
                       "webpages, copy and paste the embed code below or using the embed "
                       "wizard."),
        "lbEmbedDescription", pn);
    colour(description, QPalette::WindowText, Qt::blue);
    v->addWidget(description);
    auto* columns = new QHBoxLayout;
    v->addLayout(columns, 1);

    columns->addWidget(makeEmbedAdvanced(pn), 3);
    columns->addWidget(makeEmbedBeginner(pn), 2);
    return pn;
}

// The advanced user's column: the code to copy, and the full-path option.
QWidget* TfrmPublishing::makeEmbedAdvanced(QWidget* pn) {
    auto* advance = new QWidget(pn);
    advance->setObjectName(QStringLiteral("pnAdvance"));
    auto* a = new QVBoxLayout(advance);
    a->addWidget(columnTitle(QStringLiteral("Advanced User"), "lbAdvance", advance));
    a->addWidget(
        plainLabel(QStringLiteral("1. Copy and paste the embed code to your html based webpage"),
                   "lbAdvanceMessage", advance));
    mmoEmbedScript = new QPlainTextEdit(advance);
    mmoEmbedScript->setObjectName(QStringLiteral("mmoEmbedScript"));
    mmoEmbedScript->setReadOnly(true);
    mmoEmbedScript->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    colour(mmoEmbedScript, QPalette::Text, Qt::blue);
    mmoEmbedScript->setMinimumHeight(8 * mmoEmbedScript->fontMetrics().lineSpacing());
    a->addWidget(mmoEmbedScript, 1);
    cbJS = new QCheckBox(
        QStringLiteral("Add the script of automatic activate Active X Control for MSIE"), advance);
    cbJS->setObjectName(QStringLiteral("cbJS"));
    cbJS->hide();
    a->addWidget(cbJS);
    cbFullPathEmbed = new QCheckBox(
        QStringLiteral("Use full path for the embed code (when embed to mySpace, Blog etc)"),
        advance);
    cbFullPathEmbed->setObjectName(QStringLiteral("cbFullPathEmbed"));
    a->addWidget(cbFullPathEmbed);
    edFullPathEmbed = new QLineEdit(QStringLiteral("http://www.example.com/"), advance);
    edFullPathEmbed->setObjectName(QStringLiteral("edFullPathEmbed"));
    edFullPathEmbed->setEnabled(false);
    a->addWidget(edFullPathEmbed);
    lbFullPathError = plainLabel(QStringLiteral("A web address holds no blanks, quotes or angle "
                                                "brackets; the code keeps the relative folder."),
                                 "lbFullPathError", advance);
    colour(lbFullPathError, QPalette::WindowText, Qt::red);
    lbFullPathError->hide();
    a->addWidget(lbFullPathError);
    a->addWidget(
        plainLabel(QStringLiteral("2. Upload the embeded page together with the \"pictavo\" "
                                  "folder"),
                   "lbAdvanceReminder", advance));
    btnCopyClipboard =
        dialogButton(QStringLiteral("Copy to Clipboard"), "btnCopyClipboard", advance);
    a->addWidget(btnCopyClipboard, 0, Qt::AlignLeft);
    return advance;
}

// The beginner's column: the wizard, and closing.
QWidget* TfrmPublishing::makeEmbedBeginner(QWidget* pn) {
    auto* beginner = new QWidget(pn);
    beginner->setObjectName(QStringLiteral("pnBeginner"));
    auto* b = new QVBoxLayout(beginner);
    b->addWidget(columnTitle(QStringLiteral("Beginner"), "lbBeginner", beginner));
    b->addWidget(plainLabel(QStringLiteral("A step by step embed wizard adding embed code to html "
                                           "based webpage"),
                            "lbEmbedWizardGuide", beginner));
    btnEmbedWizard = dialogButton(QStringLiteral("Embed Wizard >>"), "btnEmbedWizard", beginner);
    b->addWidget(btnEmbedWizard, 0, Qt::AlignLeft);
    b->addWidget(
        plainLabel(QStringLiteral("After generate the embeded page with embed wizard, click "
                                  "\"Upload\" to upload the embeded page together with the "
                                  "\"pictavo\" folder."),
                   "TntLabel3", beginner));
    b->addStretch();
    btnClose = dialogButton(QStringLiteral("Close"), "btnClose", beginner);
    b->addWidget(btnClose, 0, Qt::AlignRight);
    return beginner;
}

int TfrmPublishing::showFor(const PublishingValues& values, PublishingHooks hooks) {
    Values = values;
    Hooks = std::move(hooks);
    return exec();
}

void TfrmPublishing::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        guardedHandler([this] { TntFormShow(); });
}

void TfrmPublishing::TntFormShow() {
    lbPublishFolder->setText(QDir::toNativeSeparators(Values.PublishFolder));
    FullPathPrefix.clear();
    // A box left checked last time means the full path: the code shows it at once.
    applyFullPath();
    LoadEmbedScript(selectedTemplate());
}

void TfrmPublishing::LoadEmbedScript(const QString& templateFile) {
    mmoEmbedScript->clear();
    const QStringList lines = EmbedCode::Fill(EmbedCode::ReadTemplate(templateFile), Values,
                                              FullPathPrefix + Values.BaseFolder);
    mmoEmbedScript->setPlainText(lines.join(u'\n'));
    mmoEmbedScript->moveCursor(QTextCursor::Start);
    mmoEmbedScript->ensureCursorVisible();
}

void TfrmPublishing::applyFullPath() {
    edFullPathEmbed->setEnabled(cbFullPathEmbed->isChecked());
    lbFullPathError->hide();
    FullPathPrefix.clear();
    if (!cbFullPathEmbed->isChecked())
        return;
    if (std::optional<QString> prefix = EmbedCode::FullPathPrefix(edFullPathEmbed->text()))
        FullPathPrefix = *prefix;
    else
        lbFullPathError->show();
}

void TfrmPublishing::cbFullPathEmbedClick() {
    applyFullPath();
    LoadEmbedScript(selectedTemplate());
}

void TfrmPublishing::edFullPathEmbedChange() {
    if (!cbFullPathEmbed->isChecked())
        return;
    applyFullPath();
    LoadEmbedScript(selectedTemplate());
}

void TfrmPublishing::btnCopyClipboardClick() {
    mmoEmbedScript->selectAll();
    QApplication::clipboard()->setText(mmoEmbedScript->toPlainText());
}

void TfrmPublishing::lbPreviewLinkClick() {
    // What publishing wrote, not the folder around it, which may be the user's home.
    LoopbackServer::openInBrowser(Values.PublishFolder + QStringLiteral("photogallery.htm"),
                                  {QStringLiteral("photogallery.htm"), Values.BaseFolder});
}

void TfrmPublishing::lbPublishFolderClick() {
    QCoreApplication::processEvents();
    openLink(Values.PublishFolder);
}

void TfrmPublishing::btnEmbedWizardClick() {
    if (!wizard_)
        return;
    wizard_->Values = Values;
    wizard_->ShowFullSizeOption = false;
    wizard_->exec();
}

void TfrmPublishing::bbFtpSettingClick() {
    if (Hooks.EditFtpSettings)
        Hooks.EditFtpSettings();
}

void TfrmPublishing::bbUploadClick() {
    const FtpDefaults login = Hooks.FtpAccount ? Hooks.FtpAccount() : FtpDefaults{};
    // Incomplete settings, or no upload window: the settings are what the user can do.
    if (!UploadRequest::CanUpload(login) || !Hooks.ShowUploadWindow) {
        bbFtpSettingClick();
        return;
    }
    Hooks.ShowUploadWindow(UploadRequest::From(login, Values.PublishFolder));
}

QString TfrmPublishing::selectedTemplate() const {
    return cbJS->isChecked() ? Values.EmbedPageFile : Values.EmbedPageNoJsFile;
}

} // namespace publish
