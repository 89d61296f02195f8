#include "app/ProductInfo.h"
#include "app/TerminationWatcher.h"
#include "app/commands/CommandSet.h"
#include "app/dialogs/frmAbout.h"
#include "app/dialogs/frmImportTemplate.h"
#include "app/dialogs/frmProgress.h"
#include "app/dialogs/frmSearchProgress.h"
#include "app/dialogs/frmStartupWizard.h"
#include "app/frames/ModelFrames.h"
#include "app/frmMain.h"
#include "app/l10n/ApplicationForms.h"
#include "app/l10n/FormTranslator.h"
#include "app/l10n/Localization.h"
#include "app/pages/AlbumScheme.h"
#include "app/pages/PreviewPane.h"

#include "model/Errors.h"
#include "model/FolderLayout.h"
#include "platform/ShellOpen.h"
#include "platform/SingleInstance.h"
#include "platform/UserStore.h"
#include "platform/gui/QtPrompts.h"
#include "publish/embed/frmEmbedWizard.h"
#include "publish/frmPublishing.h"
#include "publish/ftp/TfrmFtpModule.h"
#include "publish/ftp/TfrmFtpSetting.h"

#include <QApplication>
#include <QDir>

#include <cstdio>
#include <exception>
#include <optional>

namespace {

// Puts the process-wide prompts back however main ends.
struct PromptsInstalled {
    explicit PromptsInstalled(platform::Prompts* prompts) { platform::setPrompts(prompts); }
    ~PromptsInstalled() { platform::setPrompts(nullptr); }
};

// The exit code of an instance that may not work on the per-user folders: a second one ends
// at once, quietly, and leaves the running instance's working folders alone.
std::optional<int> refusedInstance(platform::SingleInstance& instance) {
    if (instance.tryAcquire())
        return std::nullopt;
    if (instance.heldByAnother())
        return 0;
    // Without the lock this instance cannot know that the working folders are its own;
    // saying so beats ending as silently as a second instance would.
    const QString text = QStringLiteral("Cannot create the lock file \"%1\".")
                             .arg(QDir::toNativeSeparators(instance.lockFilePath()));
    platform::prompts().message(platform::PromptKind::Error,
                                app::ProductInfo::title().toStdString(), text.toStdString(),
                                {platform::PromptButton::Ok}, platform::PromptButton::Ok);
    return 1;
}

app::CommandServices commandServices(app::TfrmMain& frmMain, app::FormTranslator& translator,
                                     publish::TfrmPublishing* frmPublishing,
                                     publish::TfrmFtpSetting* frmFtpSetting) {
    app::CommandServices services;
    services.showPublishing = [frmPublishing](const publish::PublishingValues& values,
                                              publish::PublishingHooks hooks) {
        frmPublishing->showFor(values, std::move(hooks));
    };
    services.editFtpSettings = [frmFtpSetting](app::FtpDefaults& values) {
        return frmFtpSetting->edit(values);
    };
    // The upload starts from the editor's FTP defaults (an empty folder is the login folder)
    // and the published folder; each window it opens gets the language in effect.
    services.showUploadWindow = [&frmMain, &translator](const publish::UploadRequest& request) {
        publish::TfrmFtpModule::upload(frmMain.ftpDefaults(), request.LocalFolder, &frmMain,
                                       [&translator](QWidget& form) {
                                           app::FormTranslator::MarkScope(&form);
                                           translator.TranslateForm(app::Localization(), &form);
                                       });
    };
    return services;
}

int run(QApplication& app) {
    platform::SingleInstance instance(app::ProductInfo::mutexName());
    if (const std::optional<int> code = refusedInstance(instance))
        return *code;
    struct FolderCleanup {
        platform::SingleInstance& lock;
        // The working folders are cleared before the lock is released, so a new instance
        // can never start filling them while this one still deletes.
        ~FolderCleanup() {
            model::FinishFolders(lock.isOwner());
            lock.release();
        }
    } cleanup{instance};
    // Whatever a crashed run left in the working folders belongs to no album now.
    model::ClearWorkingFolders();

    app::ApplicationForms forms;
    forms.Title = app::ProductInfo::title();
    // The task-bar caption has no window of its own here: it names the application.
    QCoreApplication::setApplicationName(app::ProductInfo::productName());
    QCoreApplication::setApplicationVersion(app::ProductInfo::version());

    app::FormTranslator translator(forms);
    platform::UserStore userStore;

    // The forms, in their fixed order; the main window first.
    app::MainWindowContext context;
    context.forms = &forms;
    context.translator = &translator;
    context.userStore = &userStore;
    app::TfrmMain frmMain(std::move(context));
    frmMain.setObjectName(QStringLiteral("frmMain"));
    forms.add(&frmMain);
    auto* frmImportTemplate = new app::TfrmImportTemplate(&frmMain);
    forms.add(frmImportTemplate);
    auto* frmProgress = new app::TfrmProgress(&frmMain);
    forms.add(frmProgress);
    auto* frmSearchProgress = new app::TfrmSearchProgress(&frmMain);
    forms.add(frmSearchProgress);
    auto* frmStartupWizard = new app::TfrmStartupWizard(&frmMain);
    forms.add(frmStartupWizard);
    // The hidden models of the settings frames and of the image preview.
    app::ModelFrames modelFrames(forms);
    auto* frmEmbedWizard = new publish::TfrmEmbedWizard(&frmMain);
    forms.add(frmEmbedWizard);
    auto* frmPublishing = new publish::TfrmPublishing(frmEmbedWizard, &frmMain);
    forms.add(frmPublishing);
    auto* frmFtpSetting = new publish::TfrmFtpSetting(&frmMain);
    forms.add(frmFtpSetting);
    auto* frmAbout = new app::TfrmAbout(&frmMain);
    frmAbout->OpenLink = [](const QString& link) { platform::shellOpen(link); };
    forms.add(frmAbout);

    frmMain.setCommands(std::make_unique<app::CommandSet>(
        frmMain, frmMain.actions(),
        commandServices(frmMain, translator, frmPublishing, frmFtpSetting)));

    app::TerminationWatcher watcher([&frmMain] { frmMain.close(); });
    frmMain.show();
    return app.exec();
}

} // namespace

int main(int argc, char* argv[]) {
    // Module initialisations: the localisation engine, then the folders.
    app::Localization();
    QString folderError;
    try {
        model::InitFolders();
    } catch (const model::FileError& e) {
        folderError = e.message();
    }

    // The browser engine takes its schemes before the application object exists.
    app::AlbumScheme::registerScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    platform::QtPrompts prompts;
    PromptsInstalled installed(&prompts);
    if (!folderError.isEmpty()) {
        platform::prompts().message(
            platform::PromptKind::Error, app::ProductInfo::title().toStdString(),
            folderError.toStdString(), {platform::PromptButton::Ok}, platform::PromptButton::Ok);
        return 1;
    }
    try {
        return run(app);
    } catch (const std::exception& e) {
        // Caught here so that the working folders are cleared and the lock released on the
        // way out, as after a normal end.
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
