#include "publish/embed/frmEmbedWizard.h"

#include "publish/DialogWidgets.h"

#include "publish/HandlerGuard.h"
#include "publish/PublishTexts.h"
#include "publish/embed/EmbedCode.h"
#include "publish/embed/PageText.h"
#include "publish/preview/LoopbackServer.h"

#include "model/Errors.h"
#include "model/ReplacedFile.h"
#include "platform/sys/Prompts.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStackedWidget>
#include <QStyle>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace publish {

namespace {

QString pageFilter() {
    return PublishTexts::filter(300, QStringLiteral("Webpages (*.htm;*.html;*.php;*.asp)")) +
           QStringLiteral("|*.htm;*.html;*.php;*.asp|") +
           PublishTexts::filter(301, QStringLiteral("All Files (*.*)")) + QStringLiteral("|*.*");
}

QStringList readPageLines(const QString& path, PageText::Encoding* encoding = nullptr) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw model::FileError(
            PublishTexts::message(306, QStringLiteral("Cannot open file \"%s\". %s"),
                                  {QDir::toNativeSeparators(path), file.errorString()}));
    return PageText::SplitLines(PageText::Decode(file.readAll(), encoding));
}

bool samePath(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

} // namespace

TfrmEmbedWizard::TfrmEmbedWizard(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmEmbedWizard"));
    setWindowTitle(QStringLiteral("Embed Wizard"));
    setModal(true);
    pageCtrl = new QStackedWidget(this);
    pageCtrl->setObjectName(QStringLiteral("pageCtrl"));
    pageCtrl->addWidget(makeStep1());
    pageCtrl->addWidget(makeStep2());
    pageCtrl->addWidget(makeStep3());
    pageCtrl->addWidget(makeStep4());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pageCtrl);
    resize(620, 460);

    auto guard = [](auto fn) { return [fn] { guardedHandler(fn); }; };
    connect(btCopySymbol, &QPushButton::clicked, this, guard([this] { btCopySymbolClick(); }));
    connect(btnP1Next, &QPushButton::clicked, this, [this] { pageCtrl->setCurrentIndex(1); });
    connect(TntButton7, &QPushButton::clicked, this, guard([this] { TntButton7Click(); }));
    connect(cbPublishSize, &QCheckBox::clicked, this, guard([this] { cbPublishSizeClick(); }));
    connect(btnP2Previous, &QPushButton::clicked, this, [this] { pageCtrl->setCurrentIndex(0); });
    connect(btnP2Next, &QPushButton::clicked, this, guard([this] { btnP2NextClick(); }));
    connect(btnP3Previous, &QPushButton::clicked, this, [this] { pageCtrl->setCurrentIndex(1); });
    connect(btnP3Process, &QPushButton::clicked, this, guard([this] { btnP3ProcessClick(); }));
    connect(btnP4Preview, &QPushButton::clicked, this, guard([this] { btnP4PreviewClick(); }));
    for (QPushButton* close : {btnP1Close, btnP2Close, btnP3Close, btnP4Close})
        connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

QWidget* TfrmEmbedWizard::makeStep(int number, const char* objectName, const QString& heading,
                                   QWidget* body, const QList<QPushButton*>& buttons) {
    auto* page = new QWidget;
    page->setObjectName(QString::fromLatin1(objectName));
    auto* v = new QVBoxLayout(page);
    // The step and the heading are texts of the page: the heading shows the page's title.
    page->setWindowTitle(heading);
    const QByteArray stepName = "lbStep" + QByteArray::number(number);
    QLabel* title =
        plainLabel(QStringLiteral("Step %1").arg(number), stepName.constData(), page, true);
    title->setWordWrap(false);
    v->addWidget(title);
    auto* head = plainLabel(heading, "", page);
    head->setWordWrap(false);
    headings_.insert(page, head);
    page->installEventFilter(this);
    v->addWidget(head);
    v->addWidget(body, 1);
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton* b : buttons) {
        b->setParent(page);
        row->addWidget(b);
    }
    v->addLayout(row);
    return page;
}

QWidget* TfrmEmbedWizard::makeStep1() {
    auto* body = new QWidget;
    auto* v = new QVBoxLayout(body);
    v->addWidget(plainLabel(QStringLiteral("1. Copy the following embed symbol to the clipboard"),
                            "TntLabel5", body));
    auto* row = new QHBoxLayout;
    edEmbedSymbol = new QLineEdit(body);
    edEmbedSymbol->setObjectName(QStringLiteral("edEmbedSymbol"));
    edEmbedSymbol->setReadOnly(true);
    btCopySymbol = dialogButton(QStringLiteral("Copy"), "btCopySymbol", body);
    row->addWidget(edEmbedSymbol);
    row->addWidget(btCopySymbol);
    v->addLayout(row);
    lblEmbedCopiedMsg = plainLabel(QStringLiteral("Embed symbol copied to the clipboard"),
                                   "lblEmbedCopiedMsg", body);
    QPalette green = lblEmbedCopiedMsg->palette();
    green.setColor(QPalette::WindowText, QColor(0, 128, 0));
    lblEmbedCopiedMsg->setPalette(green);
    lblEmbedCopiedMsg->hide();
    v->addWidget(lblEmbedCopiedMsg);
    v->addWidget(
        plainLabel(QStringLiteral("2. Open your target web page with any html editor (e.g. "
                                  "Frontpage, Dreamweaver)"),
                   "TntLabel6", body));
    v->addWidget(
        plainLabel(QStringLiteral("3. Locate the place in your target web page for embedding "
                                  "the photo album. Paste the embed symbol to the specific "
                                  "place of the source code."),
                   "TntLabel7", body));
    v->addWidget(plainLabel(QStringLiteral("4. Save and close your target web page file."),
                            "TntLabel10", body));
    v->addStretch();
    btnP1Next = dialogButton(QStringLiteral("&Next"), "btnP1Next", nullptr);
    btnP1Close = dialogButton(QStringLiteral("&Close"), "btnP1Close", nullptr);
    return makeStep(1, "TntTabSheet1",
                    QStringLiteral("Add an embed symbol to your target web page"), body,
                    {btnP1Next, btnP1Close});
}

QWidget* TfrmEmbedWizard::makeStep2() {
    auto* body = new QWidget;
    auto* v = new QVBoxLayout(body);
    v->addWidget(
        plainLabel(QStringLiteral("1. Browse the target web page again:"), "TntLabel9", body));
    auto* row = new QHBoxLayout;
    TntEdit2 = new QLineEdit(body);
    TntEdit2->setObjectName(QStringLiteral("TntEdit2"));
    TntEdit2->setReadOnly(true);
    TntEdit2->setEnabled(false);
    TntButton7 = dialogButton(QStringLiteral("Browse..."), "TntButton7", body);
    row->addWidget(TntEdit2);
    row->addWidget(TntButton7);
    v->addLayout(row);
    QLabel* options = plainLabel(QStringLiteral("2. Select the options for embed the photo album"),
                                 "TntLabel11", body);
    options->hide();
    v->addWidget(options);
    cbJavascript = new QCheckBox(
        QStringLiteral("Add the script of automatic activate Active X Control for MSIE"), body);
    cbJavascript->setObjectName(QStringLiteral("cbJavascript"));
    cbJavascript->hide();
    v->addWidget(cbJavascript);
    cbPublishSize = new QCheckBox(QStringLiteral("Full Size (100% x 100%)"), body);
    cbPublishSize->setObjectName(QStringLiteral("cbPublishSize"));
    cbPublishSize->hide();
    v->addWidget(cbPublishSize);
    v->addStretch();
    btnP2Previous = dialogButton(QStringLiteral("&Previous"), "btnP2Previous", nullptr);
    btnP2Next = dialogButton(QStringLiteral("&Next"), "btnP2Next", nullptr);
    btnP2Next->setEnabled(false);
    btnP2Close = dialogButton(QStringLiteral("&Close"), "btnP2Close", nullptr);
    return makeStep(2, "TntTabSheet2", QStringLiteral("Load your target web page"), body,
                    {btnP2Previous, btnP2Next, btnP2Close});
}

QWidget* TfrmEmbedWizard::makeStep3() {
    auto* body = new QWidget;
    auto* v = new QVBoxLayout(body);
    v->addWidget(
        plainLabel(QStringLiteral("Photo Album code (text in blue) will be inserted into your "
                                  "target web page."),
                   "TntLabel8", body));
    v->addWidget(plainLabel(QStringLiteral("Click \"Process\" to continue."), "TntLabel13", body));
    reCode = new QTextEdit(body);
    reCode->setObjectName(QStringLiteral("reCode"));
    reCode->setReadOnly(true);
    reCode->setAcceptRichText(false);
    reCode->setLineWrapMode(QTextEdit::NoWrap);
    reCode->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    reCode->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    v->addWidget(reCode, 1);
    lblBaseWarning = plainLabel(QString(), "lblBaseWarning", body);
    QPalette red = lblBaseWarning->palette();
    red.setColor(QPalette::WindowText, QColor(176, 0, 0));
    lblBaseWarning->setPalette(red);
    lblBaseWarning->hide();
    v->addWidget(lblBaseWarning);
    btnP3Previous = dialogButton(QStringLiteral("&Previous"), "btnP3Previous", nullptr);
    btnP3Process = dialogButton(QStringLiteral("Pr&ocess"), "btnP3Process", nullptr);
    btnP3Close = dialogButton(QStringLiteral("&Close"), "btnP3Close", nullptr);
    return makeStep(3, "TntTabSheet3", QStringLiteral("Preview Coding"), body,
                    {btnP3Previous, btnP3Process, btnP3Close});
}

QWidget* TfrmEmbedWizard::makeStep4() {
    auto* body = new QWidget;
    auto* v = new QVBoxLayout(body);
    QLabel* done = plainLabel(QStringLiteral("Photo Album has been added to your target web page:"),
                              "TntLabel14", body);
    QFont bold = done->font();
    bold.setBold(true);
    done->setFont(bold);
    v->addWidget(done);
    lblFinishFilePath = plainLabel(QString(), "lblFinishFilePath", body);
    v->addWidget(lblFinishFilePath);
    v->addWidget(plainLabel(QStringLiteral("Please upload your files online to share with others."),
                            "TntLabel4", body));
    v->addWidget(
        plainLabel(QStringLiteral("Make sure the target web page and \"pictavo\" folder are "
                                  "placed in the same directory, like the following examples:"),
                   "TntLabel1", body));
    auto* samples = new QHBoxLayout;
    auto sample = [&](const char* titleName, const QString& title, QTreeWidget*& tree,
                      const char* treeName, const char* noteName, const QString& note) {
        auto* col = new QVBoxLayout;
        col->addWidget(plainLabel(title, titleName, body));
        tree = new QTreeWidget(body);
        tree->setObjectName(QString::fromLatin1(treeName));
        tree->setHeaderHidden(true);
        tree->setSelectionMode(QAbstractItemView::NoSelection);
        col->addWidget(tree);
        col->addWidget(plainLabel(note, noteName, body));
        samples->addLayout(col);
    };
    sample("TntLabel2", QStringLiteral("Sample 1"), TntTreeView1, "TntTreeView1", "TntLabel15",
           QStringLiteral("Target web page and \"pictavo\" folder are placed under root directory "
                          "of your site."));
    sample("TntLabel3", QStringLiteral("Sample 2"), TntTreeView2, "TntTreeView2", "TntLabel16",
           QStringLiteral("Target web page and \"pictavo\" folder are placed under a subfolder of "
                          "your site."));
    v->addLayout(samples, 1);
    btnP4Preview = dialogButton(QStringLiteral("&Preview"), "btnP4Preview", nullptr);
    btnP4Close = dialogButton(QStringLiteral("&Close"), "btnP4Close", nullptr);
    return makeStep(4, "TntTabSheet4", QStringLiteral("Finish"), body, {btnP4Preview, btnP4Close});
}

void TfrmEmbedWizard::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmEmbedWizard::FormShow() {
    WidthValue = Values.AlbumWidth;
    HeightValue = Values.AlbumHeight;
    if (cbPublishSize->isChecked() && ShowFullSizeOption)
        WidthValue = HeightValue = QStringLiteral("100%");
    edEmbedSymbol->setText(Values.EmbedSymbol);
    cbPublishSize->setVisible(ShowFullSizeOption);
    pageCtrl->setCurrentIndex(0);
    lblEmbedCopiedMsg->hide();
}

void TfrmEmbedWizard::btCopySymbolClick() {
    edEmbedSymbol->selectAll();
    QApplication::clipboard()->setText(edEmbedSymbol->text());
    lblEmbedCopiedMsg->show();
}

void TfrmEmbedWizard::TntButton7Click() {
    const std::optional<std::string> chosen = platform::prompts().openFile(
        PublishTexts::string(300, QStringLiteral("Open")).toStdString(), pageFilter().toStdString(),
        QFileInfo(TntEdit2->text()).absolutePath().toStdString());
    if (!chosen || chosen->empty())
        return;
    const QString path = QString::fromStdString(*chosen);
    if (!PageHasEmbedSymbol(path)) {
        showWarningBox(noEmbedSymbol());
        TntEdit2->clear();
        btnP2Next->setEnabled(false);
        return;
    }
    TntEdit2->setText(path);
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    TargetFileExt = dot >= 0 ? name.mid(dot) : QString();
    TargetFileName = name;
    btnP2Next->setEnabled(true);
}

void TfrmEmbedWizard::cbPublishSizeClick() {
    const bool full = cbPublishSize->isChecked();
    WidthValue = full ? QStringLiteral("100%") : Values.AlbumWidth;
    HeightValue = full ? QStringLiteral("100%") : Values.AlbumHeight;
}

void TfrmEmbedWizard::btnP2NextClick() {
    pageCtrl->setCurrentIndex(2);
    SplitTargetPage(TntEdit2->text());
    LoadEmbedCode(cbJavascript->isChecked() ? Values.EmbedPageFile : Values.EmbedPageNoJsFile);
    reCode->clear();
    QTextCursor cursor(reCode->document());
    QTextCharFormat plain;
    QTextCharFormat blue;
    blue.setForeground(Qt::blue);
    auto put = [&cursor](const QStringList& lines, const QTextCharFormat& format) {
        for (const QString& line : lines)
            cursor.insertText(line + u'\n', format);
    };
    put(UpperCode, plain);
    put(MiddleCode, blue);
    put(LowerCode, plain);
    reCode->moveCursor(QTextCursor::Start);
    // Where the page will be on the user's site is unknown, so no address written here can
    // stand in for "beside the page" against a base the page sets: the user is told.
    const QString base = PageText::BaseAddress(UpperCode + LowerCode);
    lblBaseWarning->setVisible(!base.isEmpty());
    lblBaseWarning->setText(
        base.isEmpty()
            ? QString()
            : PublishTexts::message(
                  310,
                  QStringLiteral("Your page sets a base address (<base href=\"%s\">): the "
                                 "browser looks for the \"%s\" folder there, not beside the "
                                 "page, so the album plays only if that folder is there. The "
                                 "wizard cannot know where your page will be on your site: "
                                 "remove the <base> element from your page, or replace \"%s\" in "
                                 "the code with the full address of the folder on your site."),
                  {base, StripLastChar(Values.BaseFolder), Values.BaseFolder}));
}

void TfrmEmbedWizard::btnP3ProcessClick() {
    const QString target = targetPath();
    const bool overwritesSource = samePath(sourcePath(), target);
    const bool albumPage =
        TargetFileName.compare(QStringLiteral("photogallery.htm"), Qt::CaseInsensitive) == 0;
    if (overwritesSource || albumPage || QFileInfo::exists(target)) {
        const QString why =
            overwritesSource
                ? PublishTexts::message(303, QStringLiteral("This is the page you chose itself."))
            : albumPage
                ? PublishTexts::message(304, QStringLiteral("This is the published album page."))
                : PublishTexts::message(305,
                                        QStringLiteral("A file of that name is there already."));
        if (!confirm(PublishTexts::message(
                302, QStringLiteral("\"%s\" is about to be written. %s Replace it?"),
                {QDir::toNativeSeparators(target), why})))
            return;
    }
    // In the page's own encoding: its text comes back byte for byte around the code, under
    // whatever character set it declares.
    const QByteArray content = PageText::Compose(UpperCode, MiddleCode, LowerCode, pageEncoding_);
    // The writer fills in the path and the cause, which only it knows.
    const QString failure =
        PublishTexts::message(307, QStringLiteral("Cannot write file \"%s\". %s"),
                              {QStringLiteral("%1"), QStringLiteral("%2")});
    model::ReplaceFileContents(target, content, failure);
    written_ = target;
    lblFinishFilePath->setText(QDir::toNativeSeparators(target));
    pageCtrl->setCurrentIndex(3);
    FillSampleTrees();
}

void TfrmEmbedWizard::btnP4PreviewClick() {
    const QString ext = TargetFileExt.toLower();
    if (ext != u".htm" && ext != u".html") {
        showInformationBox(PublishTexts::message(
            301, QStringLiteral("Preview function only support for .htm and .html only")));
        return;
    }
    LoopbackServer::openInBrowser(targetPath());
}

bool TfrmEmbedWizard::eventFilter(QObject* watched, QEvent* event) {
    // A language sets the page's title; its heading follows.
    if (event->type() == QEvent::WindowTitleChange)
        if (QLabel* head = headings_.value(watched))
            head->setText(static_cast<QWidget*>(watched)->windowTitle());
    return QDialog::eventFilter(watched, event);
}

QString TfrmEmbedWizard::noEmbedSymbol() {
    return PublishTexts::message(300, QStringLiteral("No embed symbol in source file"));
}

QString TfrmEmbedWizard::sourcePath() const {
    return TntEdit2->text();
}

QString TfrmEmbedWizard::targetPath() const {
    QString folder = Values.PublishFolder;
    if (!folder.isEmpty() && !folder.endsWith(u'/'))
        folder += u'/';
    return folder + TargetFileName;
}

bool TfrmEmbedWizard::PageHasEmbedSymbol(const QString& file) const {
    return PageText::HasMarker(readPageLines(file), Values.EmbedSymbol);
}

void TfrmEmbedWizard::SplitTargetPage(const QString& file) {
    UpperCode.clear();
    LowerCode.clear();
    std::optional<PageText::Parts> parts =
        PageText::SplitAtMarker(readPageLines(file, &pageEncoding_), Values.EmbedSymbol);
    if (!parts) {
        // The page changed since it was chosen.
        pageCtrl->setCurrentIndex(1);
        throw model::FileError(noEmbedSymbol());
    }
    UpperCode = parts->Upper;
    LowerCode = parts->Lower;
}

void TfrmEmbedWizard::LoadEmbedCode(const QString& templateFile) {
    MiddleCode.clear();
    // The wizard's page sits beside the "pictavo" folder: always the relative base folder.
    PublishingValues values = Values;
    values.AlbumWidth = WidthValue;
    values.AlbumHeight = HeightValue;
    MiddleCode = EmbedCode::Fill(EmbedCode::ReadTemplate(templateFile), values, values.BaseFolder);
}

void TfrmEmbedWizard::FillSampleTrees() {
    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon pageIcon = style()->standardIcon(QStyle::SP_FileIcon);
    auto node = [](QTreeWidgetItem* parent, const QString& text, const QIcon& icon) {
        auto* item = new QTreeWidgetItem(parent, {text});
        item->setIcon(0, icon);
        return item;
    };
    auto root = [&](QTreeWidget* tree, const QString& text) {
        tree->clear();
        auto* item = new QTreeWidgetItem(tree, {text});
        item->setIcon(0, folderIcon);
        return item;
    };
    const QString folder = StripLastChar(Values.BaseFolder);
    QTreeWidgetItem* site1 = root(TntTreeView1, QStringLiteral("www.example.com"));
    node(site1, TargetFileName, pageIcon);
    node(site1, folder, folderIcon);
    QTreeWidgetItem* site2 = root(TntTreeView2, QStringLiteral("www.example.com"));
    QTreeWidgetItem* sub =
        node(site2, PublishTexts::string(301, QStringLiteral("subfolder")), folderIcon);
    node(sub, TargetFileName, pageIcon);
    node(sub, folder, folderIcon);
    TntTreeView1->expandAll();
    TntTreeView2->expandAll();
}

QString TfrmEmbedWizard::StripLastChar(const QString& text) {
    return text.left(text.size() - 1);
}

} // namespace publish
