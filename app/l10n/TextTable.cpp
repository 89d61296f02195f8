#include "app/l10n/TextTable.h"

namespace app {

namespace {
QString fold(const QString& key) {
    return key.toCaseFolded();
}
} // namespace

void TextTable::set(const QString& key, const QString& value) {
    if (value.isEmpty()) {
        remove(key);
        return;
    }
    const QString folded = fold(key);
    const auto it = index_.constFind(folded);
    if (it != index_.constEnd()) {
        lines_[*it].value = value;
        return;
    }
    index_.insert(folded, lines_.size());
    lines_.append({key, value});
}

void TextTable::remove(const QString& key) {
    const auto it = index_.constFind(fold(key));
    if (it == index_.constEnd())
        return;
    lines_.removeAt(*it);
    reindex();
}

void TextTable::clear() {
    lines_.clear();
    index_.clear();
}

bool TextTable::contains(const QString& key) const {
    return index_.contains(fold(key));
}

QString TextTable::value(const QString& key, const QString& fallback) const {
    const auto it = index_.constFind(fold(key));
    return it == index_.constEnd() ? fallback : lines_[*it].value;
}

void TextTable::reindex() {
    index_.clear();
    for (qsizetype i = 0; i < lines_.size(); ++i)
        index_.insert(fold(lines_[i].key), i);
}

} // namespace app
