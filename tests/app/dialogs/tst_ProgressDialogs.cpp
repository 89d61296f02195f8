#include "tests/app/AppTestSupport.h"

#include "app/dialogs/ProgressScope.h"
#include "app/dialogs/frmProgress.h"
#include "app/dialogs/frmSearchProgress.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include <stdexcept>

using namespace app;

class ProgressDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void cancelOnlyRaisesTheFlagAndTheWindowStays() {
        apptest::TestEnvironment env;
        auto main = env.makeMainWindow();
        TfrmProgress window(main.get());
        {
            ProgressScope scope(main->busyState(), window, "Saving Album",
                                "Saving album \"a\" ...");
            QVERIFY(window.isVisible());
            QCOMPARE(window.windowModality(), Qt::ApplicationModal);
            QVERIFY(!scope.cancelled());
            auto* cancel = window.findChild<QPushButton*>("btCancel");
            QVERIFY(cancel->isEnabled());
            QTest::mouseClick(cancel, Qt::LeftButton);
            QTest::mouseClick(cancel, Qt::LeftButton);
            QVERIFY(window.Cancelled);
            QVERIFY(window.isVisible());
            QTest::keyClick(&window, Qt::Key_Escape);
            QVERIFY(window.isVisible());
            QVERIFY(!window.close());
            QCloseEvent event;
            QApplication::sendEvent(&window, &event);
            QVERIFY(!event.isAccepted());
            QVERIFY(window.isVisible());

            // While the work runs, the main window's controls are blocked, but the window
            // itself is not disabled (that would disable the progress window too).
            QVERIFY(main->busyState().busy());
            QVERIFY(!main->centralWidget()->isEnabled());
            QVERIFY(!apptest::action(*main, "acFileNew")->isEnabled());
            QVERIFY(main->isEnabled());
            // A close request to the main window while the work runs is refused.
            QVERIFY(!main->close());
        }
        QVERIFY(!window.isVisible());
        QVERIFY(!main->busyState().busy());
        QVERIFY(main->centralWidget()->isEnabled());
        QVERIFY(apptest::action(*main, "acFileNew")->isEnabled());

        // Restoring the minimised window keeps the run's Cancel.
        {
            ProgressScope scope(main->busyState(), window, "Opening Album", "x");
            QTest::mouseClick(window.findChild<QPushButton*>("btCancel"), Qt::LeftButton);
            window.setWindowState(Qt::WindowMinimized);
            QCoreApplication::processEvents();
            window.setWindowState(Qt::WindowNoState);
            QCoreApplication::processEvents();
            QVERIFY(window.isVisible());
            QVERIFY(scope.cancelled());
            QVERIFY(!window.close());
        }

        // The next run starts uncancelled.
        {
            ProgressScope scope(main->busyState(), window, "Opening Album", "x");
            QVERIFY(!window.Cancelled);
            QCOMPARE(window.windowTitle(), QString("Opening Album"));
            QCOMPARE(window.position(), 0);
        }
    }

    void theSectionEndsAlsoWhenTheWorkThrows() {
        apptest::TestEnvironment env;
        auto main = env.makeMainWindow();
        TfrmProgress window(main.get());
        try {
            ProgressScope scope(main->busyState(), window, "c", "l");
            BusyScope inner(main->busyState()); // a refresh running inside the pump
            throw std::runtime_error("disk full");
        } catch (const std::runtime_error&) {
        }
        QVERIFY(!window.isVisible());
        QCOMPARE(main->busyState().depth(), 0);
        QVERIFY(main->centralWidget()->isEnabled());
    }

    void nestedBusySectionsEndWithTheOutermost() {
        apptest::TestEnvironment env;
        auto main = env.makeMainWindow();
        {
            BusyScope outer(main->busyState());
            {
                BusyScope inner(main->busyState());
                QCOMPARE(main->busyState().depth(), 2);
            }
            // The inner section must not hand the window back while the outer one works.
            QVERIFY(!main->centralWidget()->isEnabled());
            QVERIFY(!apptest::action(*main, "acFileOpen")->isEnabled());
        }
        QVERIFY(main->centralWidget()->isEnabled());
        QVERIFY(apptest::action(*main, "acFileOpen")->isEnabled());
    }

    void cancelDuringWorkThatPollsTheFlag() {
        apptest::TestEnvironment env;
        auto main = env.makeMainWindow();
        TfrmProgress window(main.get());
        int steps = 0;
        {
            ProgressScope scope(main->busyState(), window, "c", "l");
            QTimer::singleShot(0, &window, [&] {
                QTest::mouseClick(window.findChild<QPushButton*>("btCancel"), Qt::LeftButton);
            });
            for (; steps < 1000 && !scope.cancelled(); ++steps) {
                window.setPosition(steps / 10);
                pumpMessages();
            }
        }
        QVERIFY(steps < 1000);
    }

    void searchWindowShortensTheFolder() {
        TfrmSearchProgress window;
        window.show();
        const QString folder = "/home/user/" + QString(300, u'x') + "/photos";
        window.setCurrentDirectory(folder);
        auto* label = window.findChild<QLabel*>("lbCurrentDirectory");
        QVERIFY(label->text().size() < folder.size());
        QVERIFY(label->text().endsWith("photos"));
        QCOMPARE(label->textFormat(), Qt::PlainText);
        // The whole folder in the tool tip, shown as written even when it looks like markup.
        const QString marked = "/photos/<b>bold</b> & <i>more</i>";
        window.setCurrentDirectory(marked);
        QTextDocument tip;
        if (Qt::mightBeRichText(label->toolTip()))
            tip.setHtml(label->toolTip());
        else
            tip.setPlainText(label->toolTip());
        QCOMPARE(tip.toPlainText(), marked);
        QVERIFY(!window.close());
        window.finish();
        QVERIFY(!window.isVisible());
    }
};

QTEST_MAIN(ProgressDialogsTest)
#include "tst_ProgressDialogs.moc"
