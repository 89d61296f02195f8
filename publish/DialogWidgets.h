#pragma once

#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace publish {

// The labels and buttons of the publishing dialogs, named for the language files.
// A label shows plain text, wrapped; a button is never a default button of its own.
QLabel* plainLabel(const QString& text, const char* name, QWidget* parent, bool bold = false);
QPushButton* dialogButton(const QString& text, const char* name, QWidget* parent);

} // namespace publish
