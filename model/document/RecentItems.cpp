#include "model/document/RecentItems.h"

#include "model/tree/TreeUtils.h"
#include "platform/UserStore.h"

#include <QDir>

#include <algorithm>

namespace model {

namespace {

QString ItemName(int index) {
    return QStringLiteral("Item") + QString::number(index);
}

// n for a value named "Item<n>" (decimal, no leading zeros), else -1.
int ItemIndex(const QString& name) {
    if (!name.startsWith(QStringLiteral("Item")))
        return -1;
    const QString digits = name.mid(4);
    if (digits.isEmpty() || (digits.size() > 1 && digits.startsWith(u'0')))
        return -1;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return -1;
    }
    bool ok = false;
    const int index = digits.toInt(&ok);
    return ok ? index : -1;
}

// The form a path is listed in; empty for a path that cannot be listed.
QString listedForm(const QString& path) {
    if (path.isEmpty() || QDir::isRelativePath(path))
        return {};
    return QDir::cleanPath(path);
}

} // namespace

void TRecentItems::Add(const QString& path) {
    const QString listed = listedForm(path);
    if (listed.isEmpty())
        return;
    Items.removeAll(listed);
    Items.insert(0, listed);
    while (Count() > std::max(MaxCount, 0))
        Items.removeLast();
}

void TRecentItems::LoadFromRegistry(const platform::UserStore& store, const QString& keyPath) {
    Items.clear();
    if (!store.keyExists(keyPath))
        return;
    // Only the "Item<n>" values present are read, in the order of n, so a huge
    // "Count" costs nothing and a gap below "Count" hides nothing after it.
    QList<int> present;
    for (const QString& name : store.valueNames(keyPath)) {
        if (const int index = ItemIndex(name); index >= 0)
            present.append(index);
    }
    std::sort(present.begin(), present.end());
    const std::optional<int> count = store.readInt(keyPath, QStringLiteral("Count"));
    for (qsizetype i = 0; i < present.size() && Count() < MaxCount; ++i) {
        const int index = present[i];
        if (count ? index >= *count : index != i)
            break; // without "Count", the items run until the first gap
        const std::optional<QString> item = store.readString(keyPath, ItemName(index));
        const QString listed = item ? listedForm(*item) : QString();
        if (!listed.isEmpty() && !Items.contains(listed))
            Items.append(listed);
    }
}

bool TRecentItems::SaveToRegistry(platform::UserStore& store, const QString& keyPath) const {
    store.deleteKey(keyPath);
    store.writeInt(keyPath, QStringLiteral("Count"), Count());
    for (int i = 0; i < Count(); ++i)
        store.writeString(keyPath, ItemName(i), Items[i]);
    return store.sync();
}

QStringList TRecentItems::MenuCaptions() const {
    QStringList captions;
    for (int i = 0; i < Count(); ++i)
        captions << QStringLiteral("[&%1]  %2").arg(i % 36).arg(MenuEscaped(Items[i]));
    return captions;
}

} // namespace model
