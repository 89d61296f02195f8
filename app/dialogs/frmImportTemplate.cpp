#include "app/dialogs/frmImportTemplate.h"

#include "app/dialogs/ProgressScope.h"
#include "app/l10n/Localization.h"

#include "model/FileRoutines.h"
#include "model/FolderLayout.h"
#include "model/image/ImageImport.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace app {

namespace {

constexpr int IndexRole = Qt::UserRole + 1;
const QColor ShadowColour(0x60, 0x60, 0x60);

QLabel* pagerLabel(const QString& name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setCursor(Qt::PointingHandCursor);
    return label;
}

void stylePagerLabel(QLabel* label, bool current) {
    QFont font = label->font();
    font.setBold(true);
    font.setUnderline(!current);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, current ? QColor(255, 0, 0) : QColor(Qt::black));
    label->setPalette(palette);
    label->setCursor(current ? Qt::ArrowCursor : Qt::PointingHandCursor);
}

} // namespace

TfrmImportTemplate::TfrmImportTemplate(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmImportTemplate"));
    setWindowTitle(QStringLiteral("Choose Album Template"));
    // A dialog border with the minimise box: room for a page of four, not resizable.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(560, 540);

    auto* layout = new QVBoxLayout(this);
    pages = new QStackedWidget(this);
    layout->addWidget(pages, 1);
    lvThumbnails = createPageView();
    lvThumbnails->setObjectName(QStringLiteral("lvThumbnails"));
    PageViews.append(lvThumbnails);

    auto* pager = new QHBoxLayout;
    lbGalleryPage =
        pagerLabel(QStringLiteral("lbGalleryPage"), QStringLiteral("Gallery Page:"), this);
    lbGalleryPage->setCursor(Qt::ArrowCursor);
    pager->addWidget(lbGalleryPage);
    lbFirst = pagerLabel(QStringLiteral("lbFirst"), QStringLiteral("|<"), this);
    lbFirst->hide();
    lbPrev = pagerLabel(QStringLiteral("lbPrev"), QStringLiteral(" <"), this);
    pager->addWidget(lbFirst);
    pager->addWidget(lbPrev);
    for (int k = 0; k < PagerSize; ++k) {
        PagerLabels[k] =
            pagerLabel(QStringLiteral("lb%1").arg(k + 1), QString::number(k + 1), this);
        pager->addWidget(PagerLabels[k]);
    }
    lbNext = pagerLabel(QStringLiteral("lbNext"), QStringLiteral(">"), this);
    lbLast = pagerLabel(QStringLiteral("lbLast"), QStringLiteral(">|"), this);
    lbLast->hide();
    pager->addWidget(lbNext);
    pager->addWidget(lbLast);
    pager->addStretch(1);
    btOk = new QPushButton(QStringLiteral("&Ok"), this);
    btOk->setObjectName(QStringLiteral("btOk"));
    btOk->setDefault(true);
    btOk->setEnabled(false);
    btCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    pager->addWidget(btOk);
    pager->addWidget(btCancel);
    layout->addLayout(pager);

    for (QLabel* label : {lbFirst, lbPrev, lbNext, lbLast})
        label->installEventFilter(this);
    for (QLabel* label : PagerLabels)
        label->installEventFilter(this);
    connect(btOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmImportTemplate::~TfrmImportTemplate() = default;

QListWidget* TfrmImportTemplate::createPageView() {
    auto* view = new QListWidget(pages);
    view->setViewMode(QListView::IconMode);
    view->setIconSize(QSize(ThumbSize, ThumbSize));
    view->setFlow(QListView::LeftToRight);
    view->setWrapping(true);
    view->setResizeMode(QListView::Adjust);
    view->setMovement(QListView::Static);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSpacing(4);
    // Every item gets a cell of the thumbnail's width; a longer caption is elided there
    // (its tooltip names it in full) instead of widening the cell.
    view->setGridSize(QSize(ThumbSize + 24, ThumbSize + view->fontMetrics().height() + 14));
    view->setUniformItemSizes(true);
    view->setWordWrap(false);
    view->setTextElideMode(Qt::ElideMiddle);
    pages->addWidget(view);
    connect(view, &QListWidget::itemSelectionChanged, this,
            [this, view] { selectionChanged(view); });
    connect(view, &QListWidget::itemClicked, this, [this, view] { selectionChanged(view); });
    connect(view, &QListWidget::itemDoubleClicked, this, [this, view] {
        selectionChanged(view);
        if (SelectedTemplate)
            accept();
    });
    return view;
}

QList<TemplateEntry> TfrmImportTemplate::ListTemplates(const QString& folder) {
    QStringList folders;
    model::ListSubFolders(folder, folders, false);
    QList<TemplateEntry> list;
    for (const QString& path : folders) {
        const QString name = QDir(path).dirName();
        // A name as the file system gives it: "=" or any other character belongs to it.
        if (name.startsWith(u'.') || !QFileInfo(path + QStringLiteral("album.xml")).isFile())
            continue;
        list.append({name, path});
    }
    std::sort(list.begin(), list.end(), [](const TemplateEntry& a, const TemplateEntry& b) {
        const int byName = QString::compare(a.name, b.name, Qt::CaseInsensitive);
        return byName != 0 ? byName < 0 : a.path < b.path;
    });
    return list;
}

void TfrmImportTemplate::LoadTemplateList(const QString& folder) {
    TemplateList = ListTemplates(folder);
}

void TfrmImportTemplate::Prepare(const QString& templatesFolder) {
    ilThumbnails.clear();
    LoadTemplateList(templatesFolder);
    BuildPages();
    LoadThumbnails(true);
}

QImage TfrmImportTemplate::placeholder() const {
    QImage image(ThumbSize, ThumbSize, QImage::Format_RGB32);
    image.fill(lvThumbnails->palette().color(QPalette::Base));
    QPainter painter(&image);
    painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
    painter.drawRect(0, 0, ThumbSize - 1, ThumbSize - 1);
    return image;
}

void TfrmImportTemplate::BuildPages() {
    while (PageViews.size() > 1)
        delete PageViews.takeLast();
    SelectedTemplate.reset();
    lvThumbnails->clear();
    ilThumbnails.clear();
    ilThumbnails.append(placeholder());
    const QIcon empty(QPixmap::fromImage(ilThumbnails.first()));
    QListWidget* view = lvThumbnails;
    for (int i = 0; i < TemplateList.size(); ++i) {
        if (i > 0 && i % PagerSize == 0) {
            view = createPageView();
            PageViews.append(view);
        }
        auto* item = new QListWidgetItem(empty, TemplateList[i].name, view);
        item->setData(IndexRole, i);
        item->setToolTip(TemplateList[i].name);
    }
}

QImage TfrmImportTemplate::thumbnailOf(const TemplateEntry& entry, bool allowEnlarge) const {
    QString file = entry.path + QStringLiteral("thumb.jpg");
    const bool own = QFileInfo(file).isFile();
    if (!own)
        file = Localization().LocalizedFile(2, QStringLiteral("NoImage.jpg"),
                                            model::Folders().FilesFolder);
    const model::Picture picture = model::LoadPictureFile(file);
    const QSize source = model::GetPictureSize(picture);
    const QSize fit = model::FitSizeEx(source.width(), source.height(), ThumbSize - 20,
                                       ThumbSize - 20, allowEnlarge);
    const int w = fit.width(), h = fit.height();
    const int x = (ThumbSize - w) / 2 - 1, y = (ThumbSize - h) / 2 - 1;
    const QImage stretched = model::StretchPicture(picture, w, h);

    QImage image = placeholder();
    QPainter painter(&image);
    if (own) {
        const QColor background = lvThumbnails->palette().color(QPalette::Base);
        painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
        painter.setBrush(background);
        painter.drawRect(x - 2, y - 2, w + 3, h + 3);
        painter.fillRect(x + 1, y + h + 2, w + 4, 3, ShadowColour);
        painter.fillRect(x + w + 2, y + 1, 3, h + 1, ShadowColour);
    }
    painter.drawImage(QRect(x, y, w, h), stretched);
    return image;
}

void TfrmImportTemplate::LoadThumbnails(bool allowEnlarge) {
    int i = 0;
    for (QListWidget* view : PageViews) {
        for (int row = 0; row < view->count(); ++row, ++i) {
            if (i % 5 == 0)
                pumpMessages();
            QListWidgetItem* item = view->item(row);
            const int index = item->data(IndexRole).toInt();
            // A picture that cannot be read leaves the placeholder: the list still works.
            try {
                ilThumbnails.append(thumbnailOf(TemplateList.at(index), allowEnlarge));
                item->setIcon(QIcon(QPixmap::fromImage(ilThumbnails.last())));
            } catch (const std::exception&) {
                ilThumbnails.append(ilThumbnails.first());
            }
        }
    }
}

void TfrmImportTemplate::showEvent(QShowEvent* event) {
    PageCount = static_cast<int>(PageViews.size());
    if (CurrentPage >= PageCount)
        CurrentPage = 0;
    FirstPagerPage = CurrentPage / PagerSize * PagerSize;
    UpdatePager();
    btOk->setEnabled(false);
    QDialog::showEvent(event);
}

void TfrmImportTemplate::UpdatePager() {
    PageCount = static_cast<int>(PageViews.size());
    lbFirst->setEnabled(CurrentPage > 0);
    lbPrev->setEnabled(CurrentPage > 0);
    lbNext->setEnabled(CurrentPage < PageCount - 1);
    lbLast->setEnabled(CurrentPage < PageCount - 1);
    for (int k = 0; k < PagerSize; ++k) {
        QLabel* label = PagerLabels[k];
        const int page = FirstPagerPage + k;
        label->setProperty("Tag", page);
        label->setText(QString::number(page + 1));
        stylePagerLabel(label, page == CurrentPage);
        label->setEnabled(page < PageCount);
        label->setVisible(page < PageCount);
    }
    QListWidget* view = PageViews.value(CurrentPage, lvThumbnails);
    view->clearSelection();
    view->setCurrentItem(nullptr);
    pages->setCurrentWidget(view);
    view->setFocus();
    SelectedTemplate.reset();
    btOk->setEnabled(false);
}

void TfrmImportTemplate::goToPage(int page) {
    CurrentPage = std::clamp(page, 0, std::max(0, PageCount - 1));
    FirstPagerPage = CurrentPage / PagerSize * PagerSize;
    UpdatePager();
}

void TfrmImportTemplate::labelClicked(QLabel* label) {
    if (label == lbFirst) {
        goToPage(0);
    } else if (label == lbLast) {
        goToPage(PageCount - 1);
    } else if (label == lbPrev) {
        if (CurrentPage > 0)
            goToPage(CurrentPage - 1);
    } else if (label == lbNext) {
        if (CurrentPage < PageCount - 1)
            goToPage(CurrentPage + 1);
    } else {
        // A page number keeps its group of labels where it is.
        CurrentPage = label->property("Tag").toInt();
        UpdatePager();
    }
}

bool TfrmImportTemplate::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* label = qobject_cast<QLabel*>(watched);
        if (label && label->isEnabled() &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            labelClicked(label);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmImportTemplate::selectionChanged(QListWidget* view) {
    const QList<QListWidgetItem*> selected = view->selectedItems();
    if (selected.isEmpty())
        SelectedTemplate.reset();
    else
        SelectedTemplate = TemplateList.value(selected.first()->data(IndexRole).toInt());
    btOk->setEnabled(SelectedTemplate.has_value());
}

} // namespace app
