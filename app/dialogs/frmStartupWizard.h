#pragma once

#include "app/dialogs/frmImportTemplate.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace app {

// The start-up wizard: a new album from the template library, an album file picked in the
// open dialog, or a recent album. It only records the choice; the file commands act on it.
class TfrmStartupWizard : public QDialog {
    Q_OBJECT

public:
    enum ActionKind { NoAction = 0, CreateAction = 1, BrowseAction = 2, RecentAction = 3 };
    static constexpr int MinimumWidth = 460;

    explicit TfrmStartupWizard(QWidget* parent = nullptr);
    ~TfrmStartupWizard() override;

    // The results, reset each time the wizard is shown.
    int Action = NoAction;
    std::optional<TemplateEntry> Template;
    QString BrowsedFile;
    QString RecentFile;

    // What the wizard works with: the template chooser and the library it lists, and the
    // album open dialog (nullopt: cancelled). Set by whoever shows the wizard.
    TfrmImportTemplate* Chooser = nullptr;
    QString TemplatesFolder;
    std::function<std::optional<QString>()> BrowseFile;

    // Lists the recent album files, newest first.
    void FillRecent(const QStringList& files);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QGroupBox* gbCreateNewAlbum;
    QLabel* lbCreateNewAlbum;
    QPushButton* btCreate;
    QGroupBox* gbOpenExistingAlbum;
    QLabel* lbOpenExistingBrowse;
    QPushButton* btBrowse;
    QLabel* lbOpenExistingRecent;
    QComboBox* cbOpenRecent;
    QPushButton* btOpen;
    QPushButton* btCancel;

    void btCreateClick();
    void btBrowseClick();
    void btOpenClick();
    void cbOpenRecentChange();
};

} // namespace app
