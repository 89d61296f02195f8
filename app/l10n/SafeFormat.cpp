#include "app/l10n/SafeFormat.h"

#include <QLocale>

namespace app {

namespace {

// Precision larger than this is refused: it would only serve to blow up the text.
constexpr int kMaxPrecision = 30;

} // namespace

std::optional<QString> SafeFormat::apply(const QString& format, const QList<FormatArg>& args) {
    QString out;
    out.reserve(format.size() + 16);
    qsizetype next = 0;
    const qsizetype n = format.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = format[i];
        if (c != u'%') {
            out += c;
            continue;
        }
        if (++i >= n)
            return std::nullopt;
        if (format[i] == u'%') {
            out += u'%';
            continue;
        }
        int precision = -1;
        if (format[i] == u'0' && i + 1 < n && format[i + 1] == u'.')
            ++i;
        if (format[i] == u'.') {
            ++i;
            precision = 0;
            qsizetype digits = 0;
            while (i < n && format[i].isDigit() && format[i].unicode() < 128) {
                precision = precision * 10 + (format[i].unicode() - u'0');
                if (precision > kMaxPrecision)
                    return std::nullopt;
                ++i;
                ++digits;
            }
            if (digits == 0 || i >= n)
                return std::nullopt;
        }
        const QChar conversion = format[i];
        if (next >= args.size())
            return std::nullopt;
        const FormatArg& arg = args[next++];
        if (conversion == u's' && precision < 0) {
            const QString* s = std::get_if<QString>(&arg);
            if (!s)
                return std::nullopt;
            out += *s;
        } else if (conversion == u'd') {
            const qlonglong* v = std::get_if<qlonglong>(&arg);
            if (!v)
                return std::nullopt;
            QString digits = QString::number(*v < 0 ? -(*v + 1) + 1ULL : qulonglong(*v));
            if (precision > digits.size())
                digits = QString(precision - digits.size(), u'0') + digits;
            if (*v < 0)
                digits.prepend(u'-');
            out += digits;
        } else if (conversion == u'f' && precision >= 0) {
            double value = 0;
            if (const double* d = std::get_if<double>(&arg))
                value = *d;
            else if (const qlonglong* v = std::get_if<qlonglong>(&arg))
                value = double(*v);
            else
                return std::nullopt;
            out += QLocale().toString(value, 'f', precision);
        } else {
            return std::nullopt;
        }
    }
    return out;
}

QString SafeFormat::withFallback(const QString& translated, const QString& english,
                                 const QList<FormatArg>& args) {
    if (auto text = apply(translated, args))
        return *text;
    if (auto text = apply(english, args))
        return *text;
    return english;
}

} // namespace app
