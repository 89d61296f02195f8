#include "model/settings/AlbumSettings.h"

#include "model/AlbumLimits.h"

#include <algorithm>

#include "model/XmlAttributes.h"
#include "model/XmlText.h"

namespace model {

void TpaAlbumSettings::LoadFromFile(const QString& path) {
    const QDomDocument doc = LoadXmlDocument(path);
    TpaAlbumSettings loaded;
    const QDomElement setting = doc.documentElement();
    if (!setting.isNull() && setting.tagName() == u"setting") {
        TryGetAttrStr(setting, QStringLiteral("id"), loaded.Id);
        TryGetAttrInt(setting, QStringLiteral("width"), loaded.PublishSize.Width);
        TryGetAttrInt(setting, QStringLiteral("height"), loaded.PublishSize.Height);
        loaded.Levels.LoadFromXml(setting);
    }
    *this = std::move(loaded);
}

int TpaAlbumSettings::MaxItems() const {
    long long widest = 1;
    for (const auto& level : Levels.Items)
        widest = std::max<long long>(
            widest, level->TextFields.Count() + level->ImageFields.Count() +
                        level->Photo.TextFields.Count() + level->Photo.ImageFields.Count());
    return static_cast<int>(std::min<long long>(kMaxAlbumItems, kMaxItemFields / widest));
}

} // namespace model
