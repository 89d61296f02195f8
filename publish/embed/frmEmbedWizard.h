#pragma once

#include "publish/PublishingValues.h"
#include "publish/embed/PageText.h"

#include <QDialog>
#include <QHash>
#include <QStringList>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QTextEdit;
class QTreeWidget;

namespace publish {

// The four steps that put the embed code into a copy of one of the user's pages: copy the
// marker, pick the page holding it, look at the result, write it into the published folder.
class TfrmEmbedWizard : public QDialog {
    Q_OBJECT

public:
    explicit TfrmEmbedWizard(QWidget* parent = nullptr);

    // The values of the publishing dialog; every showing starts at step 1 with them.
    PublishingValues Values;
    bool ShowFullSizeOption = false;
    // Chosen by the wizard.
    QString WidthValue;
    QString HeightValue;
    QString TargetFileExt;
    QString TargetFileName;
    // The page cut at its marker and the code that goes in between.
    QStringList UpperCode;
    QStringList MiddleCode;
    QStringList LowerCode;

    // The handlers (the buttons call them guarded).
    void FormShow();
    void btCopySymbolClick();
    void TntButton7Click();
    void cbPublishSizeClick();
    void btnP2NextClick();
    void btnP3ProcessClick();
    void btnP4PreviewClick();

    // The page path chosen in step 2 and the page written in step 3.
    QString sourcePath() const;
    QString targetPath() const;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* makeStep1();
    QWidget* makeStep2();
    QWidget* makeStep3();
    QWidget* makeStep4();
    QWidget* makeStep(int number, const char* objectName, const QString& heading, QWidget* body,
                      const QList<QPushButton*>& buttons);

    bool PageHasEmbedSymbol(const QString& file) const;
    void SplitTargetPage(const QString& file);
    void LoadEmbedCode(const QString& templateFile);
    void FillSampleTrees();
    static QString StripLastChar(const QString& text);
    static QString noEmbedSymbol();

    QHash<QObject*, QLabel*> headings_; // each page's heading, which shows the page's title
    QString written_;
    // The encoding of the page split last: the copy is written in it.
    PageText::Encoding pageEncoding_ = PageText::Encoding::Utf8;

    QStackedWidget* pageCtrl = nullptr;
    QLineEdit* edEmbedSymbol = nullptr;
    QPushButton* btCopySymbol = nullptr;
    QLabel* lblEmbedCopiedMsg = nullptr;
    QLineEdit* TntEdit2 = nullptr;
    QPushButton* TntButton7 = nullptr;
    QCheckBox* cbJavascript = nullptr;
    QCheckBox* cbPublishSize = nullptr;
    QTextEdit* reCode = nullptr;
    QLabel* lblBaseWarning = nullptr;
    QLabel* lblFinishFilePath = nullptr;
    QTreeWidget* TntTreeView1 = nullptr;
    QTreeWidget* TntTreeView2 = nullptr;
    QPushButton* btnP1Next = nullptr;
    QPushButton* btnP1Close = nullptr;
    QPushButton* btnP2Previous = nullptr;
    QPushButton* btnP2Next = nullptr;
    QPushButton* btnP2Close = nullptr;
    QPushButton* btnP3Previous = nullptr;
    QPushButton* btnP3Process = nullptr;
    QPushButton* btnP3Close = nullptr;
    QPushButton* btnP4Preview = nullptr;
    QPushButton* btnP4Close = nullptr;
};

} // namespace publish
