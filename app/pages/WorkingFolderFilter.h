#pragma once

#include <QString>
#include <QWebEngineUrlRequestInterceptor>

#include <functional>

namespace app {

// Lets the album preview read files of the working folder and nothing else: no other local
// file (by request, frame, picture or link inside the folder that leads out of it) and nothing
// from the network. The album's player comes from the album file, not from the program.
class WorkingFolderFilter : public QWebEngineUrlRequestInterceptor {
public:
    // `folder` names the working folder each time it is asked: an album may open in another.
    WorkingFolderFilter(std::function<QString()> folder, QObject* parent);

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
    // Whether the preview may read `url`.
    bool allows(const QUrl& url) const;

private:
    std::function<QString()> folder_;
};

} // namespace app
