#pragma once

#include <QLabel>

namespace publish {

// A label drawn as a link (blue, underlined, hand cursor) that reports clicks. Its text is
// always plain text.
class LinkLabel : public QLabel {
    Q_OBJECT

public:
    explicit LinkLabel(const QString& text = QString(), QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace publish
