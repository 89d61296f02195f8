#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QAction;
class QActionGroup;
class QMenu;

namespace platform {
class UserStore;
}

namespace app {

class BusyState;
class QtTranslations;

// The language menu: one checkable item per language of "Languages.xml". Choosing one loads
// its file; the language applied last is remembered in the per-user settings file and applied
// again at the next start.
class LanguageMenu : public QObject {
    Q_OBJECT

public:
    LanguageMenu(QMenu* menu, BusyState& busy, platform::UserStore* store, QObject* parent);

    // Reads "Languages.xml" and fills the menu (a broken list shows its error; the menu stays
    // empty).
    void build();
    // Applies the language stored in the per-user settings file, if the menu has it.
    void applyStored();
    // Loads the item's language; a language that cannot be loaded changes nothing, not even
    // the check mark. onApplied runs inside the busy section once the texts are loaded.
    void choose(QAction* item);

    QActionGroup* group() const { return group_; }
    std::function<void()> onApplied;

signals:
    // An item of the menu was clicked.
    void chosen(QAction* item);

private:
    QMenu* menu_;
    BusyState& busy_;
    platform::UserStore* store_;
    QActionGroup* group_;
    QPointer<QAction> checked_; // the language item applied last
    QtTranslations* qtTexts_;   // Qt's own texts in the language applied last
};

} // namespace app
