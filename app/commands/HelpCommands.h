#pragma once

#include <QObject>

namespace app {

class EditorContext;
struct MainActions;

// Help contents, the support address and the About box.
class HelpCommands : public QObject {
    Q_OBJECT

public:
    HelpCommands(EditorContext& editor, const MainActions& actions, QObject* parent = nullptr);

    void acHelpHelpContentsExecute();
    void acHelpContactSupportExecute();
    void acHelpAboutExecute();

private:
    EditorContext& editor_;
};

} // namespace app
