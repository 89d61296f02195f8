#pragma once

#include "app/FtpDefaults.h"

#include <QString>

namespace app {

// "brimlogallery.ini" in the program folder, section "Settings". It holds the FTP password
// in plain text, so the file is readable by its owner only. Each write goes to the file at
// once, replacing it atomically.
class SettingsFile {
public:
    static QString fileName() { return QStringLiteral("brimlogallery.ini"); }

    explicit SettingsFile(const QString& programFolder);

    QString path() const { return path_; }

    // Creates the file with the five defaults when it does not exist. False when it cannot.
    bool createIfMissing();
    // The five keys, each with its default when missing.
    FtpDefaults read() const;
    // Writes the five keys in order; false when the file cannot be written, and diskFull, when
    // given, then says whether its disk was full.
    bool write(const FtpDefaults& values, bool* diskFull = nullptr);

private:
    QString path_;
};

} // namespace app
