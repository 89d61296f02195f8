#pragma once

#include <QHash>
#include <QList>
#include <QString>

namespace app {

// Ordered name=value lines whose names are found ignoring letter case: setting a name that
// is present (in any case) replaces its value in place, an empty value removes the line.
// Set, remove and lookup take constant time on average: a removed line is only marked, and
// the marks are swept out in one pass when they outnumber the live lines or the lines are read.
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
    const QList<Line>& lines() const;
    qsizetype size() const { return index_.size(); }
    bool isEmpty() const { return index_.isEmpty(); }

private:
    void sweep() const;

    mutable QList<Line> lines_;
    mutable QList<bool> removed_; // parallel to lines_
    mutable qsizetype removedCount_ = 0;
    mutable QHash<QString, qsizetype> index_; // folded key -> position in lines_
};

} // namespace app
