#pragma once

#include "shell/controls.h"
#include "shell/screen.h"

#include <array>

// One rule row: condition, action list, target and the row's two buttons.
struct RuleRow
{
    TextBoxModel txtSpamTag;
    ButtonModel btnTest;
    ListBoxModel List1;
    TextBoxModel txtSpamFolder;
    ButtonModel cmdBrowse;
};

// The rule area of the main window: four rule rows and the event sink priority.
class RuleEditor
{
public:
    explicit RuleEditor(Screen &screen);

    std::array<RuleRow, 4> rows;
    TextBoxModel txtPriority{QStringLiteral("txtPriority")};

    bool editorReady = false;
    QString lastAcceptedPriority;
    bool priorityGuard = false;

private:
    Screen &m_screen;
};
