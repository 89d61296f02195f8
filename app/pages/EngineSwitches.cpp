#include "app/pages/EngineSwitches.h"

#include <QList>

namespace app {

namespace {

const char* const kVariable = "QTWEBENGINE_CHROMIUM_FLAGS";

// Ours, one argument each. The engine maps every host name to "not found", IP addresses
// included, so that it looks up no name and opens no connection, a proxy's as well; and
// WebRTC, which sends to IP addresses over UDP without a look-up, may use no UDP but through
// a proxy, of which there is none.
const QList<QByteArray>& ours() {
    static const QList<QByteArray> switches = {
        "--host-resolver-rules=MAP * ~NOTFOUND",
        "--force-webrtc-ip-handling-policy=disable_non_proxied_udp",
    };
    return switches;
}

// Switches of the user's that set what ours set or go around it, by name (letter case
// ignored).
bool overrides(const QByteArray& argument) {
    static const QList<QByteArray> names = {
        "host-resolver-rules",
        "host-rules",
        "force-webrtc-ip-handling-policy",
    };
    // The engine takes "--name", "-name", each with "=value" or without.
    QByteArray name = argument;
    if (name.startsWith("--"))
        name.remove(0, 2);
    else if (name.startsWith('-'))
        name.remove(0, 1);
    else
        return false;
    if (const qsizetype equals = name.indexOf('='); equals >= 0)
        name.truncate(equals);
    name = name.toLower();
    return names.contains(name);
}

// The variable's arguments as the engine splits them: blanks separate, double quotes group
// (blanks included) and are dropped.
QList<QByteArray> split(const QByteArray& value) {
    QList<QByteArray> arguments;
    QByteArray argument;
    bool quoted = false;
    bool started = false;
    for (const char c : value) {
        if (c == '"') {
            quoted = !quoted;
            started = true;
        } else if (c == ' ' && !quoted) {
            if (started && !argument.isEmpty())
                arguments << argument;
            argument.clear();
            started = false;
        } else {
            argument += c;
            started = true;
        }
    }
    if (!argument.isEmpty())
        arguments << argument;
    return arguments;
}

// An argument the engine reads back as one.
QByteArray joined(const QList<QByteArray>& arguments) {
    QByteArray value;
    for (const QByteArray& argument : arguments) {
        if (!value.isEmpty())
            value += ' ';
        const qsizetype equals = argument.indexOf('=');
        if (!argument.contains(' '))
            value += argument;
        else if (equals < 0)
            value += '"' + argument + '"';
        else // the value in quotes, as a user writes it
            value += argument.left(equals + 1) + '"' + argument.mid(equals + 1) + '"';
    }
    return value;
}

} // namespace

QByteArray EngineSwitches::merged(const QByteArray& users) {
    // Ours first: the engine stops reading switches at a lone "--", and of one switch given
    // twice it keeps the last.
    QList<QByteArray> arguments = ours();
    for (const QByteArray& argument : split(users))
        if (!overrides(argument))
            arguments << argument;
    return joined(arguments);
}

EngineSwitches::EngineSwitches()
    : previous_(qgetenv(kVariable)), wasSet_(qEnvironmentVariableIsSet(kVariable)) {
    qputenv(kVariable, merged(previous_));
}

EngineSwitches::~EngineSwitches() {
    if (wasSet_)
        qputenv(kVariable, previous_);
    else
        qunsetenv(kVariable);
}

} // namespace app
