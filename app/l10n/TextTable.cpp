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
    removed_.append(false);
}

void TextTable::remove(const QString& key) {
    const auto it = index_.find(fold(key));
    if (it == index_.end())
        return;
    const qsizetype at = *it;
    index_.erase(it);
    lines_[at] = {};
    removed_[at] = true;
    if (++removedCount_ > index_.size())
        sweep();
}

void TextTable::clear() {
    lines_.clear();
    removed_.clear();
    removedCount_ = 0;
    index_.clear();
}

bool TextTable::contains(const QString& key) const {
    return index_.contains(fold(key));
}

QString TextTable::value(const QString& key, const QString& fallback) const {
    const auto it = index_.constFind(fold(key));
    return it == index_.constEnd() ? fallback : lines_[*it].value;
}

const QList<TextTable::Line>& TextTable::lines() const {
    sweep();
    return lines_;
}

void TextTable::sweep() const {
    if (removedCount_ == 0)
        return;
    qsizetype kept = 0;
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        if (removed_[i])
            continue;
        if (kept != i) {
            lines_[kept] = std::move(lines_[i]);
            index_[fold(lines_[kept].key)] = kept;
        }
        ++kept;
    }
    lines_.resize(kept);
    removed_.fill(false, kept);
    removedCount_ = 0;
}

} // namespace app
