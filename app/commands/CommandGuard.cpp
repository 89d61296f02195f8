#include "app/commands/CommandGuard.h"

#include "app/commands/MessageBoxes.h"

#include "model/Errors.h"
#include "publish/HandlerGuard.h"
#include "zip/ZAExcept.h"

#include <QAction>
#include <QDir>

#include <exception>

namespace app {

void showError(const QString& text) {
    MessageBoxes::error(text);
}

QString fileFailureText(const QString& file, const std::exception& error) {
    if (const auto* full = dynamic_cast<const model::DiskFullError*>(&error))
        return publish::diskFullText(full->path());
    return QStringLiteral("%1\n\n%2")
        .arg(QDir::toNativeSeparators(file), QString::fromUtf8(error.what()));
}

int systemErrorOf(const std::exception& error) {
    const auto* engine = dynamic_cast<const zip::EZAException*>(&error);
    return engine ? engine->SystemError() : 0;
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
