#pragma once

#include <QString>

class QFrame;
class QLabel;
class QLineEdit;
class QVBoxLayout;
class QWidget;

namespace app {

// The layout every settings frame starts from: rows top-down with the frames' margins.
QVBoxLayout* frameLayout(QFrame* frame);
// The bold caption label "lbCaption" of a frame; its text is shown as plain text.
QLabel* captionLabel(QWidget* parent, const QString& text);
// A plain-text label with the object name.
QLabel* plainLabel(QWidget* parent, const char* name, const QString& text);
// The edit of a field's value. It holds a value of any length: the editor's default limit
// would cut a long value as soon as it is shown and write the cut one back on a keystroke.
QLineEdit* valueEdit(QWidget* parent, const char* name);

} // namespace app
