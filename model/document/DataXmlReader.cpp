#include "model/document/DataXmlReader.h"

#include "model/AlbumLimits.h"
#include "model/Errors.h"
#include "model/items/AlbumItem.h"
#include "model/items/GalleryItem.h"
#include "model/items/PhotoItem.h"
#include "model/settings/AlbumSettings.h"
#include "model/tree/AlbumTree.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QXmlStreamReader>

namespace model {

namespace {

struct Placed {
    TpaTreeNode* node = nullptr;
    int depth = 0;
};

// The parent named by a gallery number attribute: a number of 0 or less, no
// number, or a number of no gallery read so far all mean the album root.
Placed ParentOf(const QDomElement& element, const QString& attribute, const Placed& root,
                const QHash<int, Placed>& galleries) {
    bool ok = false;
    const int number = element.attribute(attribute).trimmed().toInt(&ok);
    if (!ok || number <= 0)
        return root;
    return galleries.value(number, root);
}

void AssignLevel(TpaItem& item, const TpaAlbumSettings& settings, int depth) {
    if (const TpaAlbumSettingsLevel* level = settings.Levels.FindLevel(depth))
        item.Level.Assign(*level);
}

// The file read as a stream: only the element being loaded exists as a document at any time,
// so memory follows the album rather than the file's node count.
class ElementStream {
public:
    ElementStream(const QByteArray& data, const QString& path)
        : reader_(data), path_(QDir::toNativeSeparators(path)) {}

    int Depth() const { return depth_; }
    int Line() const { return static_cast<int>(reader_.lineNumber()); }
    QStringView Name() const { return reader_.name(); }
    const QString& Path() const { return path_; }

    // The next token; a damaged file or one nested too deeply throws XmlLoadError.
    QXmlStreamReader::TokenType Next() {
        const auto token = reader_.readNext();
        if (token == QXmlStreamReader::StartElement && ++depth_ > kMaxDepth)
            throw XmlLoadError(
                QString("%1: elements nested too deeply (line %2).").arg(path_).arg(Line()));
        if (token == QXmlStreamReader::EndElement)
            --depth_;
        if (reader_.hasError())
            throw XmlLoadError(QString("%1: %2 (line %3, column %4).")
                                   .arg(path_, reader_.errorString())
                                   .arg(Line())
                                   .arg(reader_.columnNumber()));
        return token;
    }
    bool AtEnd() const { return reader_.atEnd(); }

    // The element the stream stands on, started, appended to parent (nullptr: to doc).
    QDomElement StartCopy(QDomDocument& doc, QDomElement* parent) const {
        QDomElement element = doc.createElement(reader_.name().toString());
        for (const QXmlStreamAttribute& a : reader_.attributes())
            element.setAttribute(a.qualifiedName().toString(), a.value().toString());
        if (parent)
            parent->appendChild(element);
        else
            doc.appendChild(element);
        return element;
    }

    // The element the stream stands on with its subtree, as the root of doc; the stream ends
    // on its end tag.
    QDomElement Copy(QDomDocument& doc) {
        const QDomElement root = StartCopy(doc, nullptr);
        std::vector<QDomElement> open{root};
        while (!open.empty()) {
            switch (Next()) {
            case QXmlStreamReader::StartElement:
                open.push_back(StartCopy(doc, &open.back()));
                break;
            case QXmlStreamReader::EndElement:
                open.pop_back();
                break;
            case QXmlStreamReader::Characters:
                if (reader_.isCDATA())
                    open.back().appendChild(doc.createCDATASection(reader_.text().toString()));
                else if (!reader_.isWhitespace())
                    open.back().appendChild(doc.createTextNode(reader_.text().toString()));
                break;
            default:
                break;
            }
        }
        return root;
    }

    // Past the element the stream stands on, to its end tag.
    void Skip() {
        const int depth = depth_;
        while (depth_ >= depth)
            Next();
    }

private:
    static constexpr int kMaxDepth = 32;
    QXmlStreamReader reader_;
    QString path_;
    int depth_ = 0;
};

// Runs load; a conversion error in an element copied from the stream gets the line of the
// element's start, which the copy does not know.
template <class Load> void AtLine(int line, Load load) {
    try {
        load();
    } catch (const ConversionError& e) {
        QString message = e.message();
        if (message.endsWith(u'.'))
            message.chop(1);
        throw ConversionError(QString("%1 (in the item at line %2).").arg(message).arg(line));
    }
}

// One reading of the album's file, from the root element the stream stands on: the album's own
// values are children of the root; the galleries and photos are loaded one by one from the first
// "folder" and the first "photo" child.
class AlbumLoader {
public:
    AlbumLoader(ElementStream& stream, const QString& previewFolder,
                const TpaAlbumSettings& settings, TpaAlbumTree& tree)
        : stream_(stream), previewFolder_(previewFolder), settings_(settings), tree_(tree),
          maxItems_(settings.MaxItems()) {}

    void Run() {
        const int rootLine = stream_.Line();
        top_ = stream_.StartCopy(albumDoc_, nullptr);
        auto album = std::make_unique<TpaAlbumItem>();
        TpaAlbumItem* albumItem = album.get();
        AssignLevel(*album, settings_, 0);
        album->PublishSize.Assign(settings_.PublishSize);
        root_ = Placed{tree_.Append(nullptr, std::move(album)), 0};

        ReadRootChildren();
        while (!stream_.AtEnd())
            stream_.Next();
        LoadEarlyPhotos();
        AtLine(rootLine, [&] { albumItem->LoadFromXml(top_, previewFolder_); });
    }

private:
    void ReadRootChildren() {
        for (auto token = stream_.Next();
             token != QXmlStreamReader::EndElement || stream_.Depth() > 0; token = stream_.Next()) {
            if (token != QXmlStreamReader::StartElement || stream_.Depth() != 2)
                continue;
            if (stream_.Name() == u"folder" && !folderRead_) {
                ReadSection(false);
                folderRead_ = true;
                LoadEarlyPhotos();
            } else if (stream_.Name() == u"photo" && !photosRead_) {
                ReadSection(true);
                photosRead_ = true;
            } else if (stream_.Name() == u"folder" || stream_.Name() == u"photo") {
                stream_.Skip(); // only the first of each counts
            } else {
                QDomDocument child;
                const QDomElement copy = stream_.Copy(child);
                top_.appendChild(albumDoc_.importNode(copy, true));
            }
        }
    }

    // Every "item" child of the section the stream stands on, to its end tag.
    void ReadSection(bool photos) {
        for (auto token = stream_.Next();
             token != QXmlStreamReader::EndElement || stream_.Depth() > 1; token = stream_.Next()) {
            if (token != QXmlStreamReader::StartElement || stream_.Depth() != 3 ||
                stream_.Name() != u"item")
                continue;
            if (++items_ > maxItems_)
                throw XmlLoadError(QString("%1: the album holds more than %2 galleries and "
                                           "photos, the most its template allows (line %3).")
                                       .arg(stream_.Path())
                                       .arg(maxItems_)
                                       .arg(stream_.Line()));
            const int line = stream_.Line();
            QDomDocument doc;
            const QDomElement e = stream_.Copy(doc);
            if (!photos)
                LoadGallery(e, line);
            else if (folderRead_)
                LoadPhoto(e, line);
            else
                earlyPhotos_.emplace_back(doc, line);
        }
    }

    // The photos read before the galleries, now that their galleries are known.
    void LoadEarlyPhotos() {
        for (const auto& [doc, line] : earlyPhotos_)
            LoadPhoto(doc.documentElement(), line);
        earlyPhotos_.clear();
    }

    void LoadPhoto(const QDomElement& e, int line) {
        const Placed parent = ParentOf(e, QStringLiteral("fid"), root_, galleries_);
        auto photo = std::make_unique<TpaPhotoItem>();
        TpaPhotoItem* item = photo.get();
        tree_.Append(parent.node, std::move(photo));
        AssignLevel(*item, settings_, parent.depth);
        AtLine(line, [&] { item->LoadFromXml(e, previewFolder_); });
    }

    void LoadGallery(const QDomElement& e, int line) {
        const Placed parent = ParentOf(e, QStringLiteral("pid"), root_, galleries_);
        const int depth = parent.depth + 1;
        if (depth > TpaDataXmlReader::MaxGalleryDepth)
            throw XmlLoadError(
                QString("%1: the galleries are nested more than %2 levels deep (line %3).")
                    .arg(stream_.Path())
                    .arg(TpaDataXmlReader::MaxGalleryDepth)
                    .arg(line));
        auto gallery = std::make_unique<TpaGalleryItem>();
        TpaGalleryItem* item = gallery.get();
        TpaTreeNode* node = tree_.Append(parent.node, std::move(gallery));
        AssignLevel(*item, settings_, depth);
        AtLine(line, [&] { item->LoadFromXml(e, previewFolder_); });
        if (!galleries_.contains(item->Id))
            galleries_.insert(item->Id, Placed{node, depth});
    }

    ElementStream& stream_;
    const QString& previewFolder_;
    const TpaAlbumSettings& settings_;
    TpaAlbumTree& tree_;
    const int maxItems_;
    int items_ = 0;
    Placed root_;
    QHash<int, Placed> galleries_; // gallery number -> first gallery read with it
    bool folderRead_ = false;
    bool photosRead_ = false;
    std::vector<std::pair<QDomDocument, int>> earlyPhotos_; // read before the galleries
    QDomDocument albumDoc_;
    QDomElement top_;
};

} // namespace

void TpaDataXmlReader::Read(const QString& path, const QString& previewFolder,
                            const TpaAlbumSettings& settings, TpaAlbumTree& tree) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw XmlLoadError(QString("Cannot read \"%1\": %2.")
                               .arg(QDir::toNativeSeparators(path), file.errorString()));
    // Read whole below: a file past any real album's size would take its size in memory twice.
    if (file.size() > kMaxDataXmlBytes)
        throw XmlLoadError(QString("\"%1\" is larger than any album's (%2 bytes).")
                               .arg(QDir::toNativeSeparators(path))
                               .arg(kMaxDataXmlBytes));
    ElementStream stream(file.readAll(), path);
    file.close();

    while (!stream.AtEnd() && stream.Next() != QXmlStreamReader::StartElement) {
    }
    if (stream.AtEnd() || stream.Name() != u"photogallery") {
        while (!stream.AtEnd()) // a damaged file is still an error
            stream.Next();
        return;
    }
    AlbumLoader(stream, previewFolder, settings, tree).Run();

    for (TpaTreeNode* n = tree.First(); n; n = n->NextInPreOrder())
        n->SetExpanded(true);
}

} // namespace model
