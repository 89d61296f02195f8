#pragma once

// Helpers shared by the picture tests: fixtures, scratch folders and the outside
// tools (the IJG tools and ImageMagick) that check our results independently.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace imagetest {

inline QString fixture(const QString& name) {
    return QStringLiteral(FZ_TEST_DATA "/images/") + name;
}

inline QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

inline void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// Every entry of a folder, hidden ones too (a left-over temporary file shows up here).
inline QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// The ImageMagick convert binary itself; /usr/bin first so that nothing else stands in.
inline QString convertTool() {
    if (QFile::exists(QStringLiteral("/usr/bin/convert")))
        return QStringLiteral("/usr/bin/convert");
    return QStandardPaths::findExecutable(QStringLiteral("convert"));
}

// Runs a tool and returns its standard output, or nothing when it fails or is missing.
inline std::optional<QByteArray> runTool(const QString& program, const QStringList& arguments) {
    const QString path =
        program.startsWith(u'/') ? program : QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return std::nullopt;
    QProcess process;
    process.start(path, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}

// Decodes a JPEG with djpeg, not with our own decoder.
inline QImage decodeWithDjpeg(const QString& path) {
    const auto pnm = runTool(QStringLiteral("djpeg"), {QStringLiteral("-pnm"), path});
    if (!pnm)
        return {};
    return QImage::fromData(*pnm).convertToFormat(QImage::Format_RGB888);
}

// Decodes any picture with ImageMagick.
inline QImage decodeWithImageMagick(const QString& path) {
    const auto ppm =
        runTool(convertTool(), {path + QStringLiteral("[0]"), QStringLiteral("ppm:-")});
    if (!ppm)
        return {};
    return QImage::fromData(*ppm, "PPM").convertToFormat(QImage::Format_RGB888);
}

inline QString identify(const QString& format, const QString& path) {
    const auto out = runTool(QStringLiteral("identify"), {QStringLiteral("-format"), format, path});
    return out ? QString::fromUtf8(*out).trimmed() : QString();
}

inline bool near(QRgb actual, QRgb expected, int tolerance) {
    return std::abs(qRed(actual) - qRed(expected)) <= tolerance &&
           std::abs(qGreen(actual) - qGreen(expected)) <= tolerance &&
           std::abs(qBlue(actual) - qBlue(expected)) <= tolerance;
}

inline std::string rgbText(QRgb c) {
    return "(" + std::to_string(qRed(c)) + "," + std::to_string(qGreen(c)) + "," +
           std::to_string(qBlue(c)) + ")";
}

// The fixtures' three bands of 16 rows: red, green, blue from the top.
inline void expectBands(const QImage& image, int tolerance) {
    ASSERT_EQ(image.size(), QSize(64, 48));
    const struct {
        int row;
        QRgb colour;
    } probes[] = {{2, qRgb(255, 0, 0)},  {8, qRgb(255, 0, 0)},  {20, qRgb(0, 255, 0)},
                  {24, qRgb(0, 255, 0)}, {40, qRgb(0, 0, 255)}, {46, qRgb(0, 0, 255)}};
    for (const auto& probe : probes)
        for (int x : {1, 31, 62}) {
            const QRgb c = image.pixel(x, probe.row);
            EXPECT_TRUE(near(c, probe.colour, tolerance))
                << "pixel (" << x << "," << probe.row << ") is " << rgbText(c) << ", expected "
                << rgbText(probe.colour);
        }
}

// A scratch folder with a trailing "/", as the album's folders have.
class ScratchFolder {
public:
    ScratchFolder() { EXPECT_TRUE(dir_.isValid()); }
    QString path() const { return dir_.path() + u'/'; }
    QString operator()(const QString& name) const { return path() + name; }

private:
    QTemporaryDir dir_;
};

} // namespace imagetest
