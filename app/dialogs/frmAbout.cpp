#include "app/dialogs/frmAbout.h"

#include "app/ProductInfo.h"
#include "app/l10n/SafeFormat.h"

#include "ui_frmAbout.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

namespace app {

namespace {

// Our own small logo, drawn rather than shipped.
QPixmap drawLogo() {
    QPixmap pixmap(160, 137);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x3a, 0x6e, 0xa5));
    p.drawRoundedRect(QRectF(20, 18, 120, 100), 12, 12);
    p.setBrush(QColor(0xf2, 0xc1, 0x4e));
    p.drawEllipse(QPointF(105, 48), 13, 13);
    p.setBrush(QColor(0x5f, 0xa8, 0x4d));
    const QPointF hills[] = {{20, 118}, {62, 62}, {92, 96}, {110, 80}, {140, 118}};
    p.drawPolygon(hills, 5);
    return pixmap;
}

} // namespace

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::frmAbout>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    ui->Logo->setPixmap(drawLogo());
    connect(ui->btnOK, &QPushButton::clicked, this, &QDialog::accept);
    ui->lblWebsite->installEventFilter(this);
    OpenLink = [](const QString& link) { QDesktopServices::openUrl(QUrl(link)); };
}

TfrmAbout::~TfrmAbout() = default;

void TfrmAbout::showEvent(QShowEvent* event) {
    FillLabels();
    QDialog::showEvent(event);
}

void TfrmAbout::hideEvent(QHideEvent* event) {
    if (filled_) {
        setWindowTitle(captionTemplate_);
        ui->lblVersion->setText(versionTemplate_);
        filled_ = false;
    }
    QDialog::hideEvent(event);
}

void TfrmAbout::FillLabels() {
    if (!filled_) {
        captionTemplate_ = windowTitle();
        versionTemplate_ = ui->lblVersion->text();
        filled_ = true;
    }
    setWindowTitle(SafeFormat::withFallback(captionTemplate_, QStringLiteral("About %s"),
                                            {ProductInfo::productName()}));
    ui->lblName->setText(ProductInfo::productName());
    ui->lblVersion->setText(SafeFormat::withFallback(versionTemplate_, QStringLiteral("Version %s"),
                                                     {ProductInfo::version()}));
    ui->lblWebsite->setText(ProductInfo::website());
    ui->lblPublisher->setText(ProductInfo::publisher());
}

bool TfrmAbout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->lblWebsite && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        lblWebsiteClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmAbout::lblWebsiteClick() {
    if (OpenLink)
        OpenLink(ui->lblWebsite->text());
}

} // namespace app
