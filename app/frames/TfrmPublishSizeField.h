#pragma once

#include "app/frames/FieldFrame.h"
#include "app/frames/LocalizedFrame.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace model {
class TpaAlbumSettingsPublishSizeField;
}

namespace app {

// The frame of the album's publish size: width and height, each in percent of the
// template's size or in pixels, the other side following while proportions are constrained.
class TfrmPublishSizeField : public FieldFrame, public LocalizedFrame {
    Q_OBJECT

public:
    static constexpr int DesignHeight = 106;

    explicit TfrmPublishSizeField(QWidget* parent = nullptr);

    // Shows the field without counting as a change.
    void LoadField(model::TpaAlbumSettingsPublishSizeField* field = nullptr);

    // The arithmetic, apart from the widgets.
    static QString IntToText(int value); // "" for a negative number
    // -1 for "", the number for decimal digits; false for anything else (a sign, letters, a
    // number beyond 32 bits).
    static bool TextToInt(const QString& text, int& value);
    // The other side in pixels: value / ratio (height from width) or value * ratio (width
    // from height), rounded half to even and kept within [0, INT_MAX]; -1 stays -1.
    static int HeightFromWidth(int width, double ratio);
    static int WidthFromHeight(int height, double ratio);

    QString modelFrameName() const override { return QStringLiteral("frmPublishSizeField"); }
    void LocalizeFrom(QObject* model) override;

    void btFullSizeClick();
    void btOriginalSizeClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Side { Width, Height };

    void metricChange(Side side, bool byUser);
    void editChange(Side side, bool byUser);
    void constrainClick();
    // The edit's number from its text; false (text put back, selected, beep) when the text
    // is no number.
    bool updateNumberFromText(Side side);
    void updateConstrainEnabled();
    bool constrained() const;
    bool ratioKnown() const;
    QLineEdit* edit(Side side) const { return side == Side::Width ? edWidth : edHeight; }
    QComboBox* combo(Side side) const {
        return side == Side::Width ? cbWidthMetrics : cbHeightMetrics;
    }
    int& number(Side side) { return side == Side::Width ? widthNumber_ : heightNumber_; }
    // Stores the number in the field by the side's metric.
    void store(Side side, int value);
    void touched(bool byUser);

    model::TpaAlbumSettingsPublishSizeField* field_ = nullptr;
    double AspectRatio = 0;
    int widthNumber_ = -1;
    int heightNumber_ = -1;

    QGroupBox* gbPublishSize;
    QLabel* lbWidth;
    QLabel* lbHeight;
    QLineEdit* edWidth;
    QLineEdit* edHeight;
    QComboBox* cbWidthMetrics;
    QComboBox* cbHeightMetrics;
    QPushButton* btFullSize;
    QPushButton* btOriginalSize;
    QCheckBox* cbConstrainProportions;
};

} // namespace app
