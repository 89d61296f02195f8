#pragma once

// A browser-engine view for the player tests: loads a page, runs script in it and waits for
// conditions, and keeps the page's script errors.

#include <QStringList>
#include <QUrl>
#include <QVariant>
#include <QWebEngineView>

namespace playertest {

class PlayerProbe {
public:
    PlayerProbe();

    QWebEngineView& view() { return view_; }
    // Loads the page and waits for it (false: it failed or timed out).
    bool load(const QUrl& url, int timeoutMs = 30000);
    // The value of a script expression (an invalid QVariant when it did not answer in time).
    QVariant eval(const QString& script, int timeoutMs = 10000);
    // Polls a script expression until it is true.
    bool waitFor(const QString& condition, int timeoutMs = 10000);
    // The text of every element the selector finds, in document order.
    QStringList texts(const QString& selector);
    // Waits for the album player to finish starting: "ready", "error", or empty when it did not.
    QString played(int timeoutMs = 10000);
    // Script errors reported by the page so far.
    QStringList errors() const;

private:
    QWebEngineView view_;
};

} // namespace playertest
