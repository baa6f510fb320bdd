#include "condition/conditiontestform.h"

#include "condition/conditionmatcher.h"
#include "rule/spacetrim.h"

ConditionTestForm::ConditionTestForm()
{
    testButton.setCaption(QStringLiteral("Test"));
    showUntested();
}

void ConditionTestForm::onLoad(const QString &rowCondition)
{
    const qsizetype colon = rowCondition.indexOf(QLatin1Char(':'));
    conditionEdit.setText(colon < 0 ? rowCondition
                                    : trimSpaces(QStringView(rowCondition).mid(colon + 1)));
    valueEdit.setText(QString());
    showUntested();
}

void ConditionTestForm::onTestClicked()
{
    QString condition = trimSpaces(conditionEdit.text());
    QString value = trimSpaces(valueEdit.text());
    // A plain condition matches a value that begins with it; an empty condition begins
    // every value that has a first character.
    const bool startsWith = !value.isEmpty() && value.startsWith(condition, Qt::CaseInsensitive);
    const bool matched = startsWith || ConditionMatcher::matchCondition(value, condition);
    resultLabel.setCaption(matched ? QStringLiteral("Matches") : QStringLiteral("DOESN'T match"));
    resultLabel.setBackColor(matched ? ColorRole::Green : ColorRole::Red);
}

void ConditionTestForm::onConditionMouseMoved()
{
    showUntested();
}

void ConditionTestForm::onValueMouseMoved()
{
    showUntested();
}

void ConditionTestForm::showUntested()
{
    resultLabel.setCaption(QStringLiteral("???"));
    resultLabel.setBackColor(ColorRole::ButtonFace);
}
