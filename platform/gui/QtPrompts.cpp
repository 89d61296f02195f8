#include "platform/gui/QtPrompts.h"

#include "platform/FileDialogFilter.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QRegularExpression>
#include <QTextBoundaryFinder>

namespace platform {

namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

// Every named button and the desktop's button for it.
constexpr struct {
    PromptButton button;
    QMessageBox::StandardButton standard;
} kButtons[] = {
    {PromptButton::Ok, QMessageBox::Ok},
    {PromptButton::Cancel, QMessageBox::Cancel},
    {PromptButton::Yes, QMessageBox::Yes},
    {PromptButton::No, QMessageBox::No},
    {PromptButton::YesToAll, QMessageBox::YesToAll},
    {PromptButton::NoToAll, QMessageBox::NoToAll},
    {PromptButton::Abort, QMessageBox::Abort},
    {PromptButton::Retry, QMessageBox::Retry},
    {PromptButton::Ignore, QMessageBox::Ignore},
};

QMessageBox::StandardButton toStandard(PromptButton button) {
    for (const auto& pair : kButtons) {
        if (pair.button == button)
            return pair.standard;
    }
    return QMessageBox::NoButton;
}

PromptButton fromStandard(int button) {
    for (const auto& pair : kButtons) {
        if (pair.standard == button)
            return pair.button;
    }
    return PromptButton::None;
}

QMessageBox::Icon iconOf(PromptKind kind) {
    switch (kind) {
    case PromptKind::Information:
        return QMessageBox::Information;
    case PromptKind::Warning:
        return QMessageBox::Warning;
    case PromptKind::Error:
        return QMessageBox::Critical;
    case PromptKind::Confirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// The text with a zero-width space wherever a run of characters without a place to break the
// line grows longer than a box can show: a long file name wraps instead of running off the
// box's edge. Places the text already allows (spaces, after "/" and the like) reset the run.
QString withLineBreakOpportunities(const QString& text) {
    constexpr int kLongestRun = 40; // characters, well within the narrowest box
    QTextBoundaryFinder lines(QTextBoundaryFinder::Line, text);
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text);
    QString out;
    out.reserve(text.size() + text.size() / kLongestRun);
    int run = 0;
    qsizetype from = 0;
    for (qsizetype to = characters.toNextBoundary(); to != -1; to = characters.toNextBoundary()) {
        lines.setPosition(from);
        if (lines.isAtBoundary()) {
            run = 0;
        } else if (run >= kLongestRun) {
            out += QChar(0x200B);
            run = 0;
        }
        out += QStringView(text).mid(from, to - from);
        ++run;
        from = to;
    }
    return out;
}

// The text with every name longer than kLongestName characters (a quoted one, or a run
// without spaces) cut down to its start and end around an ellipsis: a member name can be 64 KiB
// long, and a box that showed it whole would push its buttons off the screen.
QString withLongNamesElided(const QString& text) {
    constexpr qsizetype kLongestName = 200;
    static const QRegularExpression longName(
        QStringLiteral("\"[^\"]{%1,}\"|[^\\s\"]{%1,}").arg(kLongestName + 1));
    QString out;
    qsizetype from = 0;
    for (auto it = longName.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const QString name = match.captured();
        qsizetype head = kLongestName / 2;
        qsizetype tail = name.size() - kLongestName / 2;
        // A character outside the basic plane is kept or dropped whole.
        if (name.at(head - 1).isHighSurrogate())
            --head;
        if (name.at(tail).isLowSurrogate())
            ++tail;
        out += QStringView(text).mid(from, match.capturedStart() - from);
        out += QStringView(name).left(head);
        out += QChar(0x2026);
        out += QStringView(name).mid(tail);
        from = match.capturedEnd();
    }
    out += QStringView(text).mid(from);
    return out;
}

std::string folderWithSlash(const QString& folder) {
    QString path = QDir::fromNativeSeparators(folder);
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path.toStdString();
}

} // namespace

PromptButton QtPrompts::message(PromptKind kind, const std::string& caption,
                                const std::string& text, const std::vector<PromptButton>& buttons,
                                PromptButton defaultButton) {
    // Its parent window may close while it runs and take it along; the pointer tells.
    QPointer<QMessageBox> box =
        new QMessageBox(iconOf(kind), fromUtf8(caption),
                        withLineBreakOpportunities(withLongNamesElided(fromUtf8(text))),
                        QMessageBox::NoButton, QApplication::activeWindow());
    box->setTextFormat(Qt::PlainText);
    if (buttons.empty()) {
        box->addButton(QMessageBox::Ok);
    } else {
        for (PromptButton button : buttons)
            box->addButton(toStandard(button));
    }
    if (defaultButton != PromptButton::None)
        box->setDefaultButton(toStandard(defaultButton));
    box->exec();
    if (!box)
        return PromptButton::None;
    QAbstractButton* clicked = box->clickedButton();
    const PromptButton answer =
        clicked ? fromStandard(box->standardButton(clicked)) : PromptButton::None;
    box->deleteLater();
    return answer;
}

std::optional<std::string> QtPrompts::inputText(const std::string& caption,
                                                const std::string& prompt,
                                                const std::string& initial, bool secret) {
    // Its parent window may close while it runs and take it along; the pointer tells.
    QPointer<QInputDialog> dialog = new QInputDialog(QApplication::activeWindow());
    dialog->setWindowTitle(fromUtf8(caption));
    dialog->setInputMode(QInputDialog::TextInput);
    dialog->setLabelText(fromUtf8(prompt));
    // The prompt may quote names from outside; a label would take them for markup.
    for (QLabel* label : dialog->findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);
    dialog->setTextEchoMode(secret ? QLineEdit::Password : QLineEdit::Normal);
    dialog->setTextValue(fromUtf8(initial));
    const int result = dialog->exec();
    if (!dialog)
        return std::nullopt;
    const QString text = dialog->textValue();
    dialog->deleteLater();
    if (result != QDialog::Accepted)
        return std::nullopt;
    return text.toStdString();
}

std::optional<std::string> QtPrompts::openFile(const std::string& caption,
                                               const std::string& filter,
                                               const std::string& initialDir) {
    const QString file =
        QFileDialog::getOpenFileName(QApplication::activeWindow(), fromUtf8(caption),
                                     fromUtf8(initialDir), fileDialogFilter(fromUtf8(filter)));
    if (file.isEmpty())
        return std::nullopt;
    return QDir::fromNativeSeparators(file).toStdString();
}

std::optional<std::string> QtPrompts::pickFolder(const std::string& caption,
                                                 const std::string& initialDir) {
    const QString folder = QFileDialog::getExistingDirectory(
        QApplication::activeWindow(), fromUtf8(caption), fromUtf8(initialDir));
    if (folder.isEmpty())
        return std::nullopt;
    return folderWithSlash(folder);
}

std::optional<std::string> QtPrompts::saveFile(const std::string& caption,
                                               const std::string& filter,
                                               const std::string& initialPath,
                                               const std::string& defaultSuffix) {
    QFileDialog dialog(QApplication::activeWindow(), fromUtf8(caption));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The caller asks its own question about an existing file; two would be one too many.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setNameFilters(fileDialogFilter(fromUtf8(filter)).split(QStringLiteral(";;")));
    dialog.setDefaultSuffix(fromUtf8(defaultSuffix));
    const QString initial = fromUtf8(initialPath);
    const QFileInfo info(initial);
    if (!initial.isEmpty()) {
        if (initial.endsWith(u'/')) {
            dialog.setDirectory(initial);
        } else {
            if (info.path() != QStringLiteral("."))
                dialog.setDirectory(info.path());
            dialog.selectFile(info.fileName());
        }
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::fromNativeSeparators(dialog.selectedFiles().first()).toStdString();
}

} // namespace platform
