#pragma once

#include "shell/controls.h"

// The condition test dialog frmTest: tries one rule's condition against a sample value.
class ConditionTestForm
{
public:
    static inline const QString Caption = QStringLiteral("Test a condition");

    ConditionTestForm();

    TextBoxModel Text1{QStringLiteral("Text1")};
    TextBoxModel Text2{QStringLiteral("Text2")};
    ButtonModel Command1{QStringLiteral("Command1")};
    LabelModel Label4{QStringLiteral("Label4")};

    // Fills the condition box from a rule row's condition: the text after its first
    // colon, trimmed, or the whole text when it has no colon.
    void Form_Load(const QString &rowCondition);
    // Tests the value against the condition and shows the outcome.
    void Command1_Click();
    // The pointer moving over either box returns the result to untested.
    void Text1_MouseMove();
    void Text2_MouseMove();

private:
    void showUntested();
};
