// The image field frame with its full-size preview, and the publish-size frame's arithmetic.

#include "FramesTestSupport.h"

#include "app/dialogs/frmImagePreview.h"
#include "app/frames/TfrmImageField.h"
#include "app/frames/TfrmPublishSizeField.h"

#include "model/settings/AlbumSettingsImageField.h"
#include "model/settings/AlbumSettingsPublishSizeField.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

#include <climits>

using namespace app;
using frametest::part;
using frametest::Window;
using model::TpaTreeNode;

namespace {

QString writePicture(const QString& path, int w, int h, const char* format) {
    QImage picture(w, h, QImage::Format_RGB32);
    picture.fill(QColor(30, 120, 200));
    picture.save(path, format);
    return path;
}

// Runs check on the preview window once it is open, then closes it.
void whenPreviewOpens(TfrmImageField* frame, std::function<void(TfrmImagePreview*)> check) {
    QTimer::singleShot(0, frame, [frame, check] {
        TfrmImagePreview* preview = frame->findChild<TfrmImagePreview*>();
        QVERIFY(preview);
        check(preview);
        preview->reject();
    });
}

} // namespace

class ImageAndPublishSizeFramesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void factsLineAndPreviewCaption() {
        model::TpaImageInfo image;
        image.Name = "a.jpg";
        image.Width = 1024;
        image.Height = 768;
        image.Size = 245760;
        QCOMPARE(TfrmImageField::PropertiesText(image), QString("1024x768  240.0 KB"));
        QCOMPARE(TfrmImageField::PreviewCaption(image), QString("a.jpg (1024x768) 240.0 KB"));
        for (auto blank : {&model::TpaImageInfo::Width, &model::TpaImageInfo::Height}) {
            model::TpaImageInfo partial = image;
            partial.*blank = 0;
            QVERIFY(TfrmImageField::PropertiesText(partial).isEmpty());
        }
        image.Size = 0;
        QVERIFY(TfrmImageField::PropertiesText(image).isEmpty());
    }

    void previewWindowPlacement_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QRect>("workArea");
        QTest::addColumn<QRect>("expected");
        // area = max(side, 150) + 2 + frame (8 x 30 here), within and centred in the work area
        QTest::newRow("small") << QSize(100, 80) << QRect(0, 0, 1000, 800)
                               << QRect(420, 309, 160, 182);
        QTest::newRow("larger than the screen")
            << QSize(5000, 4000) << QRect(0, 0, 1000, 800) << QRect(0, 0, 1000, 800);
        QTest::newRow("work area beside a panel")
            << QSize(400, 300) << QRect(200, 50, 1000, 800) << QRect(495, 284, 410, 332);
        QTest::newRow("no picture")
            << QSize(0, 0) << QRect(0, 0, 400, 400) << QRect(120, 109, 160, 182);
    }

    void previewWindowPlacement() {
        QFETCH(QSize, picture);
        QFETCH(QRect, workArea);
        QFETCH(QRect, expected);
        QCOMPARE(TfrmImagePreview::placement(picture, QSize(8, 30), workArea), expected);
    }

    void emptyFieldShowsTheStandInPicture() {
        Window t("");
        t.select(t.root());
        auto* frame = t.frame<TfrmImageField>("sbAlbumSettings_ImageFieldFrame0");
        QVERIFY(frame);
        QVERIFY(part<QLabel>(frame, "lbFileName")->text().isEmpty());
        QVERIFY(part<QLabel>(frame, "lbProperties")->text().isEmpty());
        QVERIFY(!part<QPushButton>(frame, "btDelete")->isEnabled());
        QVERIFY(!part<QPushButton>(frame, "btViewFullSize")->isEnabled());
        QVERIFY(part<QLabel>(frame, "imgPreview")->toolTip().isEmpty());
        QCOMPARE(part<QLabel>(frame, "imgPreview")
                     ->pixmap()
                     .toImage()
                     .convertToFormat(QImage::Format_RGB32),
                 QImage(model::Folders().FilesFolder + "NoImage.jpg")
                     .convertToFormat(QImage::Format_RGB32));
    }

    void changeImportsFirstAndRebuildsTheReducedCopy() {
        Window t("");
        const model::FolderLayout& f = model::Folders();
        QTemporaryDir outside;
        // Qt writes no GIF: a bitmap takes the same conversion path.
        const QString bmp = writePicture(outside.path() + "/pic.bmp", 300, 200, "BMP");
        t.select(t.root());
        auto* frame = t.frame<TfrmImageField>("sbAlbumSettings_ImageFieldFrame0");
        auto* reducedFrame = t.frame<TfrmImageField>("sbAlbumSettings_ImageFieldFrame1");
        model::TpaAlbumSettingsImageField* field = frame->field();
        field->W = field->H = 0; // a box of 0 keeps the size
        // The field holds a picture already.
        QDir().mkpath(f.PreviewImagesFolder);
        const QString old = writePicture(f.PreviewImagesFolder + "old.jpg", 40, 40, "JPEG");
        field->Image.LoadFromFile(old);
        field->Image.MakeRelative(f.PreviewFolder);
        frame->LoadField();

        t.env.prompts.answerText(bmp.toStdString());
        part<QPushButton>(frame, "btChange")->click();
        QCOMPARE(field->Image.ImageType, QString("JPEG"));
        QVERIFY(field->Image.FileName.startsWith("pictavo_images/"));
        QVERIFY(field->Image.FileName.endsWith(".jpg"));
        QCOMPARE(QSize(field->Image.Width, field->Image.Height), QSize(300, 200));
        QVERIFY(QFileInfo::exists(f.PreviewFolder + field->Image.FileName));
        QVERIFY(!QFileInfo::exists(old));
        QCOMPARE(QImage(field->Image.Thumbnail).size(), QSize(96, 64));
        QCOMPARE(part<QLabel>(frame, "lbProperties")->text(),
                 TfrmImageField::PropertiesText(field->Image));
        QVERIFY(part<QPushButton>(frame, "btViewFullSize")->isEnabled());
        QCOMPARE(part<QLabel>(frame, "imgPreview")->toolTip(), QString("View Full Size"));
        QVERIFY(t.w->album().Modified());
        // The reduced copy (160 x 120 box) is made anew and its frame shows it.
        const model::TpaImageInfo& reduced = reducedFrame->field()->Image;
        QVERIFY(reduced.FileName.startsWith("pictavo_thumbs/"));
        QCOMPARE(QSize(reduced.Width, reduced.Height), QSize(160, 107));
        QCOMPARE(part<QLabel>(reducedFrame, "lbFileName")->text(), reduced.Name);

        // A GIF becomes a JPEG file too.
        t.env.prompts.answerText(FZ_TEST_DATA "/images/interlaced_64x48.gif");
        part<QPushButton>(frame, "btChange")->click();
        QVERIFY(field->Image.FileName.endsWith("interlaced_64x48.jpg"));
        QCOMPARE(QSize(field->Image.Width, field->Image.Height), QSize(64, 48));
        QCOMPARE(QDir(f.PreviewImagesFolder).entryList(QDir::Files).size(), 1);

        // A picture that cannot be decoded: an error, and the field keeps its picture.
        const model::TpaImageInfo before = field->Image;
        apptest::writeText(outside.path() + "/broken.jpg", "not a picture");
        t.env.prompts.answerText((outside.path() + "/broken.jpg").toStdString());
        t.env.prompts.answerButton(platform::PromptButton::Ok);
        part<QPushButton>(frame, "btChange")->click();
        QCOMPARE(field->Image, before);
        QVERIFY(QFileInfo::exists(f.PreviewFolder + before.FileName));
        QCOMPARE(t.env.prompts.calls().back().kind, platform::PromptKind::Error);
        QVERIFY(QString::fromStdString(t.env.prompts.calls().back().text)
                    .startsWith(outside.path() + "/broken.jpg\n\n")); // named as Add Photo does
        QCOMPARE(QDir(f.PreviewImagesFolder).entryList(QDir::Files).size(), 1);

        // Choosing the picture the field holds changes nothing.
        t.w->album().SetModified(false);
        t.env.prompts.answerText((f.PreviewFolder + before.FileName).toStdString());
        part<QPushButton>(frame, "btChange")->click();
        QCOMPARE(field->Image, before);
        QVERIFY(QFileInfo::exists(f.PreviewFolder + before.FileName));
        QVERIFY(!t.w->album().Modified());
    }

    void viewFullSizeShowsTheStoredFacts() {
        Window t("");
        const model::FolderLayout& f = model::Folders();
        QDir().mkpath(f.PreviewImagesFolder);
        t.select(t.root());
        auto* frame = t.frame<TfrmImageField>("sbAlbumSettings_ImageFieldFrame0");
        model::TpaImageInfo& image = frame->field()->Image;
        writePicture(f.PreviewImagesFolder + "a.jpg", 100, 80, "JPEG");
        image.FileName = "pictavo_images/a.jpg";
        image.Name = "a.jpg";
        image.Width = 1024; // as stored, not as on disk
        image.Height = 768;
        image.Size = 245760;
        frame->LoadField();
        QCOMPARE(part<QLabel>(frame, "lbProperties")->text(), QString("1024x768  240.0 KB"));
        bool checked = false;
        whenPreviewOpens(frame, [&](TfrmImagePreview* preview) {
            QCOMPARE(preview->windowTitle(), QString("a.jpg (1024x768) 240.0 KB"));
            auto* picture = apptest::child<QLabel>(*preview, "imgPreview");
            QCOMPARE(picture->minimumSize(), QSize(1024, 768));
            QCOMPARE(picture->pixmap().size(), QSize(100, 80)); // the full picture
            QCOMPARE(picture->toolTip(), QString("Close Window"));
            QVERIFY(preview->width() <= preview->screen()->availableGeometry().width());
            auto* area = apptest::child<QScrollArea>(*preview, "sbPreview");
            QCOMPARE(area->horizontalScrollBar()->value(), 0);
            checked = true;
        });
        part<QPushButton>(frame, "btViewFullSize")->click();
        QVERIFY(checked);
        QTRY_VERIFY(!frame->findChild<TfrmImagePreview*>());

        // A small picture gets the 150 x 150 minimum area; a click on it closes the window.
        image.Width = 100;
        image.Height = 80;
        checked = false;
        QTimer::singleShot(0, frame, [&] {
            TfrmImagePreview* preview = frame->findChild<TfrmImagePreview*>();
            auto* picture = apptest::child<QLabel>(*preview, "imgPreview");
            QCOMPARE(picture->minimumSize(), QSize(150, 150));
            QTest::mouseClick(picture, Qt::LeftButton);
            checked = !preview->isVisible();
        });
        QTest::mouseClick(part<QLabel>(frame, "imgPreview"),
                          Qt::LeftButton); // the thumbnail opens it too
        QVERIFY(checked);
    }

    void deleteStaysInsideTheWorkingCopy() {
        Window t("");
        const model::FolderLayout& f = model::Folders();
        t.select(t.root());
        auto* frame = t.frame<TfrmImageField>("sbAlbumSettings_ImageFieldFrame0");
        model::TpaImageInfo& image = frame->field()->Image;
        QTemporaryDir outside;
        const QString victim = f.DataFolder + "victim.txt";
        apptest::writeText(victim, "keep me");
        const QString inside = f.PreviewFolder + "data.xml";
        QDir().mkpath(f.PreviewImagesFolder); // so that "pictavo_images/.." resolves
        for (const QString& name : {QString("pictavo_images/../../victim.txt"),
                                    QString("pictavo_images/../data.xml"), victim}) {
            image.FileName = name;
            image.Name = "victim.txt";
            frame->LoadField();
            part<QPushButton>(frame, "btDelete")->click();
            QVERIFY(image.FileName.isEmpty());
            QCOMPARE(image.ImageType, QString("UNKNOWN"));
            QVERIFY(!part<QPushButton>(frame, "btDelete")->isEnabled());
        }
        QVERIFY(QFileInfo::exists(victim));
        QVERIFY(QFileInfo::exists(inside));
        // A picture of the field goes.
        writePicture(f.PreviewImagesFolder + "b.jpg", 10, 10, "JPEG");
        image.FileName = "pictavo_images/b.jpg";
        image.Name = "b.jpg";
        frame->LoadField();
        part<QPushButton>(frame, "btDelete")->click();
        QVERIFY(!QFileInfo::exists(f.PreviewImagesFolder + "b.jpg"));
        QCOMPARE(t.env.prompts.calls().size(), size_t(0));
    }

    void publishSizeArithmetic_data() {
        QTest::addColumn<QSize>("templateSize");
        QTest::addColumn<int>("metric");   // both combos
        QTest::addColumn<QString>("edit"); // "w" or "h"
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::newRow("px 300") << QSize(600, 400) << 1 << "w"
                                << "300"
                                << "300"
                                << "200";
        QTest::newRow("px 301") << QSize(600, 400) << 1 << "w"
                                << "301"
                                << "301"
                                << "201";
        QTest::newRow("px 5 by 1.6") << QSize(800, 500) << 1 << "w"
                                     << "5"
                                     << "5"
                                     << "3";
        QTest::newRow("px height 5") << QSize(800, 500) << 1 << "h"
                                     << "5"
                                     << "8"
                                     << "5";
        QTest::newRow("half to even") << QSize(2, 1) << 1 << "w"
                                      << "5"
                                      << "5"
                                      << "2";
        QTest::newRow("half to even up") << QSize(2, 1) << 1 << "w"
                                         << "7"
                                         << "7"
                                         << "4";
        QTest::newRow("percent") << QSize(600, 400) << 0 << "w"
                                 << "80"
                                 << "80"
                                 << "80";
        QTest::newRow("cleared px") << QSize(600, 400) << 1 << "w"
                                    << ""
                                    << ""
                                    << "";
        QTest::newRow("cleared %") << QSize(600, 400) << 0 << "h"
                                   << ""
                                   << ""
                                   << "";
        QTest::newRow("letters ignored") << QSize(600, 400) << 1 << "w"
                                         << "a-"
                                         << "600"
                                         << "400";
        QTest::newRow("huge derived clamps") << QSize(1000000, 1) << 1 << "h"
                                             << "5000" << QString::number(INT_MAX) << "5000";
        QTest::newRow("height 0: no ratio") << QSize(600, 0) << 1 << "w"
                                            << "300"
                                            << "300"
                                            << "0";
        QTest::newRow("no height: no ratio") << QSize(600, -1) << 1 << "w"
                                             << "30"
                                             << "30"
                                             << "";
    }

    void publishSizeArithmetic() {
        QFETCH(QSize, templateSize);
        QFETCH(int, metric);
        QFETCH(QString, edit);
        QFETCH(QString, typed);
        QFETCH(QString, width);
        QFETCH(QString, height);
        Window t("");
        auto* album = static_cast<model::TpaAlbumItem*>(t.root()->Item());
        model::TpaAlbumSettingsPublishSizeField& field = album->PublishSize;
        field = model::TpaAlbumSettingsPublishSizeField();
        field.Width = templateSize.width();
        field.Height = templateSize.height();
        t.select(t.root());
        auto* frame = t.frame<TfrmPublishSizeField>("sbAlbumSettings_PublishSizeFieldFrame");
        QVERIFY(frame);
        QCOMPARE(part<QLineEdit>(frame, "edWidth")->text(), QString("100"));
        QCOMPARE(part<QLineEdit>(frame, "edHeight")->text(), QString("100"));
        QVERIFY(!t.w->album().Modified());
        if (metric == 1)
            frame->btOriginalSizeClick();
        QCOMPARE(part<QCheckBox>(frame, "cbConstrainProportions")->isEnabled(),
                 templateSize.width() > 0 && templateSize.height() > 0);
        QLineEdit* e =
            edit == "w" ? part<QLineEdit>(frame, "edWidth") : part<QLineEdit>(frame, "edHeight");
        e->setFocus();
        e->selectAll();
        if (typed.isEmpty() || typed.at(0).isDigit())
            QTest::keyClick(e, Qt::Key_Delete);
        QTest::keyClicks(e, typed);
        QCOMPARE(part<QLineEdit>(frame, "edWidth")->text(), width);
        QCOMPARE(part<QLineEdit>(frame, "edHeight")->text(), height);
        // The field holds what is shown, and the page never gets "-1".
        auto shown = [](const QString& text) { return text.isEmpty() ? -1 : text.toInt(); };
        QCOMPARE(metric == 1 ? field.WidthPixel : field.WidthScale, shown(width));
        QCOMPARE(metric == 1 ? field.HeightPixel : field.HeightScale, shown(height));
        QString w, h;
        t.w->album().GetAlbumSize(w, h);
        QCOMPARE(w, width.isEmpty() ? QString() : width + (metric == 0 ? "%" : ""));
        QCOMPARE(h, height.isEmpty() ? QString() : height + (metric == 0 ? "%" : ""));
        const auto again = t.saveAndReload();
        again->GetAlbumSize(w, h);
        QVERIFY(!w.contains("-1") && !h.contains("-1"));
    }

    void publishSizeMetricsButtonsAndPaste() {
        Window t(nullptr);
        t.load(frametest::fullTemplate()); // 600 x 400, no size stored
        t.select(t.root());
        auto* frame = t.frame<TfrmPublishSizeField>("sbAlbumSettings_PublishSizeFieldFrame");
        QCOMPARE(part<QComboBox>(frame, "cbWidthMetrics")->currentText(), QString("%"));
        QCOMPARE(part<QComboBox>(frame, "cbHeightMetrics")->currentText(), QString("%"));
        QVERIFY(!part<QCheckBox>(frame, "cbConstrainProportions")->isVisible());
        QVERIFY(!t.w->album().Modified());
        part<QComboBox>(frame, "cbWidthMetrics")->setCurrentIndex(1);
        emit part<QComboBox>(frame, "cbWidthMetrics")->activated(1);
        QCOMPARE(part<QLineEdit>(frame, "edWidth")->text(), QString("600"));
        QVERIFY(!part<QCheckBox>(frame, "cbConstrainProportions")->isEnabled());
        part<QComboBox>(frame, "cbHeightMetrics")->setCurrentIndex(1);
        emit part<QComboBox>(frame, "cbHeightMetrics")->activated(1);
        QCOMPARE(part<QLineEdit>(frame, "edHeight")->text(), QString("400"));
        QVERIFY(part<QCheckBox>(frame, "cbConstrainProportions")->isEnabled());
        QVERIFY(t.w->album().Modified());

        // Pasted text that is no size puts the previous number back, all selected.
        for (const char* pasted : {"12x", "99999999999", "-5"}) {
            part<QLineEdit>(frame, "edWidth")->setText(pasted);
            emit part<QLineEdit>(frame, "edWidth")->textEdited(pasted);
            QCOMPARE(part<QLineEdit>(frame, "edWidth")->text(), QString("600"));
            QCOMPARE(part<QLineEdit>(frame, "edWidth")->selectedText(), QString("600"));
            QCOMPARE(part<QLineEdit>(frame, "edHeight")->text(), QString("400"));
        }
        part<QPushButton>(frame, "btFullSize")->click();
        QCOMPARE(part<QLineEdit>(frame, "edWidth")->text() +
                     part<QLineEdit>(frame, "edHeight")->text(),
                 QString("100100"));
        QCOMPARE(part<QComboBox>(frame, "cbWidthMetrics")->currentIndex() +
                     part<QComboBox>(frame, "cbHeightMetrics")->currentIndex(),
                 0);
        part<QPushButton>(frame, "btOriginalSize")->click();
        QCOMPARE(part<QLineEdit>(frame, "edWidth")->text() + "/" +
                     part<QLineEdit>(frame, "edHeight")->text(),
                 QString("600/400"));
        QCOMPARE(part<QComboBox>(frame, "cbWidthMetrics")->currentText(), QString("Pixel"));
    }

    void publishSizeStaysOffAlbumsWithoutASize() {
        Window t(nullptr);
        t.load(frametest::fullTemplate());
        auto* album = static_cast<model::TpaAlbumItem*>(t.root()->Item());
        album->PublishSize.Width = album->PublishSize.Height = -1;
        t.select(t.root());
        QVERIFY(!t.frame<TfrmPublishSizeField>("sbAlbumSettings_PublishSizeFieldFrame"));
    }
};

QTEST_MAIN(ImageAndPublishSizeFramesTest)
#include "tst_ImageAndPublishSizeFrames.moc"
