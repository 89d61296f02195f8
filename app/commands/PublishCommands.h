#pragma once

#include "app/FtpDefaults.h"

#include <QObject>

#include <functional>

namespace app {

class EditorContext;
struct MainActions;

// Publishing the album and the FTP defaults that uploading starts from.
class PublishCommands : public QObject {
    Q_OBJECT

public:
    // `editFtpSettings` shows the FTP settings dialog on the values and says whether the user
    // pressed OK.
    using FtpSettingsEditor = std::function<bool(FtpDefaults&)>;

    PublishCommands(EditorContext& editor, const MainActions& actions,
                    FtpSettingsEditor editFtpSettings, QObject* parent = nullptr);

    // Edits the FTP defaults; on OK they are kept and written to the settings file.
    void acOptionsFtpSettingExecute();

private:
    EditorContext& editor_;
    FtpSettingsEditor editFtpSettings_;
};

} // namespace app
