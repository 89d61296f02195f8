#include "app/commands/PublishCommands.h"

#include "app/EditorContext.h"
#include "app/MainActions.h"
#include "app/SettingsFile.h"
#include "app/commands/CommandGuard.h"

namespace app {

PublishCommands::PublishCommands(EditorContext& editor, const MainActions& actions,
                                 FtpSettingsEditor editFtpSettings, QObject* parent)
    : QObject(parent), editor_(editor), editFtpSettings_(std::move(editFtpSettings)) {
    onTriggered(actions.acOptionsFtpSetting, this, [this] { acOptionsFtpSettingExecute(); });
}

void PublishCommands::acOptionsFtpSettingExecute() {
    FtpDefaults values = editor_.ftpDefaults();
    if (!editFtpSettings_ || !editFtpSettings_(values))
        return;
    editor_.ftpDefaults() = values;
    if (!editor_.settingsFile().write(values))
        showError(QStringLiteral("Cannot write \"%1\".").arg(editor_.settingsFile().path()));
}

} // namespace app
