#include "tests/support/ProgramDialogs.h"

#include "app/dialogs/frmImportTemplate.h"
#include "app/dialogs/frmProgress.h"
#include "app/dialogs/frmSearchProgress.h"
#include "app/dialogs/frmStartupWizard.h"
#include "app/l10n/ApplicationForms.h"

namespace app {

void addProgramDialogs(ApplicationForms& forms, QWidget* window) {
    forms.add(new TfrmImportTemplate(window));
    forms.add(new TfrmProgress(window));
    forms.add(new TfrmSearchProgress(window));
    forms.add(new TfrmStartupWizard(window));
}

} // namespace app
