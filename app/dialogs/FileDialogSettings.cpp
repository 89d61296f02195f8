#include "app/dialogs/FileDialogSettings.h"

namespace app {

FileDialogSettings::FileDialogSettings(const QString& name, const QString& filter, QObject* parent)
    : QObject(parent), Filter(filter) {
    setObjectName(name);
}

} // namespace app
