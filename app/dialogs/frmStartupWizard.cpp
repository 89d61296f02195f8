#include "app/dialogs/frmStartupWizard.h"

#include "app/commands/MessageBoxes.h"

#include "app/dialogs/ProgressScope.h"
#include "app/l10n/Localization.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {

namespace {

QLabel* wrappedLabel(const QString& name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

QPushButton* button(const QString& name, const QString& text, QWidget* parent) {
    auto* result = new QPushButton(text, parent);
    result->setObjectName(name);
    result->setAutoDefault(false);
    return result;
}

// Bold titles in the active-caption colour; what the boxes hold keeps the normal font.
QGroupBox* groupBox(const QString& name, const QString& title, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(name);
    box->setStyleSheet(
        QStringLiteral("QGroupBox#%1 { font-weight: bold; color: palette(highlight); }").arg(name));
    return box;
}

// The wizard disabled with the busy cursor for as long as it lives.
class WizardBusy {
public:
    explicit WizardBusy(QWidget* wizard) : wizard_(wizard) {
        wizard_->setEnabled(false);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~WizardBusy() {
        QApplication::restoreOverrideCursor();
        wizard_->setEnabled(true);
    }
    WizardBusy(const WizardBusy&) = delete;
    WizardBusy& operator=(const WizardBusy&) = delete;

private:
    QWidget* wizard_;
};

bool fileExists(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isFile();
}

} // namespace

TfrmStartupWizard::TfrmStartupWizard(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmStartupWizard"));
    setWindowTitle(QStringLiteral("Album Wizard"));
    // A dialog border: a title with the system menu and the close box, and a size of its own.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    gbCreateNewAlbum =
        groupBox(QStringLiteral("gbCreateNewAlbum"), QStringLiteral(" Create New Album "), this);
    lbCreateNewAlbum = wrappedLabel(
        QStringLiteral("lbCreateNewAlbum"),
        QStringLiteral("You can create a new photo album from the template library by clicking "
                       "the \"Create\" button."),
        gbCreateNewAlbum);
    btCreate = button(QStringLiteral("btCreate"), QStringLiteral("C&reate..."), gbCreateNewAlbum);
    btCreate->setDefault(true);
    auto* create = new QHBoxLayout(gbCreateNewAlbum);
    create->addWidget(lbCreateNewAlbum, 1);
    create->addWidget(btCreate, 0, Qt::AlignTop);

    gbOpenExistingAlbum = groupBox(QStringLiteral("gbOpenExistingAlbum"),
                                   QStringLiteral(" Open Existing Album "), this);
    lbOpenExistingBrowse =
        wrappedLabel(QStringLiteral("lbOpenExistingBrowse"),
                     QStringLiteral("You can open a previously created photo album by clicking the "
                                    "\"Browse\" button, and then choose the album file."),
                     gbOpenExistingAlbum);
    btBrowse =
        button(QStringLiteral("btBrowse"), QStringLiteral("&Browse..."), gbOpenExistingAlbum);
    lbOpenExistingRecent = wrappedLabel(
        QStringLiteral("lbOpenExistingRecent"),
        QStringLiteral("Or, you can select an album that is recently opened at the dropdown box "
                       "below."),
        gbOpenExistingAlbum);
    cbOpenRecent = new QComboBox(gbOpenExistingAlbum);
    cbOpenRecent->setObjectName(QStringLiteral("cbOpenRecent"));
    cbOpenRecent->setEditable(false);
    cbOpenRecent->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbOpenRecent->setMinimumContentsLength(30);
    btOpen = button(QStringLiteral("btOpen"), QStringLiteral("&Open"), gbOpenExistingAlbum);
    auto* open = new QGridLayout(gbOpenExistingAlbum);
    open->addWidget(lbOpenExistingBrowse, 0, 0);
    open->addWidget(btBrowse, 0, 1, Qt::AlignTop);
    open->addWidget(lbOpenExistingRecent, 1, 0, 1, 2);
    open->addWidget(cbOpenRecent, 2, 0);
    open->addWidget(btOpen, 2, 1);
    open->setColumnStretch(0, 1);

    btCancel = button(QStringLiteral("btCancel"), QStringLiteral("&Cancel"), this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(gbCreateNewAlbum);
    layout->addWidget(gbOpenExistingAlbum);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(btCancel);
    layout->addLayout(bottom);
    // The size follows the texts, which a language may lengthen; the user cannot change it.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    gbCreateNewAlbum->setMinimumWidth(MinimumWidth - layout->contentsMargins().left() -
                                      layout->contentsMargins().right());

    connect(btCreate, &QPushButton::clicked, this, [this] { btCreateClick(); });
    connect(btBrowse, &QPushButton::clicked, this, [this] { btBrowseClick(); });
    connect(btOpen, &QPushButton::clicked, this, [this] { btOpenClick(); });
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cbOpenRecent, &QComboBox::currentIndexChanged, this, [this] { cbOpenRecentChange(); });
}

TfrmStartupWizard::~TfrmStartupWizard() = default;

void TfrmStartupWizard::FillRecent(const QStringList& files) {
    cbOpenRecent->clear();
    cbOpenRecent->addItems(files);
    cbOpenRecentChange();
}

void TfrmStartupWizard::cbOpenRecentChange() {
    cbOpenRecent->setToolTip(cbOpenRecent->currentText());
}

void TfrmStartupWizard::showEvent(QShowEvent* event) {
    Action = NoAction;
    Template.reset();
    BrowsedFile.clear();
    RecentFile.clear();
    const bool hasRecent = cbOpenRecent->count() > 0;
    lbOpenExistingRecent->setEnabled(hasRecent);
    cbOpenRecent->setEnabled(hasRecent);
    btOpen->setEnabled(hasRecent);
    if (hasRecent)
        cbOpenRecent->setCurrentIndex(0);
    cbOpenRecentChange();
    QDialog::showEvent(event);
    btCreate->setFocus();
}

void TfrmStartupWizard::btCreateClick() {
    pumpMessages();
    if (!Chooser)
        return;
    {
        WizardBusy busy(this);
        Chooser->Prepare(TemplatesFolder);
    }
    if (Chooser->exec() != QDialog::Accepted || !Chooser->SelectedTemplate)
        return;
    pumpMessages();
    Template = Chooser->SelectedTemplate;
    Action = CreateAction;
    accept();
}

void TfrmStartupWizard::btBrowseClick() {
    pumpMessages();
    const std::optional<QString> file = BrowseFile ? BrowseFile() : std::nullopt;
    if (!file)
        return;
    pumpMessages();
    if (!fileExists(*file)) {
        MessageBoxes::error(
            MessageBoxes::message(5, QStringLiteral("File \"%s\" does not exist."), {*file}));
        return;
    }
    BrowsedFile = *file;
    Action = BrowseAction;
    accept();
}

void TfrmStartupWizard::btOpenClick() {
    pumpMessages();
    const QString file = cbOpenRecent->currentText();
    if (fileExists(file)) {
        RecentFile = file;
        Action = RecentAction;
        accept();
        return;
    }
    const bool another = MessageBoxes::warnYesNo(MessageBoxes::message(
        6, QStringLiteral("File \"%s\" does not exist. Open another file?"), {file}));
    pumpMessages();
    if (another)
        btBrowseClick();
}

} // namespace app
