#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace publish {

// Small private pages that send the user's browser on to an address: the browser is started
// with the page's name, so the address, and the secret in it, appear on no command line that
// another user can read. Each page is readable by its owner only and lies in the user's
// runtime folder (or the temporary folder); the pages go when this object does.
class ForwardPages {
public:
    ForwardPages() = default;
    ~ForwardPages();
    ForwardPages(const ForwardPages&) = delete;
    ForwardPages& operator=(const ForwardPages&) = delete;

    // The path of a new page that forwards to `address`; empty when none could be written.
    QString write(const QUrl& address);

    // The folder the pages go into.
    static QString folder();

private:
    QStringList written_;
};

} // namespace publish
