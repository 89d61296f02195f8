#include "publish/PublishTexts.h"

namespace publish {

namespace {

PublishTexts::Lookup& installed() {
    static PublishTexts::Lookup lookup;
    return lookup;
}

} // namespace

void PublishTexts::setLookup(Lookup lookup) {
    installed() = std::move(lookup);
}

QString PublishTexts::message(int number, const QString& english, const QStringList& args) {
    return get(Kind::Messages, number, english, args);
}

QString PublishTexts::filter(int number, const QString& english) {
    return get(Kind::Filters, number, english, {});
}

QString PublishTexts::string(int number, const QString& english) {
    return get(Kind::Strings, number, english, {});
}

QString PublishTexts::get(Kind kind, int number, const QString& english, const QStringList& args) {
    if (const Lookup& lookup = installed())
        return lookup(kind, number, english, args);
    return fillIn(english, args);
}

QString PublishTexts::fillIn(const QString& english, const QStringList& args) {
    QString out;
    qsizetype next = 0;
    for (qsizetype i = 0; i < english.size(); ++i) {
        const QChar c = english[i];
        if (c == u'%' && i + 1 < english.size()) {
            const QChar spec = english[i + 1];
            if (spec == u'%' || (spec == u's' && next < args.size())) {
                out += spec == u'%' ? QStringLiteral("%") : args[next++];
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

} // namespace publish
