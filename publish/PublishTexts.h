#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace publish {

// The texts that the publishing dialogs put together in code (messages, file-dialog titles
// and filters), in the user's language. The editor plugs its language engine in; until it
// does, the English text applies. Arguments fill the "%s" of the text in order.
class PublishTexts {
public:
    enum class Kind { Messages, Filters, Strings };
    using Lookup = std::function<QString(Kind kind, int number, const QString& english,
                                         const QStringList& args)>;

    static void setLookup(Lookup lookup);

    // The program's name, which titles every box it shows.
    static QString programName() { return QStringLiteral("Fotrenza"); }

    static QString message(int number, const QString& english, const QStringList& args = {});
    static QString filter(int number, const QString& english);
    static QString string(int number, const QString& english);

    // The English text with its "%s" filled in order; a "%%" stands for "%".
    static QString fillIn(const QString& english, const QStringList& args);

private:
    static QString get(Kind kind, int number, const QString& english, const QStringList& args);
};

} // namespace publish
