#include "app/commands/HelpCommands.h"

#include "app/MainActions.h"
#include "app/ProductInfo.h"
#include "app/ViewContext.h"
#include "app/commands/CommandGuard.h"
#include "app/dialogs/frmAbout.h"
#include "app/l10n/ApplicationForms.h"

#include "model/FolderLayout.h"
#include "platform/ShellOpen.h"

#include <QFileInfo>

namespace app {

HelpCommands::HelpCommands(ViewContext& editor, const MainActions& actions, QObject* parent)
    : QObject(parent), editor_(editor) {
    onTriggered(actions.acHelpHelpContents, this, [this] { acHelpHelpContentsExecute(); });
    onTriggered(actions.acHelpContactSupport, this, [this] { acHelpContactSupportExecute(); });
    onTriggered(actions.acHelpAbout, this, [this] { acHelpAboutExecute(); });
}

void HelpCommands::acHelpHelpContentsExecute() {
    // Help installed beside the program, else the product's web site.
    const QString help = model::Folders().AppFolder + QStringLiteral("help/index.html");
    platform::shellOpen(QFileInfo(help).isFile() ? help : ProductInfo::website() + "help/");
}

void HelpCommands::acHelpContactSupportExecute() {
    platform::shellOpen(QStringLiteral("mailto:") + ProductInfo::supportAddress());
}

void HelpCommands::acHelpAboutExecute() {
    ApplicationForms* forms = editor_.forms();
    if (auto* about =
            forms ? qobject_cast<TfrmAbout*>(forms->find(QStringLiteral("frmAbout"))) : nullptr)
        about->exec();
}

} // namespace app
