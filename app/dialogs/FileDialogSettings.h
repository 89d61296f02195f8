#pragma once

#include <QObject>
#include <QString>

namespace app {

// The settings of one file dialog of a form, kept as a named object so that language files
// reach its texts ("...OpenDialog1.Filter"). The filter stays in "Desc|*.a;*.b" form.
class FileDialogSettings : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Filter MEMBER Filter)
    Q_PROPERTY(QString Title MEMBER Title)
    Q_PROPERTY(QString DefaultExt MEMBER DefaultExt)

public:
    FileDialogSettings(const QString& name, const QString& filter, QObject* parent);

    QString Filter;
    QString Title;
    QString DefaultExt;
    QString FileName;
    QString InitialDir;
    bool MultiSelect = false;
    bool MustExist = false;
};

} // namespace app
