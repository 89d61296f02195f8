#pragma once

#include "app/FtpDefaults.h"

#include "publish/PublishingValues.h"
#include "publish/frmPublishing.h"

#include <QObject>
#include <QStringList>

#include <functional>

namespace app {

class EditorContext;
struct MainActions;

// Publishing the album, previewing it in the browser, and the FTP defaults that uploading
// starts from.
class PublishCommands : public QObject {
    Q_OBJECT

public:
    // `editFtpSettings` shows the FTP settings dialog on the values and says whether the user
    // pressed OK.
    using FtpSettingsEditor = std::function<bool(FtpDefaults&)>;
    // Shows the publishing dialog modally with the values of a publish.
    using PublishingDialog =
        std::function<void(const publish::PublishingValues&, publish::PublishingHooks)>;
    // Shows the upload window for the published folder; empty while there is none.
    using UploadWindow = std::function<void(const publish::UploadRequest&)>;

    PublishCommands(EditorContext& editor, const MainActions& actions,
                    FtpSettingsEditor editFtpSettings, PublishingDialog showPublishing = {},
                    UploadWindow showUploadWindow = {}, QObject* parent = nullptr);

    // Edits the FTP defaults; on OK they are kept and written to the settings file.
    void acOptionsFtpSettingExecute();
    // Publishes the album into a folder the user picks; true when every file got there.
    bool PublishAlbum();
    void acViewPreviewInBrowserExecute();

    // The values the publishing dialog gets for a publish into `folder` ("…/").
    publish::PublishingValues publishingValues(const QString& folder) const;

private:
    // The same exchange as acOptionsFtpSettingExecute; true when the user pressed OK.
    bool editFtpSettings();
    // Publishes into `target` under the progress window; a copy that failed leaves the text
    // to report in `failure`.
    bool publishInto(const QString& target, QString& failure);
    // Writes "data.xml" and "index.html" of the working copy.
    void writePreviewFiles();
    // True when the folder is the working area or lies inside it.
    static bool insideWorkingArea(const QString& folder);
    static QString copyFailureText(const QString& target, const QStringList& failed);

    EditorContext& editor_;
    FtpSettingsEditor editFtpSettings_;
    PublishingDialog showPublishing_;
    UploadWindow showUploadWindow_;
};

} // namespace app
