#pragma once

#include "publish/ftp/FtpDefaults.h"
#include "publish/ftp/FtpSession.h"

#include <QDialog>

#include <chrono>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace publish {

// "Ftp Setting": edits the five FTP defaults and tests a connection with the values typed.
// The test pumps events while it waits, so that the dialog stays usable and can be closed.
// The caller puts its values in, shows the dialog modally and takes them back on OK; the
// dialog itself writes no file. It is made once and reused.
class TfrmFtpSetting : public QDialog {
    Q_OBJECT

public:
    explicit TfrmFtpSetting(QWidget* parent = nullptr);

    // The five fields.
    QString Host;
    QString User;
    QString Password;
    QString DefaultDir;
    QString TransferMode;

    void setDefaults(const FtpDefaults& values);
    FtpDefaults defaults() const;
    // Shows the dialog on `values`; on OK they take the edited values. True on OK.
    bool edit(FtpDefaults& values);

    // Where the connection test connects: always 21 for users, a local server in tests.
    quint16 TestPort = 21;
    // The total deadline of each reply of the test; tests shorten it.
    std::chrono::milliseconds TestTimeout = FtpSession::DefaultTimeout;

    void btnOkClick();
    void bbTestConnectionClick();
    // Closing while a test waits for the server ends that wait at once.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // False (after saying so) when the host names a scheme.
    bool hostIsPlain();

    QLineEdit* edFtpHost;
    QLineEdit* edLogin;
    QLineEdit* medPasswd;
    QLineEdit* edDefHostDir;
    QLabel* lbDetectHostDirectory;
    QRadioButton* rbTransferModeActive;
    QRadioButton* rbTransferModePassive;
    QLabel* lbTestResult;
    QPushButton* bbTestConnection;
    // The switch of the test that runs, if one does.
    std::shared_ptr<FtpAbortSwitch> testAbort_;
};

} // namespace publish
