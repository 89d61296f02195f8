#include "publish/HandlerGuard.h"

#include "publish/PublishTexts.h"

#include "model/Errors.h"

#include "platform/sys/Prompts.h"

#include <exception>

namespace publish {

namespace {

platform::PromptButton box(platform::PromptKind kind, const QString& text,
                           const std::vector<platform::PromptButton>& buttons,
                           platform::PromptButton defaultButton) {
    return platform::prompts().message(kind, PublishTexts::programName().toStdString(),
                                       text.toStdString(), buttons, defaultButton);
}

} // namespace

QString diskFullText(const QString& path) {
    return PublishTexts::message(
        308,
        QStringLiteral("The disk is full: \"%s\" could not be written. Make room and try again."),
        {path});
}

bool runGuarded(const std::function<void()>& handler,
                const std::function<void(const QString&)>& report) {
    try {
        handler();
        return true;
    } catch (const model::DiskFullError& e) {
        report(diskFullText(e.path()));
    } catch (const std::exception& e) {
        report(QString::fromUtf8(e.what()));
    } catch (...) {
        report(PublishTexts::message(200, QStringLiteral("Unknown error")));
    }
    return false;
}

bool guardedHandler(const std::function<void()>& handler) {
    return runGuarded(handler, showErrorBox);
}

void showErrorBox(const QString& text) {
    using platform::PromptButton;
    box(platform::PromptKind::Error, text, {PromptButton::Ok}, PromptButton::Ok);
}

void showWarningBox(const QString& text) {
    using platform::PromptButton;
    box(platform::PromptKind::Warning, text, {PromptButton::Ok}, PromptButton::Ok);
}

void showInformationBox(const QString& text) {
    using platform::PromptButton;
    box(platform::PromptKind::Information, text, {PromptButton::Ok}, PromptButton::Ok);
}

bool confirm(const QString& text) {
    using platform::PromptButton;
    return box(platform::PromptKind::Confirmation, text, {PromptButton::Yes, PromptButton::No},
               PromptButton::No) == PromptButton::Yes;
}

} // namespace publish
