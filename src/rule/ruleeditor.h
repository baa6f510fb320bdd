#pragma once

#include "shell/controls.h"
#include "shell/screen.h"

#include <array>
#include <functional>
#include <QChar>

// One rule row: condition, action list, target and the row's two buttons.
struct RuleRow
{
    TextBoxModel conditionEdit;
    ButtonModel testConditionButton;
    ListBoxModel actionList;
    TextBoxModel targetEdit;
    ButtonModel browseRecipientButton;
};

// The rule area of the main window: four rule rows and the event sink priority, with
// the handlers that keep each row's target in step with its action.
class RuleEditor
{
public:
    static constexpr int RowCount = 4;
    // Actions, as the top index of a row's action list.
    enum Action { MoveToFolder = 0, Delete = 1, ForwardTo = 2, SetScl = 3 };

    explicit RuleEditor(Screen &screen);
    RuleEditor(const RuleEditor &) = delete;
    RuleEditor &operator=(const RuleEditor &) = delete;

    Screen &screen() const { return m_screen; }

    std::array<RuleRow, RowCount> rows;
    TextBoxModel priorityEdit{QStringLiteral("priorityEdit")};
    // The area's captions.
    LabelModel conditionLabel{QStringLiteral("conditionLabel")};
    LabelModel actionLabel{QStringLiteral("actionLabel")};
    LabelModel targetLabel{QStringLiteral("targetLabel")};
    LabelModel priorityLabel{QStringLiteral("priorityLabel")};
    LabelModel conditionExampleLabel{QStringLiteral("conditionExampleLabel")};
    LabelModel targetExampleLabel{QStringLiteral("targetExampleLabel")};

    // Cleared while the installed configuration is loaded: action clicks then do nothing.
    bool editorReady = false;
    QString lastAcceptedPriority;
    // Set while the priority check rewrites the box, so the change it raises is ignored.
    bool priorityGuard = false;

    // Opens the recipient picker for a row; the picker writes the row's target.
    std::function<void(int row)> browseRecipient;
    // Shows the condition test dialog for a row, modally.
    std::function<void(int row)> testCondition;

    // The row's action: the item its one-line list shows.
    int action(int row) const { return rows[row].actionList.topIndex(); }
    // Sets the selected index of a row's action list; like the list box, this raises
    // the list's click even when the index does not change.
    void setActionIndex(int row, int index);
    // Leaves no item of a row's action list selected, so the list shows no highlight.
    void clearActionSelection(int row);

    void onActionClicked(int row);
    void onActionScrolled(int row);
    void onConditionChanged(int row);
    void onTargetFocusLost(int row);
    // Whether a typed character may reach the priority box.
    static bool isPriorityKeyAllowed(QChar key);
    void onPriorityChanged();
    void onTestConditionClicked(int row);
    void onBrowseRecipientClicked(int row);

private:
    Screen &m_screen;
    std::array<bool, RowCount> m_clickMuted{};
};
