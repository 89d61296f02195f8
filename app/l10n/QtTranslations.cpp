#include "app/l10n/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace app {

QtTranslations::QtTranslations(QObject* parent) : QObject(parent) {}

QtTranslations::~QtTranslations() {
    if (translator_)
        QCoreApplication::removeTranslator(translator_);
}

bool QtTranslations::apply(const QString& languageId) {
    if (translator_) {
        QCoreApplication::removeTranslator(translator_);
        delete translator_;
        translator_ = nullptr;
    }
    auto* translator = new QTranslator(this);
    // "qt_<id>" gathers the catalogues of every Qt module.
    if (languageId.isEmpty() ||
        !translator->load(QLocale(languageId), QStringLiteral("qt"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    translator_ = translator;
    QCoreApplication::installTranslator(translator_);
    return true;
}

} // namespace app
