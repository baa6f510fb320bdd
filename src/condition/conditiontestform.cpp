#include "condition/conditiontestform.h"

#include "condition/basparser.h"
#include "rule/spacetrim.h"

ConditionTestForm::ConditionTestForm()
{
    Command1.setCaption(QStringLiteral("Test"));
    showUntested();
}

void ConditionTestForm::Form_Load(const QString &rowCondition)
{
    const qsizetype colon = rowCondition.indexOf(QLatin1Char(':'));
    Text1.setText(colon < 0 ? rowCondition : trimSpaces(QStringView(rowCondition).mid(colon + 1)));
    Text2.setText(QString());
    showUntested();
}

void ConditionTestForm::Command1_Click()
{
    QString condition = trimSpaces(Text1.text());
    QString value = trimSpaces(Text2.text());
    // A plain condition matches a value that begins with it; an empty condition begins
    // every value that has a first character.
    const bool startsWith = !value.isEmpty() && value.startsWith(condition, Qt::CaseInsensitive);
    const bool matched = startsWith || basParser::MatchCondition(value, condition);
    Label4.setCaption(matched ? QStringLiteral("Matches") : QStringLiteral("DOESN'T match"));
    Label4.setBackColor(matched ? ColorRole::Green : ColorRole::Red);
}

void ConditionTestForm::Text1_MouseMove()
{
    showUntested();
}

void ConditionTestForm::Text2_MouseMove()
{
    showUntested();
}

void ConditionTestForm::showUntested()
{
    Label4.setCaption(QStringLiteral("???"));
    Label4.setBackColor(ColorRole::ButtonFace);
}
