// Cancel while the connection test or the upload window is still looking up the host name,
// connecting or logging in: the program answers input again at once. Runs itself again in a
// private network and mount namespace where the name server swallows every query and one
// address swallows every connection attempt.

#include "FtpTestServer.h"

#include "publish/ftp/TfrmFtpModule.h"
#include "publish/ftp/TfrmFtpSetting.h"

#include "tests/support/ScriptedPrompts.h"

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

namespace {

constexpr const char* InNamespace = "FZ_FTP_TEST_IN_NAMESPACE";
// Queries to it go into a tunnel nobody reads; so do connections to it.
constexpr const char* Void = "10.9.9.1";

// Runs this executable's `function` again in the private namespace; false (after skipping)
// where no such namespace can be made.
bool runInNamespace(const char* function, QByteArray& output, int& exitCode) {
    QTemporaryDir dir;
    writeFile(dir.filePath("hosts"), "127.0.0.1 localhost\n");
    // The lookup gives up after 3 s: it is still running when the test cancels, and over
    // before the test ends, so that what it leaves behind runs under the test's eyes.
    writeFile(dir.filePath("resolv.conf"),
              QByteArray("nameserver ") + Void + "\noptions timeout:3 attempts:1\n");
    const QString setUp =
        QStringLiteral("ip link set lo up && ip tuntap add dev t0 mode tun && ip link set t0 up "
                       "&& ip addr add 10.9.9.2/24 dev t0 && mount --bind '%1' /etc/hosts && "
                       "mount --bind '%2' /etc/resolv.conf || exit 77; exec \"$0\" \"$1\"")
            .arg(dir.filePath("hosts"), dir.filePath("resolv.conf"));
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(InNamespace), "1");
    run.setProcessEnvironment(env);
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start("unshare", {"-rnm", "sh", "-c", setUp, QCoreApplication::applicationFilePath(),
                          QString::fromLatin1(function)});
    if (!run.waitForFinished(120000) || run.exitStatus() != QProcess::NormalExit) {
        output = "the run in the namespace did not end";
        exitCode = -1;
        return true;
    }
    output = run.readAll();
    exitCode = run.exitCode();
    return !(exitCode == 77 || output.contains("unshare: "));
}

} // namespace

class TestFtpCancelStages : public QObject {
    Q_OBJECT

private slots:
    void cancelFreesTheProgramAtEveryStage() {
        if (qEnvironmentVariableIsEmpty(InNamespace)) {
            QByteArray output;
            int exitCode = 0;
            if (!runInNamespace("cancelFreesTheProgramAtEveryStage", output, exitCode))
                QSKIP(qPrintable("no private network here: " + QString::fromUtf8(output)));
            QVERIFY2(exitCode == 0, output.constData());
            QVERIFY2(output.contains("Totals: 3 passed, 0 failed"), output.constData());
            return;
        }
        platform::ScriptedPrompts prompts;
        platform::setPrompts(&prompts);
        HostileServer silent(QStringLiteral("no-greeting"));
        QVERIFY(silent.port());
        QTemporaryDir local;
        enum class Stage { Lookup, Connect, Login };
        struct Row {
            Stage stage;
            bool inWindow;
            bool byEsc;
        } const rows[] = {
            {Stage::Lookup, false, true},   {Stage::Lookup, true, false},
            {Stage::Connect, false, false}, {Stage::Connect, true, true},
            {Stage::Login, false, true},    {Stage::Login, true, false},
        };
        for (const Row& row : rows) {
            const QString host = row.stage == Stage::Lookup    ? QStringLiteral("slow.example.com")
                                 : row.stage == Stage::Connect ? QString::fromLatin1(Void)
                                                               : QStringLiteral("127.0.0.1");
            const quint16 port = row.stage == Stage::Login ? silent.port() : 21;
            const FtpDefaults defaults{host, "u", "p", {}, "passive"};
            std::unique_ptr<QDialog> form;
            const char* cancelButton = "btnCancel";
            if (row.inWindow) {
                auto window =
                    std::make_unique<TfrmFtpModule>(defaults, local.path(), nullptr, port);
                window->Timeout = std::chrono::seconds(60); // only the cancel ends the wait
                cancelButton = "btnClose";
                form = std::move(window);
            } else {
                auto dialog = std::make_unique<TfrmFtpSetting>();
                dialog->TestPort = port;
                dialog->TestTimeout = std::chrono::seconds(60);
                dialog->setDefaults(defaults);
                form = std::move(dialog);
            }
            QElapsedTimer clock;
            qint64 cancelledAt = -1;
            // The longest the program went without handling an event since the cancel.
            qint64 lastTick = 0;
            qint64 longestGap = 0;
            QTimer ticker;
            QObject::connect(&ticker, &QTimer::timeout, [&] {
                const qint64 now = clock.elapsed();
                if (cancelledAt >= 0)
                    longestGap = std::max(longestGap, now - std::max(lastTick, cancelledAt));
                lastTick = now;
            });
            ticker.start(10);
            QTimer::singleShot(1000, form.get(), [&] {
                cancelledAt = clock.elapsed();
                if (row.byEsc)
                    QTest::keyClick(form.get(), Qt::Key_Escape);
                else
                    form->findChild<QPushButton*>(QString::fromLatin1(cancelButton))->click();
            });
            clock.start();
            form->show();
            if (!row.inWindow)
                static_cast<TfrmFtpSetting*>(form.get())->bbTestConnectionClick();
            // Until a tick well after the cancel has measured the gap before it.
            QTRY_VERIFY_WITH_TIMEOUT(cancelledAt >= 0 && lastTick > cancelledAt + 600, 20000);
            const QString title = QStringLiteral("stage %1, %2, %3")
                                      .arg(int(row.stage))
                                      .arg(row.inWindow ? "upload window" : "connection test")
                                      .arg(row.byEsc ? "Esc" : "Cancel");
            QVERIFY2(longestGap < 500,
                     qPrintable(title + QStringLiteral(": %1 ms").arg(longestGap)));
            QVERIFY2(!form->isVisible(), qPrintable(title));
            if (!row.inWindow)
                QVERIFY2(form->findChild<QLabel*>("lbTestResult")->text().contains("cancelled"),
                         qPrintable(title));
            // The form goes while its lookup still runs.
        }
        // The lookups, first in the table, have ended during the later rows, long after their
        // forms went away.
        QVERIFY(prompts.calls().empty());
        platform::setPrompts(nullptr);
    }
};

QTEST_MAIN(TestFtpCancelStages)
#include "tst_FtpCancelStages.moc"
