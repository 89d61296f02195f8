#include "platform/ShellOpen.h"

#include <QDesktopServices>
#include <QFileInfo>

namespace platform {

namespace {

ShellOpenHook& hook() {
    static ShellOpenHook installed;
    return installed;
}

QString trimmedBelow33(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() < 33)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() < 33)
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

QUrl shellOpenUrl(const QString& target) {
    const QString trimmed = trimmedBelow33(target);
    if (trimmed.isEmpty())
        return {};
    if (QFileInfo::exists(trimmed))
        return QUrl::fromLocalFile(QFileInfo(trimmed).absoluteFilePath());
    return QUrl::fromUserInput(trimmed);
}

bool shellOpen(const QString& target) {
    const QUrl url = shellOpenUrl(target);
    if (url.isEmpty() || !url.isValid())
        return false;
    if (hook())
        return hook()(url);
    return QDesktopServices::openUrl(url);
}

ShellOpenHook setShellOpenHook(ShellOpenHook newHook) {
    ShellOpenHook previous = std::move(hook());
    hook() = std::move(newHook);
    return previous;
}

} // namespace platform
