#pragma once

#include <QByteArray>

namespace app {

// The browser engine's switches that keep the album preview off the network, handed to the
// engine through the environment variable it reads once, when it starts:
// - it resolves no host name for any purpose (a name asked of the system's resolver leaves
//   the machine, and the name can carry what the page read), and so connects nowhere;
// - it sends WebRTC over no UDP, which needs no name to reach an address.
// The user's own switches in that variable are kept, but none of them can undo these: the
// ones that set the same thing are dropped.
class EngineSwitches {
public:
    // Sets the variable while it lives: make the program's first web engine object meanwhile.
    // Programs started later (the user's browser) inherit the environment as it was.
    EngineSwitches();
    ~EngineSwitches();
    EngineSwitches(const EngineSwitches&) = delete;
    EngineSwitches& operator=(const EngineSwitches&) = delete;

    // The value the engine is handed, given the user's value of the variable.
    static QByteArray merged(const QByteArray& users);

private:
    QByteArray previous_;
    bool wasSet_ = false;
};

} // namespace app
