#pragma once

#include <QList>
#include <QString>

#include <optional>
#include <variant>

namespace app {

using FormatArg = std::variant<QString, qlonglong, double>;

// Formats texts that may come from language files. It knows only %s, %d, %%, %.Nd, %.Nf and
// %0.Nf, fills them from the arguments in order and refuses (nullopt) a format whose
// specifiers are unknown, ask for more arguments than given, or do not fit an argument's
// type, so a bad translation can never read past the arguments or crash.
class SafeFormat {
public:
    static std::optional<QString> apply(const QString& format, const QList<FormatArg>& args);

    // The translated text formatted when it fits the arguments, else the English one.
    static QString withFallback(const QString& translated, const QString& english,
                                const QList<FormatArg>& args);
};

} // namespace app
