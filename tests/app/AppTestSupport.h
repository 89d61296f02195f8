#pragma once

// Shared set-up of the widget tests: a private program folder and per-user folders under a
// temporary folder, scripted prompts, and a main window whose preview only records.

#include "app/commands/CommandSet.h"
#include "app/frmMain.h"
#include "app/l10n/ApplicationForms.h"
#include "app/l10n/FormTranslator.h"
#include "app/l10n/Localization.h"
#include "tests/support/ProgramDialogs.h"
#include "tests/support/RecordingPreviewPane.h"

#include "model/FolderLayout.h"
#include "platform/UserStore.h"
#include "tests/support/ScriptedPrompts.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <memory>

namespace apptest {

inline bool copyTree(const QString& from, const QString& to) {
    QDir source(from);
    if (!source.exists())
        return false;
    QDir().mkpath(to);
    for (const QFileInfo& info :
         source.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString target = to + u'/' + info.fileName();
        if (info.isDir()) {
            if (!copyTree(info.filePath(), target))
                return false;
        } else if (!QFile::copy(info.filePath(), target)) {
            return false;
        }
    }
    return true;
}

inline void writeText(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(text);
}

template <class T = QAction> T* child(QObject& parent, const char* name) {
    return parent.findChild<T*>(QString::fromLatin1(name));
}
inline QAction* action(QObject& window, const char* name) {
    return child<QAction>(window, name);
}

// A program folder with the shipped languages and templates, the page template and the two
// pictures of "Files/", plus per-user folders; everything inside one temporary folder.
class TestEnvironment {
public:
    TestEnvironment() {
        const QString root = dir.path();
        for (const char* var : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"}) {
            const QString path = root + u'/' + QString::fromLatin1(var).toLower();
            QDir().mkpath(path);
            qputenv(var, path.toUtf8());
        }
        program = root + QStringLiteral("/prog/");
        copyTree(QStringLiteral(FZ_SOURCE_DIR "/resources/Languages"), program + "Languages");
        copyTree(QStringLiteral(FZ_SOURCE_DIR "/resources/Templates"), program + "Templates");
        copyTree(QStringLiteral(FZ_SOURCE_DIR "/resources/Files"), program + "Files");
        QImage noImage(64, 48, QImage::Format_RGB32);
        noImage.fill(QColor(200, 200, 200));
        noImage.save(program + "Files/NoImage.jpg", "JPEG");
        QImage galleryThumb(40, 30, QImage::Format_RGB32);
        galleryThumb.fill(QColor(240, 196, 90));
        galleryThumb.save(program + "Files/gallery_thumb.bmp", "BMP");
        model::Folders() =
            model::FolderLayout::compute(program, root + QStringLiteral("/xdg_data_home"));
        QDir().mkpath(model::Folders().PreviewFolder);
        QDir().mkpath(model::Folders().ThumbsFolder);
        store = std::make_unique<platform::UserStore>(
            platform::UserStore::atFile(root + QStringLiteral("/registry.ini")));
        platform::setPrompts(&prompts);
        app::Localization().Reset();
    }
    ~TestEnvironment() {
        platform::setPrompts(nullptr);
        app::Localization().Reset();
        model::Folders() = model::FolderLayout();
    }

    // The window's own requests (start-up wizard, close query, recent and move-to menus) as
    // the tests script them; each falls back to the real command when not set. The FTP
    // settings dialog answers through ftpSettings (none: Cancel), the publishing dialog
    // through publishing.
    class ScriptedCommands : public app::EditorCommands {
    public:
        ScriptedCommands(app::TfrmMain& window, TestEnvironment& env)
            : real(window, window.actions(), services(env)) {}
        static app::CommandServices services(TestEnvironment& env) {
            app::CommandServices s;
            s.editFtpSettings = [&env](app::FtpDefaults& values) {
                return env.ftpSettings ? env.ftpSettings(values) : false;
            };
            s.showPublishing = [&env](const publish::PublishingValues& values,
                                      publish::PublishingHooks hooks) {
                if (env.publishing)
                    env.publishing(values, std::move(hooks));
            };
            return s;
        }
        void ShowStartupWizard() override {
            showStartupWizard ? showStartupWizard() : real.ShowStartupWizard();
        }
        bool CloseAlbum() override { return closeAlbum ? closeAlbum() : real.CloseAlbum(); }
        void OpenRecentAlbum(const QString& file) override {
            openRecentAlbum ? openRecentAlbum(file) : real.OpenRecentAlbum(file);
        }
        void MovePhotoTo(model::TpaTreeNode* target) override {
            movePhotoTo ? movePhotoTo(target) : real.MovePhotoTo(target);
        }

        app::CommandSet real;
        // The real wizard is modal: a test that wants it calls real.ShowStartupWizard().
        std::function<void()> showStartupWizard = [] {};
        std::function<bool()> closeAlbum;
        std::function<void(const QString&)> openRecentAlbum;
        std::function<void(model::TpaTreeNode*)> movePhotoTo;
    };

    // A main window as the program makes it, with a preview that records and the command
    // groups connected; `commands` scripts the window's own requests.
    std::unique_ptr<app::TfrmMain> makeMainWindow() {
        app::MainWindowContext context;
        context.forms = &forms;
        context.translator = &translator;
        context.userStore = store.get();
        auto pane = std::make_unique<app::RecordingPreviewPane>(nullptr);
        recorder = pane.get();
        context.preview = std::move(pane);
        auto window = std::make_unique<app::TfrmMain>(std::move(context));
        window->setObjectName(QStringLiteral("frmMain"));
        forms.add(window.get());
        app::addProgramDialogs(forms, window.get());
        auto scripted = std::make_unique<ScriptedCommands>(*window, *this);
        commands = scripted.get();
        window->setCommands(std::move(scripted));
        return window;
    }

    // Loads the sample template's album into the window's album.
    void loadSampleAlbum(app::TfrmMain& window) {
        copyTree(program + "Templates/fz-simple", model::Folders().PreviewFolder);
        window.album().LoadFromXml(model::Folders().PreviewFolder + "data.xml");
    }

    QTemporaryDir dir;
    QString program;
    platform::ScriptedPrompts prompts;
    std::unique_ptr<platform::UserStore> store;
    app::ApplicationForms forms;
    app::FormTranslator translator{forms};
    app::RecordingPreviewPane* recorder = nullptr;
    ScriptedCommands* commands = nullptr; // of the window made last
    std::function<bool(app::FtpDefaults&)> ftpSettings;
    // The publishing dialog after a publish (none: it is not shown).
    std::function<void(const publish::PublishingValues&, publish::PublishingHooks)> publishing;
};

} // namespace apptest
