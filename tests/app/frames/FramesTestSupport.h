#pragma once

// Shared set-up of the settings-frame tests: a main window with the hidden model frames, and
// albums on the sample template or on the test template that has every kind of field.

#include "../AppTestSupport.h"

#include "app/frames/FieldFrame.h"
#include "app/frames/ModelFrames.h"

#include "model/document/Album.h"
#include "model/items/AlbumItem.h"

#include <QScrollArea>
#include <QTest>

namespace frametest {

using model::TpaTreeNode;

struct Window {
    apptest::TestEnvironment env;
    app::ModelFrames models{env.forms};
    std::unique_ptr<app::TfrmMain> w;

    explicit Window(const char* albumFolder = nullptr) {
        w = env.makeMainWindow();
        env.commands->showStartupWizard = [] {};
        w->resize(1000, 700);
        w->show();
        QCoreApplication::processEvents();
        if (albumFolder)
            load(albumFolder);
    }
    // Loads the album of a template folder into the working copy ("" = the sample template).
    void load(const QString& folder) {
        const model::FolderLayout& f = model::Folders();
        apptest::copyTree(folder.isEmpty() ? env.program + "Templates/fz-simple" : folder,
                          f.PreviewFolder);
        w->album().LoadFromXml(f.PreviewFolder + "data.xml");
        w->album().SetModified(false);
    }
    TpaTreeNode* root() { return w->album().Tree().Root(); }
    TpaTreeNode* select(TpaTreeNode* node) {
        w->selectNode(node);
        QCoreApplication::processEvents();
        return node;
    }
    TpaTreeNode* addPhoto(TpaTreeNode* parent, const QString& caption) {
        auto item = w->album().CreateItem(model::ikPhoto, parent);
        if (auto* field = item->CaptionField())
            field->Value = caption;
        return w->album().Tree().Append(parent, std::move(item));
    }
    template <class T> T* frame(const QString& name) { return w->findChild<T*>(name); }
    // The names of the frames a holder shows, top-down.
    QStringList framesIn(QWidget* holder) {
        QList<QWidget*> frames;
        for (QWidget* child : holder->findChildren<app::FieldFrame*>(Qt::FindDirectChildrenOnly))
            frames << child;
        std::sort(frames.begin(), frames.end(),
                  [](QWidget* a, QWidget* b) { return a->y() < b->y(); });
        QStringList names;
        for (QWidget* f : frames)
            names << f->objectName();
        return names;
    }
    QWidget* boxContents(app::PageKind kind) { return w->settingsBox(kind).widget(); }
    // Saves "data.xml" of the working copy and reads it into a new album.
    std::unique_ptr<model::TpaAlbum> saveAndReload() {
        const QString path = model::Folders().PreviewFolder + "data.xml";
        w->album().SaveToXml(path);
        auto again = std::make_unique<model::TpaAlbum>();
        again->LoadFromXml(path);
        return again;
    }
};

inline QString fullTemplate() {
    return QStringLiteral(FZ_TEST_DATA "/app/frames/full");
}

// The control of that name in a frame; a missing one ends the test run.
template <class T> T* part(QObject* frame, const char* name) {
    T* found = frame->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

} // namespace frametest
