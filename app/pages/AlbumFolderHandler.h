#pragma once

#include <QString>
#include <QWebEngineUrlSchemeHandler>

#include <functional>

namespace app {

// Answers the album scheme's requests with the files of the working folder: nothing above it,
// nothing a link leads to outside it, nothing hidden, no listing. Files are read as the page
// takes them, in parts when it asks for a range (music), never whole into memory.
class AlbumFolderHandler : public QWebEngineUrlSchemeHandler {
public:
    // `folder` names the working folder each time it is asked.
    AlbumFolderHandler(std::function<QString()> folder, QObject* parent);

    void requestStarted(QWebEngineUrlRequestJob* job) override;

private:
    std::function<QString()> folder_;
};

} // namespace app
