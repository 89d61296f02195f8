#include "app/commands/CommandGuard.h"

#include "app/commands/MessageBoxes.h"

#include "publish/HandlerGuard.h"

#include <QAction>
#include <QDir>

#include <exception>

namespace app {

void showError(const QString& text) {
    MessageBoxes::error(text);
}

QString fileFailureText(const QString& file, const std::exception& error) {
    return QStringLiteral("%1\n\n%2")
        .arg(QDir::toNativeSeparators(file), QString::fromUtf8(error.what()));
}

bool guarded(const std::function<void()>& command) {
    return publish::runGuarded(command, showError);
}

void onTriggered(QAction* action, QObject* receiver, std::function<void()> command) {
    if (!action)
        return;
    QObject::connect(action, &QAction::triggered, receiver,
                     [command = std::move(command)] { guarded(command); });
}

} // namespace app
