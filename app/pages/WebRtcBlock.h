#pragma once

#include <QByteArray>
#include <QString>
#include <QWebEngineScript>

namespace app {

// Keeps the album preview's pages from reaching the network by WebRTC, which goes around the
// request filter: STUN and TURN run on sockets of their own. Two locks, each enough alone: the
// page's script world has no peer connection in any frame, and the engine sends WebRTC over
// no UDP and through a proxy that nobody can run, so neither a STUN packet nor a TURN
// connection leaves.
class WebRtcBlock {
public:
    // Adds the engine's switches to what the engine reads when it starts, while it lives: make
    // the program's first web page meanwhile. Programs started later (the user's browser)
    // inherit the environment as it was.
    class EngineSwitches {
    public:
        EngineSwitches();
        ~EngineSwitches();
        EngineSwitches(const EngineSwitches&) = delete;
        EngineSwitches& operator=(const EngineSwitches&) = delete;

    private:
        QByteArray previous_;
        bool wasSet_ = false;
    };
    // A script that runs as every frame's document is created and removes the WebRTC objects.
    static QWebEngineScript pageScript();

    static const QString kScriptName;
};

} // namespace app
