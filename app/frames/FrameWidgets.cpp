#include "app/frames/FrameWidgets.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <limits>

namespace app {

QVBoxLayout* frameLayout(QFrame* frame) {
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(8, 3, 11, 3);
    layout->setSpacing(2);
    return layout;
}

QLabel* plainLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLineEdit* valueEdit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(std::numeric_limits<int>::max());
    return edit;
}

QLabel* captionLabel(QWidget* parent, const QString& text) {
    QLabel* label = plainLabel(parent, "lbCaption", text);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

} // namespace app
