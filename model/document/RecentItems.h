#pragma once

#include <QString>
#include <QStringList>

namespace platform {
class UserStore;
}

namespace model {

// The album files opened or saved most recently, newest first, kept in the
// user store between runs. Each file is listed once, by its absolute path with
// "." and ".." steps and doubled slashes resolved; names compare exactly, as the
// file system does.
class TRecentItems {
public:
    static constexpr int MenuImageIndex = 22;

    QStringList Items;
    int MaxCount = 5;

    // Moves or puts path at the top and drops what exceeds MaxCount. A relative path
    // names no file for certain and is not listed.
    void Add(const QString& path);
    QString GetItem(int index) const { return Items.value(index); }
    int Count() const { return static_cast<int>(Items.size()); }

    // "Count" and "Item0", "Item1", ... under keyPath. A missing key gives an
    // empty list; a missing or unreadable "Count" lists the items present in a row
    // from "Item0"; missing, empty and relative items are skipped, and a file listed
    // again further down keeps only its newest place. Never throws.
    void LoadFromRegistry(const platform::UserStore& store, const QString& keyPath);
    // Replaces the key's values with the list. False when the store cannot be written.
    bool SaveToRegistry(platform::UserStore& store, const QString& keyPath) const;

    // The captions of the reopen menu entries, "[&<i mod 36>]  <path>" with every
    // "&" of the path doubled; entry i opens GetItem(i). An empty list leaves the
    // menus as they are.
    QStringList MenuCaptions() const;
};

} // namespace model
