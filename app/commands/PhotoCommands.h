#pragma once

#include <QObject>
#include <QStringList>

#include <cstddef>

namespace model {
class PhotoFileBatch;
class TpaTreeNode;
} // namespace model

namespace app {

class EditorContext;
struct MainActions;

// Bringing photos into the album: files picked in the picture dialog, every picture under a
// folder, the user's pictures folder, and a new picture for the selected photo.
class PhotoCommands : public QObject {
    Q_OBJECT

public:
    PhotoCommands(EditorContext& editor, const MainActions& actions, QObject* parent = nullptr);

    // Add Photo: the multi-selection picture dialog, starting in `folder` (empty: where it
    // was last), then the chosen files.
    void AddPhoto(const QString& folder = QString());
    // Import: a folder chosen by the user, then ImportFolder.
    void Import();
    // Import of the user's pictures folder; nothing when there is none.
    void ScanMyPictures();
    // Every picture under the folder, asked first, within the room of the target gallery.
    void ImportFolder(const QString& folder);
    // A new picture for the selected photo, written under the photo's file names.
    void ChangeImage();

    // Adds the files in order under the target gallery with a progress window that can be
    // cancelled; the last one added is selected. The pictures are decoded and scaled on every
    // core, the photos added on this thread. The first file that fails is reported with its
    // name and ends the adding; it and the files after it leave nothing behind. True when
    // every file was added.
    bool AddFiles(const QStringList& files, const QString& caption, const QString& label);

    // The gallery that takes new photos: the selection, or a selected photo's parent.
    model::TpaTreeNode* targetGallery() const;
    // How many photos the target may still take.
    int room() const;

private:
    model::TpaTreeNode* addPhoto(model::TpaTreeNode* gallery, model::PhotoFileBatch& batch,
                                 std::size_t index);
    QString albumName() const;

    EditorContext& editor_;
    const MainActions& actions_;
};

} // namespace app
