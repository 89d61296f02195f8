#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace publish {

// Collects the lines of a folder listing as they arrive from the data connection, within caps
// that bound memory whatever the server sends: a line, the number of lines and the whole.
// Empty lines are dropped and a CR before the LF is taken off; names travel as UTF-8.
class ListingBuffer {
public:
    static constexpr qsizetype MaxLineBytes = 8 * 1024;
    static constexpr qsizetype MaxEntries = 100000;
    static constexpr qsizetype MaxTotalBytes = 16 * 1024 * 1024;

    // False once a cap is passed; error() then says which.
    bool append(const char* data, qsizetype size);
    // The lines, the last one included when it had no line end; false past a cap.
    bool finish();
    const QStringList& lines() const { return lines_; }
    const QString& error() const { return error_; }

private:
    bool addLine(QByteArray line);
    bool fail(const QString& message);

    QByteArray partial_;
    QStringList lines_;
    qsizetype total_ = 0;
    QString error_;
};

} // namespace publish
