#pragma once

#include <QObject>
#include <QString>

class QTranslator;

namespace app {

// Qt's own texts (standard buttons, file dialogs, context menus) in the language of the
// program: the catalogues Debian installs under Qt's translations folder. A language Qt has
// no catalogue for leaves its texts in English.
class QtTranslations : public QObject {
    Q_OBJECT

public:
    explicit QtTranslations(QObject* parent = nullptr);
    ~QtTranslations() override;

    // Replaces the catalogue in use by the one of the language id ("de"); true when Qt has one.
    bool apply(const QString& languageId);

private:
    QTranslator* translator_ = nullptr;
};

} // namespace app
