#include "app/l10n/Localization.h"

#include "publish/PublishTexts.h"

#include "app/l10n/LanguageFileError.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include <vector>

namespace app {

namespace {

QString withSlash(QString folder) {
    folder.replace(u'\\', u'/');
    if (!folder.isEmpty() && !folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

// Ids name folders below the languages folder: one plain folder name, nothing else.
bool isSafeLanguageId(const QString& id) {
    if (id.isEmpty() || id == u"." || id == u"..")
        return false;
    for (const QChar c : id) {
        if (c == u'/' || c == u'\\' || c.unicode() < 32 || c == u':')
            return false;
    }
    return !id.contains(u"..");
}

// Keys are component paths a few names long; anything nested deeper than this is not a
// language file, and the DOM parser slows down badly on very deep documents.
constexpr int kMaxDepth = 64;

void checkDepth(const QByteArray& data, const QString& path) {
    QXmlStreamReader reader(data);
    int depth = 0;
    while (!reader.atEnd()) {
        const auto token = reader.readNext();
        if (token == QXmlStreamReader::StartElement && ++depth > kMaxDepth) {
            throw LanguageFileError(QStringLiteral("Elements nested too deeply (%1, line %2)")
                                        .arg(QDir::toNativeSeparators(path))
                                        .arg(reader.lineNumber())
                                        .toStdString());
        }
        if (token == QXmlStreamReader::EndElement)
            --depth;
    }
}

// Reads a whole XML file. False when it is missing or unreadable; throws when it is not
// well-formed.
bool loadDocument(const QString& path, QDomDocument& doc) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = file.readAll();
    checkDepth(data, path);
    QString message;
    int line = 0;
    int column = 0;
    if (!doc.setContent(data, &message, &line, &column)) {
        throw LanguageFileError(QStringLiteral("%1 (%2, line %3, column %4)")
                                    .arg(message, QDir::toNativeSeparators(path))
                                    .arg(line)
                                    .arg(column)
                                    .toStdString());
    }
    return true;
}

bool isCodeSection(const QString& name) {
    return name == u"Messages" || name == u"Filters" || name == u"Paths" || name == u"Strings";
}

QString keyName(const QDomElement& element) {
    const QString name = element.tagName();
    if (name == u"Item" && isCodeSection(element.parentNode().nodeName())) {
        const QString id = element.attribute(QStringLiteral("Id"));
        if (!id.isEmpty())
            return QStringLiteral("ItemId") + id;
    }
    return name;
}

} // namespace

void TdsLocalization::LoadLanguageList(const QString& folder) {
    languages_.clear();
    const QString base = withSlash(folder);
    QDomDocument doc;
    if (!loadDocument(base + QStringLiteral("Languages.xml"), doc))
        return;
    const QDomElement root = doc.documentElement();
    if (root.tagName() != u"Languages")
        return;
    for (QDomElement lang = root.firstChildElement(QStringLiteral("Language")); !lang.isNull();
         lang = lang.nextSiblingElement(QStringLiteral("Language"))) {
        TLanguageInfo info;
        for (QDomElement child = lang.firstChildElement(); !child.isNull();
             child = child.nextSiblingElement()) {
            if (child.tagName() == u"Id") {
                info.Id = child.text();
                info.Folder = base + info.Id + u'/';
                info.File = info.Folder + QStringLiteral("Language.xml");
            } else if (child.tagName() == u"Display") {
                info.Display = child.text();
            }
        }
        if (!isSafeLanguageId(info.Id))
            continue;
        auto existing = std::find_if(languages_.begin(), languages_.end(),
                                     [&](const TLanguageInfo& l) { return l.Id == info.Id; });
        if (existing != languages_.end())
            *existing = info;
        else
            languages_.append(info);
    }
}

bool TdsLocalization::LoadLanguage(const QString& file) {
    QDomDocument doc;
    if (!loadDocument(file, doc))
        return false;
    const QDomElement root = doc.documentElement();
    if (root.tagName() != u"Localization")
        return false;

    texts_.clear();
    current_.Clear();
    current_.Id = root.attribute(QStringLiteral("Language"));
    current_.File = file;
    current_.Folder = withSlash(QFileInfo(file).absolutePath());

    // Walked with an explicit stack: a language file is outside input and may nest deeply.
    struct Pending {
        QDomNode node;
        QString prefix;
    };
    std::vector<Pending> stack;
    const QDomNodeList top = root.childNodes();
    for (int i = top.count() - 1; i >= 0; --i)
        stack.push_back({top.at(i), QString()});
    while (!stack.empty()) {
        Pending item = std::move(stack.back());
        stack.pop_back();
        if (item.node.isCDATASection()) {
            if (!item.prefix.isEmpty())
                texts_.set(item.prefix, item.node.toCDATASection().data());
            continue;
        }
        if (!item.node.isElement())
            continue;
        const QString key = item.prefix + keyName(item.node.toElement());
        const QDomNodeList children = item.node.childNodes();
        for (int i = children.count() - 1; i >= 0; --i) {
            const QDomNode child = children.at(i);
            if (child.isCDATASection())
                stack.push_back({child, key});
            else if (child.isElement())
                stack.push_back({child, key + u'.'});
        }
    }
    return true;
}

QString TdsLocalization::Key(TextKind kind, int number) {
    static const char* const sections[] = {"Messages", "Filters", "Paths", "Strings"};
    return QString::fromLatin1(sections[int(kind)]) + QStringLiteral(".ItemId") +
           QString::number(number);
}

QString TdsLocalization::Get(TextKind kind, int number, const QString& english) const {
    return texts_.value(Key(kind, number), english);
}

QString TdsLocalization::GetMessage(int number, const QString& english) const {
    return Get(TextKind::Messages, number, english);
}
QString TdsLocalization::GetFilter(int number, const QString& english) const {
    return Get(TextKind::Filters, number, english);
}
QString TdsLocalization::GetPath(int number, const QString& english) const {
    return Get(TextKind::Paths, number, english);
}
QString TdsLocalization::GetString(int number, const QString& english) const {
    return Get(TextKind::Strings, number, english);
}

QString TdsLocalization::Format(TextKind kind, int number, const QString& english,
                                const QList<FormatArg>& args) const {
    return SafeFormat::withFallback(Get(kind, number, english), english, args);
}

QString TdsLocalization::LocalizedFile(int pathNumber, const QString& englishName,
                                       const QString& fallbackFolder) const {
    // Only a loaded language has a folder; never resolve a bare name against the working
    // directory.
    if (!current_.Folder.isEmpty()) {
        const QString name = GetPath(pathNumber, englishName);
        const QString candidate = current_.Folder + name;
        if (!name.isEmpty() && !name.contains(u"..") && QFileInfo(candidate).isFile())
            return candidate;
    }
    if (fallbackFolder.isEmpty())
        return {};
    const QString fallback = withSlash(fallbackFolder) + englishName;
    return QFileInfo(fallback).isFile() ? fallback : QString();
}

void TdsLocalization::Reset() {
    texts_.clear();
    languages_.clear();
    current_.Clear();
    Excluded.clear();
}

const TLanguageInfo* TdsLocalization::FindLanguage(const QString& id) const {
    for (const TLanguageInfo& info : languages_) {
        if (info.Id == id)
            return &info;
    }
    return nullptr;
}

TdsLocalization& Localization() {
    static TdsLocalization engine;
    // The publishing dialogs know no language engine of their own: they ask this one.
    static const bool publishingTexts = [] {
        publish::PublishTexts::setLookup([](publish::PublishTexts::Kind kind, int number,
                                            const QString& english, const QStringList& args) {
            QList<FormatArg> values;
            for (const QString& arg : args)
                values << FormatArg(arg);
            const TextKind ours = kind == publish::PublishTexts::Kind::Filters ? TextKind::Filters
                                  : kind == publish::PublishTexts::Kind::Strings
                                      ? TextKind::Strings
                                      : TextKind::Messages;
            return engine.Format(ours, number, english, values);
        });
        return true;
    }();
    (void)publishingTexts;
    return engine;
}

} // namespace app
