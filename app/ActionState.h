#pragma once

#include <QMap>
#include <QString>

#include <optional>

namespace app {

enum class NodeKind { Album, Gallery, Photo };

// What the action rules need to know about a template level of one depth.
struct LevelFacts {
    QString name;      // the level's name ("" = none)
    QString photoName; // the name of its photos ("" = none)
    int maxFolders = 2147483647;
};

// What the action rules need to know about the selected node.
struct SelectedFacts {
    NodeKind kind = NodeKind::Album;
    int depth = 0;              // album root 0
    QString text;               // the caption as the tree shows it
    bool canAddGallery = false; // the album's own answer for this node
    bool canAddPhoto = false;
    bool captionEditable = false; // a caption field exists and is not locked
    bool hasPrevSibling = false;
    bool hasNextSibling = false;
    bool hasPrevPhoto = false; // an earlier sibling photo
    bool hasNextPhoto = false;
    int siblingParentGalleries = 0; // gallery children of Q (the node, or its parent)
};

// Everything the enabling of the main window's actions depends on.
struct ActionInputs {
    int nodeCount = 0;
    bool modified = false;
    int recentCount = 0;
    int moveToCount = 0;   // items of the move-to menu
    int languageCount = 0; // items of the language menu
    std::optional<SelectedFacts> selected;
    QMap<int, LevelFacts> levels; // by depth, as the album's level list answers for it
};

// The state the main window applies to its actions and tool buttons.
struct ActionState {
    bool fileNew = true, fileOpen = true, fileExit = true;
    bool fileReopen = false, fileClose = false, fileSaveAs = false, filePublish = false;
    bool filePublishSetting = false, fileUpdateProjectFile = false, fileSave = false;
    bool viewPreviewInBrowser = false, viewRefresh = false;

    bool addGallery = false;
    QString addGalleryCaption, addGalleryHint;
    QString subGalleryHint; // tbEditAddSubGallery

    bool siblingGallery = false; // tbEditAddGallery
    QString siblingGalleryCaption, siblingGalleryHint;

    bool addPhoto = false;
    QString addPhotoCaption, addPhotoHint;
    bool editAddMenu = false, import = false, scanMyPictures = false, changeImage = false;

    bool editDelete = false, editRename = false, treeReadOnly = true;
    bool moveUp = false, moveDown = false, moveTo = false;
    bool expandAll = false, collapseAll = false, viewPrev = false, viewNext = false;
    bool languageMenu = false;
};

// The localised nouns and hint formats the rules use (Strings 1 to 5).
struct ActionTexts {
    QString gallery = QStringLiteral("Gallery");
    QString addToAlbum = QStringLiteral("Add new %s to album");
    QString addUnder = QStringLiteral("Add new %s under %s");
    QString photo = QStringLiteral("Photo");
    QString addPhotoToAlbum = QStringLiteral("Add new %s to album");
};

ActionState ComputeActionState(const ActionInputs& in, const ActionTexts& texts = {});

} // namespace app
