#include "model/settings/AlbumSettingsPublishSizeField.h"

#include "model/XmlAttributes.h"

namespace model {

namespace {

// Empty unless the number in effect is set: a cleared pixel size must not reach the page
// or the embed code as "-1".
QString SizeText(int scale, int metric, int pixel) {
    if (scale < 0)
        return {};
    if (metric == szPercent)
        return QString::number(scale) + u'%';
    if (metric == szPixel && pixel >= 0)
        return QString::number(pixel);
    return {};
}

} // namespace

void TpaAlbumSettingsPublishSizeField::LoadFromXml(const QDomElement& element) {
    if (element.isNull())
        return;
    TryGetAttrInt(element, QStringLiteral("width_scale"), WidthScale);
    TryGetAttrInt(element, QStringLiteral("width_pixel"), WidthPixel);
    TryGetAttrInt(element, QStringLiteral("width_metric"), WidthMetric);
    TryGetAttrInt(element, QStringLiteral("height_scale"), HeightScale);
    TryGetAttrInt(element, QStringLiteral("height_pixel"), HeightPixel);
    TryGetAttrInt(element, QStringLiteral("height_metric"), HeightMetric);
    int constrain = 0;
    if (element.hasAttribute(QStringLiteral("constrain_proportions")))
        ConstrainProportions =
            TryGetAttrInt(element, QStringLiteral("constrain_proportions"), constrain) &&
            constrain == 1;
}

void TpaAlbumSettingsPublishSizeField::SaveToXml(QXmlStreamWriter& writer) const {
    if (WidthScale != -1) {
        writer.writeAttribute(QStringLiteral("width_scale"), QString::number(WidthScale));
        writer.writeAttribute(QStringLiteral("width_pixel"), QString::number(WidthPixel));
        writer.writeAttribute(QStringLiteral("width_metric"), QString::number(WidthMetric));
    }
    if (HeightScale != -1) {
        writer.writeAttribute(QStringLiteral("height_scale"), QString::number(HeightScale));
        writer.writeAttribute(QStringLiteral("height_pixel"), QString::number(HeightPixel));
        writer.writeAttribute(QStringLiteral("height_metric"), QString::number(HeightMetric));
    }
    writer.writeAttribute(QStringLiteral("constrain_proportions"),
                          ConstrainProportions ? QStringLiteral("1") : QStringLiteral("0"));
}

QString TpaAlbumSettingsPublishSizeField::WidthText() const {
    return SizeText(WidthScale, WidthMetric, WidthPixel);
}

QString TpaAlbumSettingsPublishSizeField::HeightText() const {
    return SizeText(HeightScale, HeightMetric, HeightPixel);
}

} // namespace model
