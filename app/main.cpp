#include "model/Errors.h"
#include "model/Globals.h"
#include "platform/QtPrompts.h"
#include "platform/SingleInstance.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    // The folders come first: everything after relies on them.
    QString folderError;
    try {
        model::InitFolders();
    } catch (const model::FileError& e) {
        folderError = e.message();
    }

    QApplication app(argc, argv);
    platform::QtPrompts prompts;
    platform::setPrompts(&prompts);
    if (!folderError.isEmpty()) {
        platform::prompts().message(platform::PromptKind::Error, "Fotrenza",
                                    folderError.toStdString(), {platform::PromptButton::Ok},
                                    platform::PromptButton::Ok);
        platform::setPrompts(nullptr);
        return 1;
    }

    // A second instance ends at once and leaves the running one's working folders alone.
    platform::SingleInstance instance(
        QStringLiteral("brimlogallery+{F8113DD6-75E5-4077-BFBE-3D1FEC9EA709}"));
    if (!instance.tryAcquire()) {
        platform::setPrompts(nullptr);
        return 0;
    }
    // Whatever a crashed run left in the working folders belongs to no album now.
    model::ClearWorkingFolders();

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Fotrenza"));
    window.resize(1024, 700);
    window.show();
    const int result = app.exec();

    model::FinishFolders(instance.isOwner());
    instance.release();
    platform::setPrompts(nullptr);
    return result;
}
