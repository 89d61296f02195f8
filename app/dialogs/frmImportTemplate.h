#pragma once

#include <QDialog>
#include <QImage>
#include <QList>
#include <QString>

#include <array>
#include <optional>

class QLabel;
class QListWidget;
class QPushButton;
class QStackedWidget;

namespace app {

// One template of the library: its folder name (the template's id) and its folder.
struct TemplateEntry {
    QString name;
    QString path; // ends with "/"
    bool operator==(const TemplateEntry&) const = default;
};

// The template chooser: every template of the library as a 200 by 200 thumbnail captioned with
// its folder name, four to a page, with a row of page numbers. Its callers fill it
// (LoadTemplateList, BuildPages, LoadThumbnails, or Prepare for all three), show it modally
// and read SelectedTemplate. It remembers the page last viewed between showings.
class TfrmImportTemplate : public QDialog {
    Q_OBJECT

public:
    static constexpr int ThumbSize = 200;
    static constexpr int PagerSize = 4;

    explicit TfrmImportTemplate(QWidget* parent = nullptr);
    ~TfrmImportTemplate() override;

    // The templates of the library folder: its sub-folders holding "album.xml" (links to
    // folders too, names beginning with "." not), sorted by name ignoring case, then by path.
    static QList<TemplateEntry> ListTemplates(const QString& folder);

    void LoadTemplateList(const QString& folder);
    void BuildPages();
    void LoadThumbnails(bool allowEnlarge);
    // The callers' whole preparation: the list from the folder, its pages and thumbnails.
    void Prepare(const QString& templatesFolder);

    // Shows the current page and brings the page-number labels up to date.
    void UpdatePager();

    QList<TemplateEntry> TemplateList;
    std::optional<TemplateEntry> SelectedTemplate; // a copy: the pages are rebuilt freely
    QList<QImage> ilThumbnails;                    // 0: the placeholder; i + 1: template i
    QList<QListWidget*> PageViews;                 // [0] is lvThumbnails
    int PageCount = 0;
    int CurrentPage = 0;
    int FirstPagerPage = 0;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QListWidget* lvThumbnails;
    QStackedWidget* pages;
    QLabel* lbGalleryPage;
    QLabel* lbFirst;
    QLabel* lbPrev;
    std::array<QLabel*, PagerSize> PagerLabels{};
    QLabel* lbNext;
    QLabel* lbLast;
    QPushButton* btOk;
    QPushButton* btCancel;

    QListWidget* createPageView();
    QImage placeholder() const;
    QImage thumbnailOf(const TemplateEntry& entry, bool allowEnlarge) const;
    void selectionChanged(QListWidget* view);
    void labelClicked(QLabel* label);
    void goToPage(int page);
};

} // namespace app
