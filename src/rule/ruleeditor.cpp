#include "rule/ruleeditor.h"

#include "rule/numerictext.h"
#include "rule/spacetrim.h"

#include <cmath>
#include <limits>

namespace {

const QString ProgramTitle = QStringLiteral("KestrelonSetup");

void setTarget(RuleRow &row, bool locked, ColorRole color, const QString &text, bool browse)
{
    row.targetEdit.setLocked(locked);
    row.targetEdit.setForeColor(color);
    row.targetEdit.setText(text);
    row.browseRecipientButton.setEnabled(browse);
}

void switchOff(RuleRow &row)
{
    row.actionList.setEnabled(false);
    row.targetEdit.setText(QString());
    row.targetEdit.setLocked(true);
    row.targetEdit.setForeColor(ColorRole::GrayText);
    row.browseRecipientButton.setEnabled(false);
}

} // namespace

RuleEditor::RuleEditor(Screen &screen) : m_screen(screen)
{
    conditionLabel.setCaption(QStringLiteral("SPAM header or IMF SCL score:"));
    actionLabel.setCaption(QStringLiteral("Action:"));
    targetLabel.setCaption(QStringLiteral("Target:"));
    priorityLabel.setCaption(QStringLiteral("Event sink priority:"));
    conditionExampleLabel.setCaption(
        QStringLiteral("Example 1: Subject: [SPAM]                Example 2: IMFSCL: {> 3}"));
    targetExampleLabel.setCaption(QStringLiteral("Example: Inbox\\Spam"));
    for (int i = 0; i < RowCount; ++i) {
        RuleRow &row = rows[i];
        const QString index = QString::number(i);
        row = RuleRow{TextBoxModel(QStringLiteral("conditionEdit") + index),
                      ButtonModel(QStringLiteral("testConditionButton") + index),
                      ListBoxModel(QStringLiteral("actionList") + index),
                      TextBoxModel(QStringLiteral("targetEdit") + index),
                      ButtonModel(QStringLiteral("browseRecipientButton") + index)};
        row.testConditionButton.setCaption(QStringLiteral("Test"));
        row.browseRecipientButton.setCaption(QStringLiteral("..."));
        for (const char *action : {"move to folder", "delete", "forward to"})
            row.actionList.addItem(QString::fromLatin1(action));
        row.actionList.addItem(i == 0 ? QStringLiteral("set SCL to ")
                                      : QStringLiteral("set SCL to"));
    }
    rows[0].conditionEdit.setText(QStringLiteral("X-Spam-Flag: YES"));
    rows[0].targetEdit.setText(QStringLiteral("Spam"));
    priorityEdit.setText(QStringLiteral("65535"));
    priorityEdit.setToolTip(QStringLiteral("(0 is highest, 65535 is lowest)"));

    // Until the installed rule is loaded, the design-time rows show as the condition
    // reaction would leave them: empty rows switched off, no "..." for a folder row.
    for (int i = 0; i < RowCount; ++i) {
        RuleRow &row = rows[i];
        row.browseRecipientButton.setEnabled(false);
        if (trimSpaces(row.conditionEdit.text()).isEmpty())
            switchOff(row);
        row.conditionEdit.onChanged = [this, i] {
            onConditionChanged(i);
        };
        row.actionList.onClicked = [this, i] {
            if (!m_clickMuted[i])
                onActionClicked(i);
        };
    }
    priorityEdit.onChanged = [this] {
        onPriorityChanged();
    };
}

void RuleEditor::setActionIndex(int row, int index)
{
    ListBoxModel &list = rows[row].actionList;
    if (list.currentIndex() == index)
        onActionClicked(row);
    else
        list.setCurrentIndex(index);
}

void RuleEditor::clearActionSelection(int row)
{
    ListBoxModel &list = rows[row].actionList;
    for (int k = 0; k < list.count(); ++k)
        list.setSelected(k, false);
    // Deselecting leaves no current entry; that is no click of its own.
    m_clickMuted[row] = true;
    list.setCurrentIndex(-1);
    m_clickMuted[row] = false;
}

void RuleEditor::onActionClicked(int i)
{
    if (!editorReady)
        return;
    RuleRow &row = rows[i];
    clearActionSelection(i);
    switch (action(i)) {
    case Delete:
        setTarget(row, false, ColorRole::WindowText, QStringLiteral("[NULL]"), false);
        break;
    case ForwardTo:
        setTarget(row, true, ColorRole::GrayText, QString(), true);
        break;
    case SetScl: {
        const QString text =
            row.targetEdit.text().isEmpty() ? QStringLiteral("9") : row.targetEdit.text();
        setTarget(row, false, ColorRole::WindowText, text, false);
        break;
    }
    default:
        setTarget(row, false, ColorRole::WindowText, QString(), false);
        break;
    }
}

void RuleEditor::onActionScrolled(int i)
{
    setActionIndex(i, rows[i].actionList.topIndex());
}

void RuleEditor::onConditionChanged(int i)
{
    RuleRow &row = rows[i];
    row.conditionEdit.setToolTip(row.conditionEdit.text());
    if (trimSpaces(row.conditionEdit.text()).isEmpty()) {
        setActionIndex(i, 0);
        switchOff(row);
        return;
    }
    row.actionList.setEnabled(true);
    const int top = row.actionList.topIndex();
    const bool forward = top >= 0 && top < row.actionList.count() &&
                         QString::compare(trimSpaces(row.actionList.entry(top)),
                                          QLatin1String("forward to"), Qt::CaseInsensitive) == 0;
    row.targetEdit.setLocked(forward);
    row.targetEdit.setForeColor(forward ? ColorRole::GrayText : ColorRole::WindowText);
}

void RuleEditor::onTargetFocusLost(int i)
{
    RuleRow &row = rows[i];
    if (action(i) == SetScl) {
        const QString scl = trimSpaces(row.targetEdit.text());
        bool valid = false;
        if (scl.size() == 1 || scl.size() == 2) {
            if (const std::optional<double> value = readNumericText(scl)) {
                const double rounded = std::nearbyint(*value);
                valid = rounded >= -1 && rounded <= 9;
            }
        }
        if (!valid) {
            m_screen.messageBox(QStringLiteral("SCL should be from -1 To 9"), Screen::Icon::None,
                                ProgramTitle);
            m_screen.setFocus(row.targetEdit.name());
        }
    }
    row.targetEdit.setToolTip(row.targetEdit.text());
}

bool RuleEditor::isPriorityKeyAllowed(QChar key)
{
    const char16_t code = key.unicode();
    return (code >= u'0' && code <= u'9') || code == 8 || code == 32;
}

void RuleEditor::onPriorityChanged()
{
    if (priorityGuard) {
        priorityGuard = false;
        return;
    }
    priorityGuard = true;
    const std::optional<double> value = readNumericText(priorityEdit.text());
    // As a 32-bit integer: a value outside that range can never be a priority.
    const double rounded = value ? std::nearbyint(*value) : 0.0;
    const bool fits =
        value && rounded >= double(std::numeric_limits<qint32>::min()) && rounded <= 65535.0;
    if (!fits)
        priorityEdit.setText(lastAcceptedPriority);
    else
        lastAcceptedPriority = priorityEdit.text();
    priorityGuard = false;
}

void RuleEditor::onTestConditionClicked(int i)
{
    if (testCondition)
        testCondition(i);
}

void RuleEditor::onBrowseRecipientClicked(int i)
{
    if (browseRecipient)
        browseRecipient(i);
}
