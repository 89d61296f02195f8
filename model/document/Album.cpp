#include "model/document/Album.h"

#include "model/Errors.h"
#include "model/FileRoutines.h"
#include "model/ParallelJobs.h"
#include "model/ReplacedFile.h"
#include "model/SafePath.h"
#include "model/document/AlbumPage.h"
#include "model/document/DataXmlReader.h"
#include "model/document/DataXmlWriter.h"
#include "model/image/ImageImport.h"
#include "model/image/PixelBudget.h"
#include "model/image/ReservedFileNames.h"
#include "model/items/AlbumItem.h"
#include "model/items/GalleryItem.h"
#include "model/items/PhotoItem.h"
#include "model/tree/TreeUtils.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <utility>
#include <vector>

namespace model {

void TpaAlbum::SetModified(bool modified) {
    modified_ = modified;
    for (const auto& listener : modifiedListeners_)
        listener(modified);
}

void TpaAlbum::AddModifiedListener(std::function<void(bool modified)> listener) {
    modifiedListeners_.push_back(std::move(listener));
}

void TpaAlbum::SaveToXml(const QString& path) {
    if (tree_.IsEmpty())
        return;
    int counter = 1;
    RenumberIds(tree_.Root(), 0, counter);
    const QByteArray bytes = TpaDataXmlWriter::Render(tree_).toUtf8();
    ReplaceFileContents(path, bytes, QStringLiteral("Cannot write \"%1\": %2."));
}

void TpaAlbum::LoadFromXml(const QString& path) {
    try {
        TpaAlbumSettings settings;
        const QString folder = QFileInfo(path).absolutePath() + u'/';
        settings.LoadFromFile(folder + QStringLiteral("album.xml"));
        TpaAlbumTree fresh;
        TpaDataXmlReader::Read(path, folder, settings, fresh);
        Settings = std::move(settings);
        tree_.ReplaceWith(fresh);
    } catch (...) {
        Settings = TpaAlbumSettings();
        tree_.Clear();
        throw;
    }
}

void TpaAlbum::RenumberIds(TpaTreeNode* node, int parentNo, int& counter) {
    if (!node)
        return;
    // Galleries waiting for their number, with the number of their parent. The
    // stack gets each parent's galleries in reverse, so numbers follow tree order.
    std::vector<std::pair<TpaTreeNode*, int>> pending;
    const auto takeChildren = [&pending](TpaTreeNode* parent, int number) {
        for (int i = parent->ChildCount() - 1; i >= 0; --i) {
            TpaTreeNode* child = parent->Child(i);
            if (child->IsGallery())
                pending.emplace_back(child, number);
            else if (child->IsPhoto())
                static_cast<TpaPhotoItem*>(child->Item())->Fid = number;
        }
    };
    takeChildren(node, parentNo);
    while (!pending.empty()) {
        const auto [gallery, number] = pending.back();
        pending.pop_back();
        auto* item = static_cast<TpaGalleryItem*>(gallery->Item());
        item->Pid = number;
        item->Id = counter++;
        takeChildren(gallery, item->Id);
    }
}

TpaTreeNode* TpaAlbum::FindNodeByText(const QString& text) const {
    for (TpaTreeNode* n = tree_.First(); n; n = n->NextInPreOrder()) {
        if (QString::compare(n->Text(), text, Qt::CaseInsensitive) == 0)
            return n;
    }
    return nullptr;
}

TpaTreeNode* TpaAlbum::FindGalleryNode(int id) const {
    for (TpaTreeNode* n = tree_.First(); n; n = n->NextInPreOrder()) {
        if (n->IsGallery() && static_cast<TpaGalleryItem*>(n->Item())->Id == id)
            return n;
    }
    return nullptr;
}

QString TpaAlbum::MakeUniqueName(const QString& base) const {
    // One walk collects the names taken, so the search stays linear.
    QSet<QString> taken;
    for (const TpaTreeNode* n = tree_.First(); n; n = n->NextInPreOrder())
        taken.insert(n->Text().toCaseFolded());
    for (int i = 1;; ++i) {
        const QString name = QStringLiteral("%1 %2").arg(base).arg(i);
        if (!taken.contains(name.toCaseFolded()))
            return name;
    }
}

QString TpaAlbum::GetAlbumName() const {
    const TpaTreeNode* root = tree_.Root();
    return root ? root->Text() : QString();
}

namespace {

// The node a new child of node would hang under: node itself, or the parent of
// a photo. nullptr for no node, a node without an item or a parentless photo.
const TpaTreeNode* TakingNode(const TpaTreeNode* node) {
    if (!node || !node->Item())
        return nullptr;
    return node->IsPhoto() ? node->Parent() : node;
}

} // namespace

bool TpaAlbum::HasRoomForItem() const {
    // Beyond the limit the saved album could not be opened again; the root is no item.
    return tree_.NodeCount() - 1 < Settings.MaxItems();
}

bool TpaAlbum::CanAddPhoto(const TpaTreeNode* node) const {
    return HasRoomForItem() && CanTakePhoto(node);
}

bool TpaAlbum::CanTakePhoto(const TpaTreeNode* node) const {
    node = TakingNode(node);
    if (!node)
        return false;
    const TpaAlbumSettingsLevel* level = Settings.Levels.FindLevel(node->Depth());
    return level && CountPhotoChildren(node) < level->MaxPhotos;
}

bool TpaAlbum::CanAddGallery(const TpaTreeNode* node) const {
    node = TakingNode(node);
    if (!node || !HasRoomForItem())
        return false;
    const int depth = node->Depth();
    // A gallery deeper than the loader accepts would make the saved album
    // impossible to open again.
    if (depth + 1 > TpaDataXmlReader::MaxGalleryDepth)
        return false;
    const TpaAlbumSettingsLevel* level = Settings.Levels.FindLevel(depth);
    if (!level || !Settings.Levels.FindLevel(depth + 1))
        return false;
    return CountGalleryChildren(node) < level->MaxFolders;
}

std::unique_ptr<TpaItem> TpaAlbum::CreateItem(TpaItemKind kind, const TpaTreeNode* parent) const {
    const int parentDepth = parent ? parent->Depth() : -1;
    std::unique_ptr<TpaItem> item;
    int depth = parentDepth + 1;
    switch (kind) {
    case ikAlbum: {
        auto album = std::make_unique<TpaAlbumItem>();
        album->PublishSize.Assign(Settings.PublishSize);
        item = std::move(album);
        break;
    }
    case ikGallery:
        item = std::make_unique<TpaGalleryItem>();
        break;
    case ikPhoto:
        item = std::make_unique<TpaPhotoItem>();
        depth = parentDepth; // photos take the level of the node they hang in
        break;
    }
    if (const TpaAlbumSettingsLevel* level = Settings.Levels.FindLevel(depth))
        item->Level.Assign(*level);
    return item;
}

bool TpaAlbum::GetAlbumSize(QString& width, QString& height) const {
    const TpaTreeNode* root = tree_.Root();
    if (!root || !root->IsAlbum())
        return false;
    const auto& size = static_cast<const TpaAlbumItem*>(root->Item())->PublishSize;
    width = size.WidthText();
    height = size.HeightText();
    return true;
}

void TpaAlbum::WriteIndexHtml(const QString& path, const QString& pageTemplatePath,
                              const QString& baseFolder) const {
    QString width;
    QString height;
    GetAlbumSize(width, height);
    TpaAlbumPage::Write(path, pageTemplatePath,
                        TpaAlbumPage::Values{width, height, baseFolder, GetAlbumName()});
}

namespace {

// One thumbnail to make: the image it is for, its picture, its box and its file, named before
// any is made so that the workers never race for a name.
struct ThumbnailJob {
    TpaImageInfo* image = nullptr;
    QString source;
    int box = 0;
    QString target;
    bool made = false;
};

void addJob(std::vector<ThumbnailJob>& jobs, TpaImageInfo& image, const QString& previewFolder,
            int box) {
    // Missing pictures are passed over, as are names that would leave the album's folder.
    if (image.FileName.isEmpty() || !IsSafeRelativePath(image.FileName))
        return;
    const QString source = previewFolder + image.FileName;
    if (!QFileInfo(source).isFile())
        return;
    jobs.push_back({&image, source, box, QString(), false});
}

} // namespace

int TpaAlbum::RebuildThumbnails(TpaTreeNode* start, const QString& thumbsFolder,
                                const QString& previewFolder, int levelBox,
                                const std::function<void()>& pump) {
    constexpr int photoBox = 150;
    std::vector<ThumbnailJob> jobs;
    for (TpaTreeNode* n = start; n; n = n->NextInPreOrder(start)) {
        TpaItem* item = n->Item();
        if (!item)
            continue;
        // Reduced copies too: their frames show them like any other picture.
        for (const auto& field : item->Level.ImageFields.Items)
            addJob(jobs, field->Image, previewFolder, levelBox);
        auto& photo = item->Level.Photo;
        if (TpaAlbumSettingsImageField* shown = photo.ImageFields.FindById(photo.Show))
            addJob(jobs, shown->Image, previewFolder, photoBox);
    }
    if (jobs.empty())
        return 0;
    const QString folder = WithTrailingSlash(thumbsFolder);
    QDir().mkpath(folder);
    ReservedFileNames names(folder);
    for (ThumbnailJob& job : jobs)
        job.target = names.reserve(CleanProposedFileName(QFileInfo(job.source).completeBaseName() +
                                                         QStringLiteral(".jpg")));

    // The workers read their own job and write only its result and its file; the pictures
    // they decode at once share one budget.
    PixelBudget budget;
    ParallelJobs work(jobs.size(), [&jobs, &folder, &budget](std::size_t i) {
        ThumbnailJob& job = jobs[i];
        job.made = !CreateResizedJpegFile(job.source, job.box, job.box, folder, job.target, &budget)
                        .isEmpty();
    });
    work.waitForAll(pump);

    int failed = 0;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        ThumbnailJob& job = jobs[i];
        // A picture that could not be decoded: the frames show their stand-in picture.
        if (job.made && !work.error(i)) {
            job.image->Thumbnail = folder + job.target;
        } else {
            job.image->Thumbnail.clear();
            ++failed;
        }
    }
    return failed;
}

} // namespace model
