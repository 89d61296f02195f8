#pragma once

#include "model/AlbumLimits.h"
#include "model/Errors.h"
#include "model/XmlAttributes.h"

#include <QDomElement>
#include <QString>
#include <QXmlStreamWriter>

#include <memory>
#include <vector>

namespace model {

// An ordered list of settings fields with ids unique within the list. Copies
// are deep; fields keep their address while they stay in the list.
template <class Field> class TpaFieldList {
public:
    std::vector<std::unique_ptr<Field>> Items;

    TpaFieldList() = default;
    TpaFieldList(const TpaFieldList& other) { copyFrom(other); }
    TpaFieldList& operator=(const TpaFieldList& other) {
        if (this != &other)
            copyFrom(other);
        return *this;
    }
    TpaFieldList(TpaFieldList&&) noexcept = default;
    TpaFieldList& operator=(TpaFieldList&&) noexcept = default;

    // A new field with the id, or nullptr when the list holds that id already.
    Field* Add(int id) {
        if (IndexOfId(id) >= 0)
            return nullptr;
        Items.push_back(std::make_unique<Field>());
        Items.back()->Id = id;
        return Items.back().get();
    }
    int IndexOfId(int id) const {
        for (size_t i = 0; i < Items.size(); ++i) {
            if (Items[i]->Id == id)
                return static_cast<int>(i);
        }
        return -1;
    }
    Field* FindById(int id) const {
        const int i = IndexOfId(id);
        return i < 0 ? nullptr : Items[static_cast<size_t>(i)].get();
    }
    int Count() const { return static_cast<int>(Items.size()); }
    Field* GetItem(int index) const { return Items.at(static_cast<size_t>(index)).get(); }

    // Values only, matched by id; own fields without a counterpart keep theirs.
    void AssignValues(const TpaFieldList& source) {
        for (const auto& field : Items) {
            if (const Field* from = source.FindById(field->Id))
                field->AssignValue(*from);
        }
    }

    // Field by field equality, definitions and values.
    bool SameItems(const TpaFieldList& other) const {
        if (Items.size() != other.Items.size())
            return false;
        for (size_t i = 0; i < Items.size(); ++i) {
            if (!(*Items[i] == *other.Items[i]))
                return false;
        }
        return true;
    }

    // Each field's value element, in list order.
    void SaveValuesToXml(QXmlStreamWriter& writer) const {
        for (const auto& field : Items)
            field->SaveValueToXml(writer);
    }

protected:
    // Definitions: every child named tag with a numeric id not held yet is
    // added and reads its element; the others are skipped. More than
    // kMaxLevelFields of them is refused.
    void LoadDefinitionsFromXml(const QDomElement& element, const QString& tag) {
        ForEachChildWithId(element, tag, [&](int id, const QDomElement& child) {
            if (FindById(id))
                return;
            if (Count() >= kMaxLevelFields)
                throw XmlLoadError(
                    QString("album.xml: the \"%1\" element at line %2 defines more than %3 "
                            "\"%4\" fields.")
                        .arg(element.tagName())
                        .arg(element.lineNumber())
                        .arg(kMaxLevelFields)
                        .arg(tag));
            Add(id)->LoadFromXml(child);
        });
    }

    // Values: every child named tag whose id names a field sets that field's
    // value, so the last child for an id wins; unknown ids are ignored.
    template <class... Args>
    void LoadValuesFromChildren(const QDomElement& element, const QString& tag,
                                const Args&... args) {
        ForEachChildWithId(element, tag, [&](int id, const QDomElement& child) {
            if (Field* field = FindById(id))
                field->LoadValueFromXml(child, args...);
        });
    }

    void copyFrom(const TpaFieldList& other) {
        Items.clear();
        for (const auto& field : other.Items)
            Items.push_back(std::make_unique<Field>(*field));
    }

private:
    template <class Visit>
    static void ForEachChildWithId(const QDomElement& element, const QString& tag, Visit visit) {
        if (element.isNull())
            return;
        for (QDomElement e = element.firstChildElement(tag); !e.isNull();
             e = e.nextSiblingElement(tag)) {
            int id = -1;
            if (TryGetAttrInt(e, QStringLiteral("id"), id))
                visit(id, e);
        }
    }
};

} // namespace model
