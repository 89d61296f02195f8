#pragma once

#include <QObject>

namespace app {

class ViewContext;
struct MainActions;

// Help contents, the support address and the About box.
class HelpCommands : public QObject {
    Q_OBJECT

public:
    HelpCommands(ViewContext& editor, const MainActions& actions, QObject* parent = nullptr);

    void acHelpHelpContentsExecute();
    void acHelpContactSupportExecute();
    void acHelpAboutExecute();

private:
    ViewContext& editor_;
};

} // namespace app
