#pragma once

#include "publish/PublishingValues.h"
#include "publish/UploadRequest.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace publish {

class LinkLabel;
class TfrmEmbedWizard;

// What the publishing dialog asks of the editor: the FTP defaults as they are now, the
// editor's FTP settings exchange (true on OK), and the upload window. Without an upload
// window, Upload leads to the settings as it does when they are incomplete.
struct PublishingHooks {
    std::function<FtpDefaults()> FtpAccount;
    std::function<bool()> EditFtpSettings;
    std::function<void(const UploadRequest&)> ShowUploadWindow;
};

// Shown after an album was published: what was written, links to it, the code that embeds
// the album into another page, and the doors to the embed wizard and the upload.
class TfrmPublishing : public QDialog {
    Q_OBJECT

public:
    // `wizard` (may be null) is the embed wizard that "Embed Wizard >>" shows.
    explicit TfrmPublishing(TfrmEmbedWizard* wizard, QWidget* parent = nullptr);

    PublishingValues Values;
    // Empty, or the user's site address ending in "/", put before the base folder.
    QString FullPathPrefix;
    PublishingHooks Hooks;

    // Fills the values and shows the dialog modally.
    int showFor(const PublishingValues& values, PublishingHooks hooks);

    // The handlers (the controls call them guarded).
    void TntFormShow();
    void LoadEmbedScript(const QString& templateFile);
    void cbFullPathEmbedClick();
    void edFullPathEmbedChange();
    void btnCopyClipboardClick();
    void lbPreviewLinkClick();
    void lbPublishFolderClick();
    void btnEmbedWizardClick();
    void bbFtpSettingClick();
    void bbUploadClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* makeTop();
    QWidget* makePreview();
    QWidget* makeEmbed();
    QWidget* makeEmbedAdvanced(QWidget* pn);
    QWidget* makeEmbedBeginner(QWidget* pn);
    QString selectedTemplate() const;
    // The prefix from the edit while the box is checked; an address that cannot stand in
    // the code is refused and the relative code stays.
    void applyFullPath();

    TfrmEmbedWizard* wizard_;

    QLabel* lbFinishPublish = nullptr;
    LinkLabel* lbPreviewLink = nullptr;
    QPushButton* bbPreview = nullptr;
    LinkLabel* lbPublishFolder = nullptr;
    QPushButton* bbFtpSetting = nullptr;
    QPushButton* bbUpload = nullptr;
    QPlainTextEdit* mmoEmbedScript = nullptr;
    QCheckBox* cbJS = nullptr;
    QCheckBox* cbFullPathEmbed = nullptr;
    QLineEdit* edFullPathEmbed = nullptr;
    QLabel* lbFullPathError = nullptr;
    QPushButton* btnCopyClipboard = nullptr;
    QPushButton* btnEmbedWizard = nullptr;
    QPushButton* btnClose = nullptr;
};

} // namespace publish
