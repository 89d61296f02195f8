#pragma once

#include <QList>
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

    // Replaces the catalogues in use by those of the language id ("de"); true when Qt has any.
    bool apply(const QString& languageId);

private:
    void clear();

    QList<QTranslator*> translators_;
};

} // namespace app
