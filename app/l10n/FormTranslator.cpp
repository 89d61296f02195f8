#include "app/l10n/FormTranslator.h"

#include "app/dialogs/FileDialogSettings.h"
#include "app/l10n/ApplicationForms.h"
#include "app/l10n/Localization.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolBar>
#include <QVariant>

#include <deque>
#include <functional>

namespace app {

namespace {

const char* const kScopeProperty = "l10nScope";

bool isScope(const QObject* object) {
    return object->property(kScopeProperty).toBool() || qobject_cast<const QDialog*>(object);
}

// The tab widget that shows `page` as one of its tabs, if any.
QTabWidget* tabWidgetOf(QWidget* page) {
    QWidget* stack = page->parentWidget();
    if (!qobject_cast<QStackedWidget*>(stack))
        return nullptr;
    auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget());
    return tabs && tabs->indexOf(page) >= 0 ? tabs : nullptr;
}

// Parses "StringN" into N; -1 when the part does not have that form.
int stringIndex(const QString& part) {
    QString rest = part;
    const qsizetype at = rest.indexOf(QStringLiteral("String"));
    if (at < 0)
        return -1;
    rest.remove(at, 6);
    bool ok = false;
    const int n = rest.toInt(&ok);
    return ok && n >= 0 ? n : -1;
}

} // namespace

FormTranslator::FormTranslator(ApplicationForms& application) : application_(application) {}

void FormTranslator::MarkScope(QObject* object) {
    if (object)
        object->setProperty(kScopeProperty, true);
}

QObject* FormTranslator::FindOwned(QObject* scope, const QString& name) {
    if (!scope || name.isEmpty())
        return nullptr;
    std::deque<QObject*> queue(scope->children().cbegin(), scope->children().cend());
    while (!queue.empty()) {
        QObject* child = queue.front();
        queue.pop_front();
        if (child->objectName() == name)
            return child;
        if (isScope(child))
            continue;
        for (QObject* grandchild : child->children())
            queue.push_back(grandchild);
    }
    return nullptr;
}

void FormTranslator::TranslateApplication(const TdsLocalization& localization) {
    RestoreOriginals();
    TranslateComponent(localization, nullptr, QString(), true);
}

void FormTranslator::TranslateForm(const TdsLocalization& localization, QObject* form) {
    if (form)
        TranslateComponent(localization, form, QStringLiteral("Application."), true);
}

void FormTranslator::TranslateComponent(const TdsLocalization& localization, QObject* component,
                                        const QString& prefix, bool recurse) {
    const QString name = component ? component->objectName() : QStringLiteral("Application");
    if (component && name.isEmpty())
        return;
    const QString target = prefix + name + u'.';
    for (const TextTable::Line& line : localization.Texts().lines()) {
        const QString& key = line.key;
        bool excluded = false;
        for (const QString& ex : localization.Excluded) {
            if (!ex.isEmpty() && key.startsWith(ex, Qt::CaseInsensitive))
                excluded = true;
        }
        if (excluded || !key.startsWith(target, Qt::CaseInsensitive))
            continue;
        QString rest = key;
        const qsizetype at = rest.indexOf(target); // exact case only
        if (at >= 0)
            rest.remove(at, target.size());
        const QStringList parts = rest.split(u'.');
        if (component)
            setComponentProperty(component, parts, line.value, recurse);
        else
            setComponentProperty(nullptr, parts, line.value, recurse);
    }
}

bool FormTranslator::setComponentProperty(QObject* object, const QStringList& parts,
                                          const QString& value, bool recurse) {
    if (parts.isEmpty() || parts.first().isEmpty())
        return false;
    const QString& first = parts.first();

    if (!object) { // the application
        if (parts.size() == 1)
            return setApplicationProperty(first, value);
        if (!recurse)
            return false;
        QObject* form = application_.find(first);
        return form && setComponentProperty(form, parts.mid(1), value, recurse);
    }

    if (parts.size() == 2 && (first.compare(u"Items", Qt::CaseInsensitive) == 0 ||
                              first.compare(u"Lines", Qt::CaseInsensitive) == 0)) {
        if (setListItem(object, first, parts[1], value))
            return true;
    } else if (parts.size() == 1 && setTextProperty(object, first, value)) {
        return true;
    }

    if (recurse && parts.size() >= 2) {
        QObject* owned = FindOwned(object, first);
        return owned && setComponentProperty(owned, parts.mid(1), value, recurse);
    }
    return false;
}

bool FormTranslator::setApplicationProperty(const QString& name, const QString& value) {
    QString* target = nullptr;
    if (name.compare(u"Title", Qt::CaseInsensitive) == 0)
        target = &application_.Title;
    else if (name.compare(u"Hint", Qt::CaseInsensitive) == 0)
        target = &application_.Hint;
    else if (name.compare(u"HelpFile", Qt::CaseInsensitive) == 0)
        target = &application_.HelpFile;
    if (!target)
        return false;
    const QString key = QStringLiteral("app/") + name.toCaseFolded();
    bool known = false;
    for (const Original& o : originals_)
        known = known || (o.object.isNull() && o.property == key);
    if (!known)
        originals_.append({nullptr, key, *target});
    *target = value;
    return true;
}

bool FormTranslator::setListItem(QObject* object, const QString& listName, const QString& part,
                                 const QString& value) {
    const int n = stringIndex(part);
    if (n < 0)
        return false;
    const bool items = listName.compare(u"Items", Qt::CaseInsensitive) == 0;
    const QString key =
        (items ? QStringLiteral("items/") : QStringLiteral("lines/")) + QString::number(n);
    if (items) {
        if (auto* combo = qobject_cast<QComboBox*>(object)) {
            if (n >= combo->count())
                return false;
            const QSignalBlocker block(combo);
            const int selected = combo->currentIndex();
            remember(object, key, combo->itemText(n));
            combo->setItemText(n, value);
            combo->setCurrentIndex(selected);
            return true;
        }
        if (auto* list = qobject_cast<QListWidget*>(object)) {
            if (n >= list->count())
                return false;
            remember(object, key, list->item(n)->text());
            list->item(n)->setText(value);
            return true;
        }
        return false;
    }
    if (auto* edit = qobject_cast<QPlainTextEdit*>(object)) {
        QStringList lines = edit->toPlainText().split(u'\n');
        if (n >= lines.size())
            return false;
        remember(object, key, lines[n]);
        lines[n] = value;
        edit->setPlainText(lines.join(u'\n'));
        return true;
    }
    return false;
}

bool FormTranslator::setTextProperty(QObject* object, const QString& property,
                                     const QString& value) {
    const QString prop = property.toCaseFolded();
    // Writes the text, remembering the one it replaces.
    auto replace = [&](const QString& current, const std::function<void()>& write) {
        remember(object, prop, current);
        write();
        return true;
    };
    if (prop == u"caption") {
        if (auto* menu = qobject_cast<QMenu*>(object))
            return replace(menu->title(), [&] { menu->setTitle(value); });
        if (auto* action = qobject_cast<QAction*>(object))
            return replace(action->text(), [&] { action->setText(value); });
        if (auto* button = qobject_cast<QAbstractButton*>(object))
            return replace(button->text(), [&] { button->setText(value); });
        if (auto* label = qobject_cast<QLabel*>(object))
            return replace(label->text(), [&] { label->setText(value); });
        if (auto* group = qobject_cast<QGroupBox*>(object))
            return replace(group->title(), [&] { group->setTitle(value); });
        if (auto* widget = qobject_cast<QWidget*>(object)) {
            if (QTabWidget* tabs = tabWidgetOf(widget)) {
                const int index = tabs->indexOf(widget);
                return replace(tabs->tabText(index), [&] { tabs->setTabText(index, value); });
            }
            // A wizard's page shows its title as the page's heading, a tool bar in the window's
            // list of bars.
            if (widget->isWindow() || isScope(widget) || qobject_cast<QToolBar*>(widget) ||
                qobject_cast<QStackedWidget*>(widget->parentWidget()))
                return replace(widget->windowTitle(), [&] { widget->setWindowTitle(value); });
        }
        return false;
    }
    if (prop == u"hint") {
        // A menu's hint belongs to its item in the parent menu, where the status bar shows it.
        QAction* action = qobject_cast<QAction*>(object);
        if (auto* menu = qobject_cast<QMenu*>(object))
            action = menu->menuAction();
        if (action) {
            return replace(action->statusTip(), [&] {
                action->setStatusTip(value);
                action->setToolTip(value);
            });
        }
        if (auto* widget = qobject_cast<QWidget*>(object)) {
            return replace(widget->toolTip(), [&] {
                widget->setToolTip(value);
                widget->setStatusTip(value);
            });
        }
        return false;
    }
    if (prop == u"text") {
        if (auto* edit = qobject_cast<QLineEdit*>(object))
            return replace(edit->text(), [&] { edit->setText(value); });
        if (auto* combo = qobject_cast<QComboBox*>(object); combo && combo->isEditable())
            return replace(combo->currentText(), [&] { combo->setEditText(value); });
        if (auto* plain = qobject_cast<QPlainTextEdit*>(object))
            return replace(plain->toPlainText(), [&] { plain->setPlainText(value); });
        return false;
    }
    if (prop == u"filter" || prop == u"title" || prop == u"defaultext") {
        auto* dialog = qobject_cast<FileDialogSettings*>(object);
        if (!dialog)
            return false;
        QString& field = prop == u"filter"  ? dialog->Filter
                         : prop == u"title" ? dialog->Title
                                            : dialog->DefaultExt;
        return replace(field, [&] { field = value; });
    }
    return false;
}

void FormTranslator::remember(QObject* object, const QString& property, const QString& current) {
    for (const Original& o : originals_) {
        if (o.object == object && o.property == property)
            return;
    }
    originals_.append({object, property, current});
}

void FormTranslator::RestoreOriginals() {
    // Undo in reverse so that a text changed twice ends at its first value.
    const QList<Original> originals = std::exchange(originals_, {});
    for (auto it = originals.crbegin(); it != originals.crend(); ++it) {
        if (it->property.startsWith(u"app/")) {
            const QString name = it->property.mid(4);
            setApplicationProperty(name, it->value);
            continue;
        }
        if (!it->object)
            continue;
        const qsizetype slash = it->property.indexOf(u'/');
        if (slash > 0)
            setListItem(it->object, it->property.left(slash),
                        QStringLiteral("String") + it->property.mid(slash + 1), it->value);
        else
            setTextProperty(it->object, it->property, it->value);
    }
    originals_.clear();
}

} // namespace app
