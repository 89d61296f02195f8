#include "app/frames/TfrmPublishSizeField.h"

#include "app/commands/CommandGuard.h"

#include "model/settings/AlbumSettingsPublishSizeField.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <climits>
#include <cmath>

namespace app {

using model::szPercent;
using model::szPixel;

namespace {

int clampedRound(double value) {
    if (std::isnan(value) || value <= 0)
        return 0;
    if (value >= double(INT_MAX))
        return INT_MAX;
    return int(std::nearbyint(value)); // halves to the even neighbour
}

QComboBox* metricCombo(QWidget* parent, const char* name) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->addItems({QStringLiteral("%"), QStringLiteral("Pixel")});
    combo->setCurrentIndex(0);
    return combo;
}

} // namespace

TfrmPublishSizeField::TfrmPublishSizeField(QWidget* parent) : FieldFrame(parent, DesignHeight) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 11, 8);
    gbPublishSize = new QGroupBox(QStringLiteral(" Publish Size: "), this);
    gbPublishSize->setObjectName(QStringLiteral("gbPublishSize"));
    outer->addWidget(gbPublishSize);
    auto* grid = new QGridLayout(gbPublishSize);
    lbWidth = new QLabel(QStringLiteral("Width:"), gbPublishSize);
    lbWidth->setObjectName(QStringLiteral("lbWidth"));
    lbHeight = new QLabel(QStringLiteral("Height:"), gbPublishSize);
    lbHeight->setObjectName(QStringLiteral("lbHeight"));
    edWidth = new QLineEdit(gbPublishSize);
    edWidth->setObjectName(QStringLiteral("edWidth"));
    edHeight = new QLineEdit(gbPublishSize);
    edHeight->setObjectName(QStringLiteral("edHeight"));
    for (QLineEdit* e : {edWidth, edHeight}) {
        e->setFixedWidth(65);
        e->installEventFilter(this);
    }
    cbWidthMetrics = metricCombo(gbPublishSize, "cbWidthMetrics");
    cbHeightMetrics = metricCombo(gbPublishSize, "cbHeightMetrics");
    btFullSize = new QPushButton(QStringLiteral("Full Size"), gbPublishSize);
    btFullSize->setObjectName(QStringLiteral("btFullSize"));
    btOriginalSize = new QPushButton(QStringLiteral("Original Size"), gbPublishSize);
    btOriginalSize->setObjectName(QStringLiteral("btOriginalSize"));
    cbConstrainProportions = new QCheckBox(QStringLiteral("Constrain Proportions"), gbPublishSize);
    cbConstrainProportions->setObjectName(QStringLiteral("cbConstrainProportions"));
    cbConstrainProportions->setChecked(true);
    cbConstrainProportions->setVisible(false);
    grid->addWidget(lbWidth, 0, 0);
    grid->addWidget(edWidth, 0, 1);
    grid->addWidget(cbWidthMetrics, 0, 2);
    grid->addWidget(btFullSize, 0, 3);
    grid->addWidget(lbHeight, 1, 0);
    grid->addWidget(edHeight, 1, 1);
    grid->addWidget(cbHeightMetrics, 1, 2);
    grid->addWidget(btOriginalSize, 1, 3);
    grid->addWidget(cbConstrainProportions, 0, 4);
    grid->setColumnStretch(5, 1);

    auto on = [this](auto* sender, auto signal, auto handler) {
        connect(sender, signal, this,
                [this, handler] { guarded([this, handler] { handler(this); }); });
    };
    on(edWidth, &QLineEdit::textEdited,
       [](TfrmPublishSizeField* f) { f->editChange(Side::Width, true); });
    on(edHeight, &QLineEdit::textEdited,
       [](TfrmPublishSizeField* f) { f->editChange(Side::Height, true); });
    on(cbWidthMetrics, &QComboBox::activated,
       [](TfrmPublishSizeField* f) { f->metricChange(Side::Width, true); });
    on(cbHeightMetrics, &QComboBox::activated,
       [](TfrmPublishSizeField* f) { f->metricChange(Side::Height, true); });
    on(btFullSize, &QPushButton::clicked, [](TfrmPublishSizeField* f) { f->btFullSizeClick(); });
    on(btOriginalSize, &QPushButton::clicked,
       [](TfrmPublishSizeField* f) { f->btOriginalSizeClick(); });
    on(cbConstrainProportions, &QCheckBox::clicked,
       [](TfrmPublishSizeField* f) { f->constrainClick(); });
}

QString TfrmPublishSizeField::IntToText(int value) {
    return value >= 0 ? QString::number(value) : QString();
}

bool TfrmPublishSizeField::TextToInt(const QString& text, int& value) {
    if (text.isEmpty()) {
        value = -1;
        return true;
    }
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false; // a sign too: no size is negative
    }
    bool ok = false;
    const qlonglong n = text.toLongLong(&ok);
    if (!ok || n > INT_MAX)
        return false;
    value = int(n);
    return true;
}

int TfrmPublishSizeField::HeightFromWidth(int width, double ratio) {
    return width < 0 ? -1 : clampedRound(double(width) / ratio);
}

int TfrmPublishSizeField::WidthFromHeight(int height, double ratio) {
    return height < 0 ? -1 : clampedRound(double(height) * ratio);
}

bool TfrmPublishSizeField::ratioKnown() const {
    return field_ && field_->Width > 0 && field_->Height > 0;
}

bool TfrmPublishSizeField::constrained() const {
    // Explicitly disabled, not merely inside a window made busy.
    return !cbConstrainProportions->testAttribute(Qt::WA_Disabled) &&
           cbConstrainProportions->isChecked();
}

void TfrmPublishSizeField::updateConstrainEnabled() {
    // Without a known ratio there is nothing to keep: the other side is never derived.
    cbConstrainProportions->setEnabled(
        cbWidthMetrics->currentIndex() == cbHeightMetrics->currentIndex() && ratioKnown());
}

void TfrmPublishSizeField::LoadField(model::TpaAlbumSettingsPublishSizeField* field) {
    if (field)
        field_ = field;
    if (!field_)
        return;
    AspectRatio = ratioKnown() ? double(field_->Width) / double(field_->Height) : 0.0;
    const QSignalBlocker blockBox(cbConstrainProportions);
    cbConstrainProportions->setChecked(false);
    if (field_->WidthScale == -1) {
        field_->WidthScale = 100;
        field_->WidthPixel = field_->Width;
    }
    {
        const QSignalBlocker block(cbWidthMetrics);
        cbWidthMetrics->setCurrentIndex(field_->WidthMetric == szPixel ? 1 : 0);
    }
    metricChange(Side::Width, false);
    if (field_->HeightScale == -1) {
        field_->HeightScale = 100;
        field_->HeightPixel = field_->Height;
    }
    {
        const QSignalBlocker block(cbHeightMetrics);
        cbHeightMetrics->setCurrentIndex(field_->HeightMetric == szPixel ? 1 : 0);
    }
    metricChange(Side::Height, false);
    cbConstrainProportions->setChecked(field_->ConstrainProportions);
}

void TfrmPublishSizeField::metricChange(Side side, bool byUser) {
    if (!field_)
        return;
    const int metric = combo(side)->currentIndex() == 1 ? szPixel : szPercent;
    const bool width = side == Side::Width;
    (width ? field_->WidthMetric : field_->HeightMetric) = metric;
    if (metric == szPercent)
        number(side) = width ? field_->WidthScale : field_->HeightScale;
    else
        number(side) = width ? field_->WidthPixel : field_->HeightPixel;
    {
        const QSignalBlocker block(edit(side));
        edit(side)->setText(IntToText(number(side)));
    }
    updateConstrainEnabled();
    if (constrained())
        editChange(side, byUser);
    touched(byUser);
}

bool TfrmPublishSizeField::updateNumberFromText(Side side) {
    QLineEdit* e = edit(side);
    int value = -1;
    if (TextToInt(e->text(), value)) {
        number(side) = value;
        return true;
    }
    const QSignalBlocker block(e);
    e->setText(IntToText(number(side)));
    e->selectAll();
    QApplication::beep();
    return false;
}

void TfrmPublishSizeField::store(Side side, int value) {
    number(side) = value;
    if (side == Side::Width)
        (field_->WidthMetric == szPixel ? field_->WidthPixel : field_->WidthScale) = value;
    else
        (field_->HeightMetric == szPixel ? field_->HeightPixel : field_->HeightScale) = value;
}

void TfrmPublishSizeField::editChange(Side side, bool byUser) {
    if (!field_ || !updateNumberFromText(side))
        return;
    store(side, number(side));
    if (constrained()) {
        const Side other = side == Side::Width ? Side::Height : Side::Width;
        const int value = number(side);
        int derived = value;
        if (combo(side)->currentIndex() == 1)
            derived = side == Side::Width ? HeightFromWidth(value, AspectRatio)
                                          : WidthFromHeight(value, AspectRatio);
        const QSignalBlocker block(edit(other));
        edit(other)->setText(IntToText(derived));
        store(other, derived);
    }
    touched(byUser);
}

void TfrmPublishSizeField::constrainClick() {
    if (!field_)
        return;
    field_->ConstrainProportions = cbConstrainProportions->isChecked();
    if (constrained())
        editChange(Side::Width, true);
    touched(true);
}

void TfrmPublishSizeField::btFullSizeClick() {
    if (!field_)
        return;
    field_->WidthScale = 100;
    {
        const QSignalBlocker block(cbWidthMetrics);
        cbWidthMetrics->setCurrentIndex(0);
    }
    metricChange(Side::Width, true);
    field_->HeightScale = 100;
    {
        const QSignalBlocker block(cbHeightMetrics);
        cbHeightMetrics->setCurrentIndex(0);
    }
    metricChange(Side::Height, true);
}

void TfrmPublishSizeField::btOriginalSizeClick() {
    if (!field_)
        return;
    field_->WidthPixel = field_->Width;
    {
        const QSignalBlocker block(cbWidthMetrics);
        cbWidthMetrics->setCurrentIndex(1);
    }
    metricChange(Side::Width, true);
    field_->HeightPixel = field_->Height;
    {
        const QSignalBlocker block(cbHeightMetrics);
        cbHeightMetrics->setCurrentIndex(1);
    }
    metricChange(Side::Height, true);
}

void TfrmPublishSizeField::touched(bool byUser) {
    if (byUser && liveNode())
        markModified();
}

bool TfrmPublishSizeField::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == edWidth || watched == edHeight) && event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        if (!text.isEmpty() && text.at(0).unicode() >= 32 &&
            !(text.at(0) >= u'0' && text.at(0) <= u'9')) {
            QApplication::beep();
            return true;
        }
    }
    return FieldFrame::eventFilter(watched, event);
}

void TfrmPublishSizeField::LocalizeFrom(QObject* model) {
    auto* from = qobject_cast<TfrmPublishSizeField*>(model);
    if (!from)
        return;
    copyCaptions(from, this);
}

} // namespace app
