// Drives the real dialogs of the desktop prompts service: each test arranges for the next
// modal dialog to be inspected and answered, then asks its question.

#include "platform/gui/QtPrompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

using platform::PromptButton;
using platform::PromptKind;

namespace {

// Runs `handle` on the modal dialog once it is shown.
void whenDialogShows(std::function<void(QWidget*)> handle) {
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [handle, poll] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            handle(modal);
            return;
        }
        QTimer::singleShot(10, *poll);
    };
    QTimer::singleShot(0, *poll);
}

} // namespace

class QtPromptsDialogs : public QObject {
    Q_OBJECT

private slots:
    void messageShowsPlainTextAndReturnsTheButtonClicked() {
        QString shownText;
        Qt::TextFormat format = Qt::AutoText;
        QStringList buttonTexts;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        whenDialogShows([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            QVERIFY(box);
            shownText = box->text();
            format = box->textFormat();
            icon = box->icon();
            for (QAbstractButton* b : box->buttons())
                buttonTexts << b->text();
            box->button(QMessageBox::NoToAll)->click();
        });
        platform::QtPrompts prompts;
        const PromptButton answer = prompts.message(
            PromptKind::Confirmation, "Confirm", "Overwrite <b>a.jpg</b>?",
            {PromptButton::Yes, PromptButton::No, PromptButton::YesToAll, PromptButton::NoToAll},
            PromptButton::No);
        QCOMPARE(answer, PromptButton::NoToAll);
        QCOMPARE(shownText, QStringLiteral("Overwrite <b>a.jpg</b>?"));
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(icon, QMessageBox::Question);
        QCOMPARE(buttonTexts.size(), 4);
    }

    // A name longer than the screen is wide wraps inside the box: no line runs off its edge.
    void messageWrapsLongNamesWithinTheScreen() {
        const QString text =
            "Cannot open \"/home/u/" + QString(160, 'x') + '/' + QString(90, 'y') + "\".";
        QString shown;
        bool fits = false;
        whenDialogShows([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            auto* label = box->findChild<QLabel*>("qt_msgbox_label");
            shown = box->text();
            fits = box->screen()->availableGeometry().width() >= box->width() &&
                   label->minimumSizeHint().width() <= label->width();
            box->button(QMessageBox::Ok)->click();
        });
        platform::QtPrompts().message(PromptKind::Error, "Error", text.toStdString(),
                                      {PromptButton::Ok}, PromptButton::Ok);
        QVERIFY(fits);
        shown.remove(QChar(0x200B));
        QCOMPARE(shown.size(), 12 + 201 + 1);
        QVERIFY(shown.startsWith(text.left(12 + 100)));
        QVERIFY(shown.endsWith(QChar(0x2026) + text.right(101)));
    }

    // Names past 200 characters lose their middle, so that a box about a 64 KiB member name
    // keeps its buttons on a small screen; shorter names are shown whole.
    void messageElidesLongNamesKeepingItsButtonsOnScreen() {
        const struct {
            QString name;
            qsizetype shownLength;
        } cases[] = {{QString(200, 'n'), 202},
                     {QString(201, 'n'), 201},
                     {QString(65535, 'n'), 201},
                     {QString(30000, 'n') + ' ' + QString(30000, 'm'), 201}};
        for (const auto& c : cases) {
            const QString text = "Cannot unpack \"" + c.name + "\": it is damaged";
            QString shown;
            int bottom = 0;
            whenDialogShows([&](QWidget* w) {
                auto* box = qobject_cast<QMessageBox*>(w);
                shown = box->text().remove(QChar(0x200B));
                box->adjustSize();
                QAbstractButton* ignore = box->button(QMessageBox::Ignore);
                bottom = ignore->mapTo(box, QPoint(0, ignore->height())).y();
                box->button(QMessageBox::Abort)->click();
            });
            platform::QtPrompts().message(PromptKind::Confirmation, "Error", text.toStdString(),
                                          {PromptButton::Abort, PromptButton::Ignore},
                                          PromptButton::Abort);
            QCOMPARE(shown.size(), text.size() - c.name.size() - 2 + c.shownLength);
            QVERIFY(bottom > 0 && bottom <= 800);
            // The next box must not become a child of this one, closed but not yet deleted.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

    void messageWithoutButtonsOffersOk() {
        int buttons = 0;
        whenDialogShows([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            QVERIFY(box);
            buttons = static_cast<int>(box->buttons().size());
            QCOMPARE(box->icon(), QMessageBox::Critical);
            box->button(QMessageBox::Ok)->click();
        });
        platform::QtPrompts prompts;
        QCOMPARE(prompts.message(PromptKind::Error, "Error", "Failed", {}, PromptButton::None),
                 PromptButton::Ok);
        QCOMPARE(buttons, 1);
    }

    void inputTextReturnsTheTextOrNothing() {
        platform::QtPrompts prompts;
        QLineEdit::EchoMode mode = QLineEdit::Normal;
        whenDialogShows([&](QWidget* w) {
            auto* dialog = qobject_cast<QInputDialog*>(w);
            QVERIFY(dialog);
            mode = dialog->textEchoMode();
            QCOMPARE(dialog->textValue(), QStringLiteral("old"));
            dialog->setTextValue(QStringLiteral("pässwort"));
            static_cast<QDialog*>(dialog)->accept(); // public there, and virtual
        });
        QCOMPARE(prompts.inputText("Password", "Enter the password", "old", true),
                 std::optional<std::string>("pässwort"));
        QCOMPARE(mode, QLineEdit::Password);

        whenDialogShows([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
        QCOMPARE(prompts.inputText("Name", "Folder name", "x", false), std::nullopt);
    }

    void inputTextShowsItsPromptAsPlainText() {
        // The prompt may name an archive member, which comes from outside.
        const QString prompt = QStringLiteral("Password for <img src=\"x\"><b>a.jpg</b>");
        QString shownText;
        Qt::TextFormat format = Qt::AutoText;
        whenDialogShows([&](QWidget* w) {
            auto* dialog = qobject_cast<QInputDialog*>(w);
            QVERIFY(dialog);
            for (QLabel* label : dialog->findChildren<QLabel*>()) {
                if (label->text() == prompt) {
                    shownText = label->text();
                    format = label->textFormat();
                }
            }
            static_cast<QDialog*>(dialog)->reject(); // public there, and virtual
        });
        platform::QtPrompts prompts;
        QCOMPARE(prompts.inputText("Password", prompt.toStdString(), "", true), std::nullopt);
        QCOMPARE(shownText, prompt);
        QCOMPARE(format, Qt::PlainText);
    }

    void promptsSurviveTheirWindowClosingWhileTheyRun() {
        platform::QtPrompts prompts;
        for (int question = 0; question < 2; ++question) {
            auto window = std::make_unique<QWidget>();
            window->show();
            QApplication::setActiveWindow(window.get());
            QVERIFY(QTest::qWaitForWindowActive(window.get()));
            bool parented = false;
            whenDialogShows([&](QWidget* dialog) {
                parented = dialog->parentWidget() == window.get();
                if (parented)
                    window.reset(); // takes the dialog along
                else
                    qobject_cast<QDialog*>(dialog)->reject();
            });
            if (question == 0)
                QCOMPARE(prompts.inputText("Name", "Folder name", "x", false), std::nullopt);
            else
                QCOMPARE(prompts.message(PromptKind::Warning, "Caption", "Text",
                                         {PromptButton::Ok, PromptButton::Cancel},
                                         PromptButton::Ok),
                         PromptButton::None);
            QVERIFY(parented);
        }
    }

    void openFileUsesTheConvertedFilter() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = dir.filePath(QStringLiteral("album one.zip"));
        QFile(file).open(QIODevice::WriteOnly);
        QStringList filters;
        whenDialogShows([&](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            QVERIFY(dialog);
            filters = dialog->nameFilters();
            dialog->selectFile(file);
            static_cast<QDialog*>(dialog)->accept(); // public there, and virtual
        });
        platform::QtPrompts prompts;
        const auto chosen = prompts.openFile("Open", "Albums (*.zip)|*.zip|All files|*.*",
                                             dir.path().toStdString());
        QCOMPARE(chosen, std::optional<std::string>(file.toStdString()));
        QCOMPARE(filters, (QStringList{QStringLiteral("Albums (*.zip)"),
                                       QStringLiteral("All files (*.*)")}));
    }

    void pickFolderAnswersWithATrailingSlash() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        whenDialogShows([&](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            QVERIFY(dialog);
            dialog->selectFile(dir.path());
            static_cast<QDialog*>(dialog)->accept(); // public there, and virtual
        });
        platform::QtPrompts prompts;
        const auto chosen = prompts.pickFolder("Publish to", dir.path().toStdString());
        QCOMPARE(chosen, std::optional<std::string>(dir.path().toStdString() + "/"));

        whenDialogShows([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
        QCOMPARE(prompts.pickFolder("Publish to", dir.path().toStdString()), std::nullopt);
    }
};

QTEST_MAIN(QtPromptsDialogs)
#include "QtPromptsDialogs.moc"
