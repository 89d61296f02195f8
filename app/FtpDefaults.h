#pragma once

#include <QString>

namespace app {

// The FTP defaults that publishing and uploading start from.
struct FtpDefaults {
    QString Host;
    QString User;
    QString Password;
    QString Dir;
    QString TransferMode = QStringLiteral("active"); // "active" or "passive"

    bool operator==(const FtpDefaults&) const = default;
};

} // namespace app
