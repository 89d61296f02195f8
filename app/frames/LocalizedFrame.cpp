#include "app/frames/LocalizedFrame.h"

#include "app/l10n/ApplicationForms.h"

#include <QWidget>

namespace app {

int LocalizedFrame::relocalizeAll(const QList<QWidget*>& holders, const ApplicationForms& forms) {
    int count = 0;
    for (QWidget* holder : holders) {
        if (!holder)
            continue;
        for (QWidget* child : holder->findChildren<QWidget*>()) {
            auto* frame = dynamic_cast<LocalizedFrame*>(child);
            if (!frame)
                continue;
            if (QObject* model = forms.find(frame->modelFrameName())) {
                frame->LocalizeFrom(model);
                ++count;
            }
        }
    }
    return count;
}

} // namespace app
