#pragma once

#include "shell/controls.h"
#include "shell/screen.h"

#include <functional>

// The limitation-of-liability dialog shown before the main window: its texts, and what
// "Yes" and "No" do. It remembers nothing, so every interactive start asks again.
class DisclaimerForm
{
public:
    explicit DisclaimerForm(Screen &screen);

    QString caption;
    LabelModel liabilityLabel{QStringLiteral("liabilityLabel")};
    LabelModel questionLabel{QStringLiteral("questionLabel")};
    ButtonModel acceptButton{QStringLiteral("acceptButton")};
    ButtonModel declineButton{QStringLiteral("declineButton")};

    // Creates and shows the main window, start-up included; set by the program.
    std::function<void()> openMainWindow;

    void onLoad();
    // Opens the main window under the wait cursor; the dialog then closes.
    void onAcceptClicked();
    // The program ends at once, with nothing written.
    void onDeclineClicked();

    bool accepted = false;
    bool declined = false;

private:
    Screen &m_screen;
};
