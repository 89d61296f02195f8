#pragma once

#include <QString>

namespace publish {

// The FTP defaults that publishing and uploading start from. The main window keeps them and
// stores them; the FTP dialogs get and give back plain copies.
struct FtpDefaults {
    QString Host;
    QString User;
    QString Password;
    QString Dir;
    QString TransferMode = QStringLiteral("active"); // "active" or "passive"

    bool operator==(const FtpDefaults&) const = default;
};

} // namespace publish
