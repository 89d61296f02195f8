#pragma once

class QWidget;

namespace app {

class ApplicationForms;

// The dialogs the program makes beside its main window, as main() makes them: the template
// chooser, the two progress windows and the start-up wizard, children of `window`, added to
// `forms` after it. For a main window built by a test or a bench.
void addProgramDialogs(ApplicationForms& forms, QWidget* window);

} // namespace app
