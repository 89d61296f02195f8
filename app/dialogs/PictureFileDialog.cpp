#include "app/dialogs/PictureFileDialog.h"

#include "app/commands/MessageBoxes.h"
#include "app/dialogs/FileDialogSettings.h"

namespace app {

PictureFileDialog::PictureFileDialog(QWidget* parent, const FileDialogSettings& settings,
                                     const QString& folder, int room)
    : QFileDialog(parent), room_(room) {
    setObjectName(QStringLiteral("PictureFileDialog"));
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(settings.MultiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    setAcceptMode(QFileDialog::AcceptOpen);
    if (!settings.Title.isEmpty())
        setWindowTitle(settings.Title);
    setNameFilter(nameFilters(settings.Filter));
    if (!folder.isEmpty())
        setDirectory(folder);
}

QString PictureFileDialog::nameFilters(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(u';', Qt::SkipEmptyParts)) {
            patterns << pattern.trimmed();
            if (pattern.trimmed().toUpper() != pattern.trimmed())
                patterns << pattern.trimmed().toUpper();
        }
        QString description = parts[i];
        // Qt reads the patterns from a parenthesised list at the end; the description keeps
        // the one it shows and the real list follows.
        filters << description + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return filters.join(QStringLiteral(";;"));
}

void PictureFileDialog::accept() {
    const qsizetype chosen = selectedFiles().size();
    if (chosen > room_) {
        MessageBoxes::error(MessageBoxes::message(
            12, QStringLiteral("Sorry, but you may add only %d photo(s) to this level"),
            {qlonglong(room_)}));
        return;
    }
    QFileDialog::accept();
}

} // namespace app
