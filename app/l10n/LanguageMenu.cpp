#include "app/l10n/LanguageMenu.h"

#include "app/BusyState.h"
#include "app/commands/CommandGuard.h"
#include "app/dialogs/ProgressScope.h"
#include "app/l10n/Localization.h"
#include "app/l10n/QtTranslations.h"

#include "model/FolderLayout.h"
#include "platform/UserStore.h"

#include <QActionGroup>
#include <QFileInfo>
#include <QMenu>

namespace app {

namespace {

const QString kLanguageKey = QStringLiteral("\\Software\\Brimlo Lumivex\\Language");
const QString kLanguageValue = QStringLiteral("Language");

} // namespace

LanguageMenu::LanguageMenu(QMenu* menu, BusyState& busy, platform::UserStore* store,
                           QObject* parent)
    : QObject(parent), menu_(menu), busy_(busy), store_(store), group_(new QActionGroup(this)),
      qtTexts_(new QtTranslations(this)) {
    group_->setExclusive(true);
}

void LanguageMenu::build() {
    TdsLocalization& loc = Localization();
    // A broken language list shows its error; the start goes on without languages.
    guarded([&loc] { loc.LoadLanguageList(model::Folders().LanguagesFolder); });
    menu_->clear();
    for (QAction* a : group_->actions())
        group_->removeAction(a);
    for (const TLanguageInfo& info : loc.Languages()) {
        // Shown as written: no "&" of a display name turns into a hot key.
        QString display = info.Display;
        display.replace(u'&', QStringLiteral("&&"));
        auto* item = new QAction(display, menu_);
        item->setCheckable(true);
        item->setData(info.Id);
        group_->addAction(item);
        menu_->addAction(item);
        connect(item, &QAction::triggered, this,
                [this, item] { guarded([this, item] { emit chosen(item); }); });
    }
}

void LanguageMenu::applyStored() {
    QString stored;
    if (store_)
        stored = store_->readString(kLanguageKey, kLanguageValue).value_or(QString());
    if (stored.isEmpty())
        return;
    for (QAction* item : group_->actions()) {
        if (item->data().toString() == stored) {
            // A broken language file shows its error and the start goes on.
            guarded([this, item] { choose(item); });
            break;
        }
    }
}

void LanguageMenu::choose(QAction* item) {
    pumpMessages();
    TdsLocalization& loc = Localization();
    const TLanguageInfo* info = item ? loc.FindLanguage(item->data().toString()) : nullptr;
    // The click has already moved the check mark; a language not applied puts it back.
    auto keepCheckMark = [this] {
        for (QAction* a : group_->actions())
            a->setChecked(a == checked_);
    };
    if (!info || !QFileInfo(info->File).isFile()) {
        keepCheckMark();
        return;
    }
    const TLanguageInfo language = *info;
    BusyScope busy(busy_);
    try {
        // A file that is no language file (no "Localization" root) is not applied.
        if (!loc.LoadLanguage(language.File)) {
            keepCheckMark();
            return;
        }
    } catch (...) {
        keepCheckMark();
        throw;
    }
    qtTexts_->apply(language.Id);
    if (onApplied)
        onApplied();
    item->setChecked(true);
    checked_ = item;
    if (store_) {
        store_->writeString(kLanguageKey, kLanguageValue, language.Id);
        store_->sync();
    }
}

} // namespace app
