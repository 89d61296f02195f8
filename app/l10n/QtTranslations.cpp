#include "app/l10n/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace app {

QtTranslations::QtTranslations(QObject* parent) : QObject(parent) {}

QtTranslations::~QtTranslations() {
    clear();
}

void QtTranslations::clear() {
    for (QTranslator* translator : translators_) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    translators_.clear();
}

bool QtTranslations::apply(const QString& languageId) {
    clear();
    if (languageId.isEmpty())
        return false;
    // "qt_<id>" gathers the catalogues of Qt's base modules; the web view's menus (Back,
    // Reload, View page source) come from Qt WebEngine's own.
    for (const QString& catalogue : {QStringLiteral("qt"), QStringLiteral("qtwebengine")}) {
        auto* translator = new QTranslator(this);
        if (!translator->load(QLocale(languageId), catalogue, QStringLiteral("_"),
                              QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            delete translator;
            continue;
        }
        QCoreApplication::installTranslator(translator);
        translators_.push_back(translator);
    }
    return !translators_.isEmpty();
}

} // namespace app
