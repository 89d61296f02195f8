#pragma once

#include <QString>

namespace platform {

// Turns a filter list "Description|*.a;*.b|Description 2|*.c" into the form the desktop
// file dialog takes, "Description (*.a *.b);;Description 2 (*.c)". A description that already
// ends with its patterns in parentheses, "JPEG (*.jpg)", loses them so they are not shown
// twice. A description without patterns is dropped; patterns without a description are
// described by themselves.
QString fileDialogFilter(const QString& filter);

} // namespace platform
