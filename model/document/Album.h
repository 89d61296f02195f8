#pragma once

#include "model/items/Item.h"
#include "model/settings/AlbumSettings.h"
#include "model/tree/AlbumTree.h"

#include <QString>

#include <functional>

#include <memory>
#include <vector>

namespace model {

// The open album: its template settings and its tree of items. Reads and
// writes "data.xml", numbers the galleries, answers the template's limits.
class TpaAlbum {
public:
    TpaAlbum() = default;
    TpaAlbum(const TpaAlbum&) = delete;
    TpaAlbum& operator=(const TpaAlbum&) = delete;

    QString FileName; // the album project file; empty until saved
    bool Modified() const { return modified_; }
    // Every change of the album goes through here: the listeners (the window's tree and
    // actions) hear of each call, also one that leaves the state as it was, since the edit
    // that made it may have changed what they show.
    void SetModified(bool modified);
    void AddModifiedListener(std::function<void(bool modified)> listener);
    TpaAlbumSettings Settings; // replaced by every load

    TpaAlbumTree& Tree() { return tree_; }
    const TpaAlbumTree& Tree() const { return tree_; }

    // Writes "data.xml" (UTF-8 without BOM, CR LF) atomically: a failed write
    // throws FileError and leaves the old file as it was. An empty tree writes
    // nothing. Numbers the galleries first.
    void SaveToXml(const QString& path);

    // Reads "album.xml" from the same folder and then the file into a new tree,
    // which replaces the current one when everything was read. On failure the
    // tree and the settings are empty and the error (XmlLoadError,
    // ConversionError) is thrown.
    void LoadFromXml(const QString& path);

    // Numbers the galleries below node in tree order from counter on, setting
    // their Pid and the Fid of photos; galleries take the number of their parent
    // gallery, parentNo for node's own children.
    static void RenumberIds(TpaTreeNode* node, int parentNo, int& counter);

    // The first node in tree order whose text equals text, ignoring case.
    TpaTreeNode* FindNodeByText(const QString& text) const;
    // The first gallery in tree order with the number.
    TpaTreeNode* FindGalleryNode(int id) const;
    // The first "<base> <n>", n = 1, 2, ..., that no node is named.
    QString MakeUniqueName(const QString& base) const;
    // The album root's text; empty for an empty tree.
    QString GetAlbumName() const;

    bool CanAddPhoto(const TpaTreeNode* node) const;
    // Whether node's level has room for one more photo, say one moved there: no new item.
    bool CanTakePhoto(const TpaTreeNode* node) const;
    bool CanAddGallery(const TpaTreeNode* node) const;
    // Whether one more gallery or photo stays within the items its template allows.
    bool HasRoomForItem() const;

    // A new item of the kind for a node that will hang below parent (nullptr:
    // the album root), with its level copied from the settings for that depth.
    std::unique_ptr<TpaItem> CreateItem(TpaItemKind kind, const TpaTreeNode* parent) const;

    // Width and height texts of the root's publish size ("80%", "300", "").
    // False, with both left as they were, when there is no album root.
    bool GetAlbumSize(QString& width, QString& height) const;

    // Writes the album page from the page template: the size texts, baseFolder
    // ("" for the working copy, "pictavo/" when publishing) and the album name
    // in place of the placeholders. Throws FileError.
    void WriteIndexHtml(const QString& path, const QString& pageTemplatePath,
                        const QString& baseFolder) const;

    static constexpr int LevelThumbnailBox = 96;

    // Makes the editor thumbnails of start and every node below it into
    // thumbsFolder: each image of an item's level (reduced copies too) fitted into levelBox by
    // levelBox, and the photo's shown image into 150 by 150; Thumbnail then names
    // the copy. Missing files are passed over; an image that cannot be decoded
    // gets no thumbnail and the others are still made. Returns how many failed.
    // The pictures are decoded and scaled on every core; the tree is only touched on the
    // calling thread, which runs pump (if given) every few milliseconds while it waits.
    int RebuildThumbnails(TpaTreeNode* start, const QString& thumbsFolder,
                          const QString& previewFolder, int levelBox = LevelThumbnailBox,
                          const std::function<void()>& pump = {});

private:
    TpaAlbumTree tree_;
    bool modified_ = false;
    std::vector<std::function<void(bool)>> modifiedListeners_;
};

} // namespace model
