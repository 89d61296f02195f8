#include "model/RecentItems.h"

#include "model/TreeUtils.h"
#include "platform/UserStore.h"

namespace model {

namespace {

QString ItemName(int index) {
    return QStringLiteral("Item") + QString::number(index);
}

} // namespace

void TRecentItems::Add(const QString& path) {
    Items.removeAll(path);
    Items.insert(0, path);
    while (Count() > std::max(MaxCount, 0))
        Items.removeLast();
}

void TRecentItems::LoadFromRegistry(const platform::UserStore& store, const QString& keyPath) {
    Items.clear();
    if (!store.keyExists(keyPath))
        return;
    // A key cannot hold more items than values, whatever "Count" claims.
    const int values = static_cast<int>(store.valueNames(keyPath).size());
    const std::optional<int> count = store.readInt(keyPath, QStringLiteral("Count"));
    const int limit = count ? std::clamp(*count, 0, values) : values;
    for (int i = 0; i < limit && Count() < MaxCount; ++i) {
        const std::optional<QString> item = store.readString(keyPath, ItemName(i));
        if (!item && !count)
            break; // without "Count", the items run until the first gap
        if (item && !item->isEmpty())
            Items.append(*item);
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
