// Cancel while the connection test or the upload window is still looking up the host name,
// connecting or logging in: the program answers input again at once. Runs itself again in a
// private network and mount namespace where the name server swallows every query and one
// address swallows every connection attempt.

#include "FtpTestServer.h"

#include "publish/ftp/TfrmFtpModule.h"
#include "publish/ftp/TfrmFtpSetting.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace ftptest;
using publish::FtpDefaults;
using publish::TfrmFtpModule;
using publish::TfrmFtpSetting;

// Queries to it go into a tunnel nobody reads; so do connections to it.
constexpr const char* Void = "10.9.9.1";

class TestFtpCancelStages : public QObject {
    Q_OBJECT

private slots:
    void cancelFreesTheProgramAtEveryStage() {
        if (!inPrivateNetwork()) {
            // The lookup gives up after 3 s: it still runs when the test cancels, and ends
            // while the test goes on, so that what it leaves behind runs under watch.
            const auto run = runInPrivateNetwork(
                {"cancelFreesTheProgramAtEveryStage"}, "127.0.0.1 localhost\n",
                QByteArray("nameserver ") + Void + "\noptions timeout:3 attempts:1\n");
            if (!run)
                QSKIP("no private network here");
            QVERIFY2(run->first == 0, run->second.constData());
            QVERIFY2(run->second.contains("Totals: 3 passed, 0 failed"), run->second.constData());
            return;
        }
        HostileServer silent(QStringLiteral("no-greeting"));
        QTemporaryDir local;
        // The stage is the host's: a name nobody answers, an address that swallows
        // connections, a server that never greets.
        struct Row {
            const char* host;
            bool inWindow;
            bool byEsc;
        } const rows[] = {{"slow.example.com", false, true},
                          {"slow.example.com", true, false},
                          {Void, false, false},
                          {Void, true, true},
                          {"127.0.0.1", false, true},
                          {"127.0.0.1", true, false}};
        for (const Row& row : rows) {
            const QString title = QStringLiteral("%1 %2").arg(row.host).arg(row.inWindow);
            const quint16 port = row.host == std::string("127.0.0.1") ? silent.port() : 21;
            const FtpDefaults defaults{row.host, "u", "p", {}, "passive"};
            std::unique_ptr<QDialog> form;
            TfrmFtpSetting* dialog = nullptr;
            if (row.inWindow) {
                auto* window = new TfrmFtpModule(defaults, local.path(), nullptr, port);
                window->Timeout = std::chrono::seconds(60); // only the cancel ends the wait
                form.reset(window);
            } else {
                form.reset(dialog = new TfrmFtpSetting);
                dialog->TestPort = port;
                dialog->TestTimeout = std::chrono::seconds(60);
                dialog->setDefaults(defaults);
            }
            // The longest the program went without handling an event since the cancel.
            QElapsedTimer clock;
            qint64 cancelledAt = -1, lastTick = 0, longestGap = 0;
            QTimer ticker;
            QObject::connect(&ticker, &QTimer::timeout, [&] {
                if (cancelledAt >= 0)
                    longestGap =
                        std::max(longestGap, clock.elapsed() - std::max(lastTick, cancelledAt));
                lastTick = clock.elapsed();
            });
            ticker.start(10);
            QTimer::singleShot(1000, form.get(), [&] {
                cancelledAt = clock.elapsed();
                if (row.byEsc)
                    QTest::keyClick(form.get(), Qt::Key_Escape);
                else
                    form->findChild<QPushButton*>(row.inWindow ? "btnClose" : "btnCancel")->click();
            });
            clock.start();
            form->show();
            if (dialog)
                dialog->bbTestConnectionClick();
            // Until a tick well after the cancel has measured the gap before it.
            QTRY_VERIFY_WITH_TIMEOUT(cancelledAt >= 0 && lastTick > cancelledAt + 600, 20000);
            QVERIFY2(longestGap < 500,
                     qPrintable(title + QStringLiteral(": %1 ms").arg(longestGap)));
            QVERIFY2(!form->isVisible(), qPrintable(title));
            QVERIFY2(!dialog ||
                         dialog->findChild<QLabel*>("lbTestResult")->text().contains("cancelled"),
                     qPrintable(title));
            // The form goes while its lookup still runs; the lookups, first in the table, end
            // during the later rows.
        }
    }
};

QTEST_MAIN(TestFtpCancelStages)
#include "tst_FtpCancelStages.moc"
