#pragma once

#include "shell/controls.h"

// The condition test dialog's behaviour: tries one rule's condition against a sample value.
class ConditionTestForm
{
public:
    static inline const QString Caption = QStringLiteral("Test a condition");

    ConditionTestForm();

    TextBoxModel conditionEdit{QStringLiteral("conditionEdit")};
    TextBoxModel valueEdit{QStringLiteral("valueEdit")};
    ButtonModel testButton{QStringLiteral("testButton")};
    LabelModel resultLabel{QStringLiteral("resultLabel")};

    // Fills the condition box from a rule row's condition: the text after its first
    // colon, trimmed, or the whole text when it has no colon.
    void onLoad(const QString &rowCondition);
    // Tests the value against the condition and shows the outcome.
    void onTestClicked();
    // The pointer moving over either box returns the result to untested.
    void onConditionMouseMoved();
    void onValueMouseMoved();

private:
    void showUntested();
};
