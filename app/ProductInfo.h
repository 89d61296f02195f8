#pragma once

#include "publish/PublishTexts.h"

#include <QString>

namespace app {

// The names the program shows for itself.
struct ProductInfo {
    static QString title() { return publish::PublishTexts::programName(); }
    static QString productName() { return QStringLiteral("Brimlo Lumivex"); }
    static QString version() { return QStringLiteral("2.96"); }
    static QString publisher() { return QStringLiteral("Brimlo Lumivex"); }
    static QString website() { return QStringLiteral("https://www.brimlolumivex.example/"); }
    static QString supportAddress() { return QStringLiteral("support@brimlolumivex.example"); }
    // The name of the lock that keeps a second instance from starting.
    static QString mutexName() {
        return QStringLiteral("brimlogallery+{F8113DD6-75E5-4077-BFBE-3D1FEC9EA709}");
    }
};

} // namespace app
