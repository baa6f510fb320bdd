#pragma once

#include "recipients/recipientviewmodel.h"
#include "rule/ruleeditor.h"
#include "shell/controls.h"
#include "shell/programenvironment.h"
#include "shell/screen.h"

// The recipient picker's behaviour: lists the directory's mail recipients and writes the
// chosen one into the target of the rule row whose "..." button opened it.
class RecipientPickerForm
{
public:
    static inline const QString Caption = QStringLiteral("Select Forwarding Recipient");

    // The picker of one rule row of the main window.
    RecipientPickerForm(ProgramEnvironment &environment, Screen &screen, RuleEditor &rule,
                        int ruleRow);

    RecipientViewModel recipientView{QStringLiteral("recipientView")};
    ProgressBoxModel progressBox{QStringLiteral("progressBox")};
    ButtonModel okButton{QStringLiteral("okButton")};
    ButtonModel cancelButton{QStringLiteral("cancelButton")};
    // Set by OK and Cancel: the dialog is to close.
    bool closed = false;
    // The fill's steps so far.
    qint32 progressCount = 0;

    // The progress box shows only while the list fills.
    void onLoad();
    // Adds the columns, fills the list and sorts it by name with the first row selected.
    void onActivate();
    // A click on a column header: the sorted column reverses its order, the other
    // sortable column sorts ascending, the distinguished-name column does nothing.
    void onRecipientColumnClicked(int column);
    void onRecipientDoubleClicked();
    // Writes "name <address>", or the name alone, into the rule row's target and closes.
    void onOkClicked();
    void onCancelClicked();
    // Queries the directory for every mail recipient and fills the list.
    void loadRecipients();

private:
    ProgramEnvironment &m_environment;
    Screen &m_screen;
    RuleEditor &m_rule;
    int m_ruleRow;
    int m_nameSortOrder = 0;
    int m_addressSortOrder = 0;
};

// 0 (ascending) for a non-zero order, else 1 (descending).
int toggleSortOrder(int order);
