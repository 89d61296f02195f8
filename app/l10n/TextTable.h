#pragma once

#include <QHash>
#include <QList>
#include <QString>

namespace app {

// Ordered name=value lines whose names are found ignoring letter case: setting a name that
// is present (in any case) replaces its value in place, an empty value removes the line.
class TextTable {
public:
    struct Line {
        QString key;
        QString value;
    };

    void set(const QString& key, const QString& value);
    void remove(const QString& key);
    void clear();

    bool contains(const QString& key) const;
    QString value(const QString& key, const QString& fallback = {}) const;
    const QList<Line>& lines() const { return lines_; }
    qsizetype size() const { return lines_.size(); }
    bool isEmpty() const { return lines_.isEmpty(); }

private:
    void reindex();

    QList<Line> lines_;
    QHash<QString, qsizetype> index_; // folded key -> position in lines_
};

} // namespace app
