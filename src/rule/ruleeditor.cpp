#include "rule/ruleeditor.h"

#include "rule/numerictext.h"
#include "rule/spacetrim.h"

#include <cmath>
#include <limits>

namespace {

const QString ProgramTitle = QStringLiteral("KestrelonSetup");

void setTarget(RuleRow &row, bool locked, ColorRole color, const QString &text, bool browse)
{
    row.txtSpamFolder.setLocked(locked);
    row.txtSpamFolder.setForeColor(color);
    row.txtSpamFolder.setText(text);
    row.cmdBrowse.setEnabled(browse);
}

void switchOff(RuleRow &row)
{
    row.List1.setEnabled(false);
    row.txtSpamFolder.setText(QString());
    row.txtSpamFolder.setLocked(true);
    row.txtSpamFolder.setForeColor(ColorRole::GrayText);
    row.cmdBrowse.setEnabled(false);
}

} // namespace

RuleEditor::RuleEditor(Screen &screen) : m_screen(screen)
{
    for (int i = 0; i < RowCount; ++i) {
        RuleRow &row = rows[i];
        const QString index = QString::number(i);
        row = RuleRow{TextBoxModel(QStringLiteral("txtSpamTag_") + index),
                      ButtonModel(QStringLiteral("btnTest_") + index),
                      ListBoxModel(QStringLiteral("List1_") + index),
                      TextBoxModel(QStringLiteral("txtSpamFolder_") + index),
                      ButtonModel(QStringLiteral("cmdBrowse_") + index)};
        row.btnTest.setCaption(QStringLiteral("Test"));
        row.cmdBrowse.setCaption(QStringLiteral("..."));
        for (const char *action : {"move to folder", "delete", "forward to"})
            row.List1.addItem(QString::fromLatin1(action));
        row.List1.addItem(i == 0 ? QStringLiteral("set SCL to ") : QStringLiteral("set SCL to"));
    }
    rows[0].txtSpamTag.setText(QStringLiteral("X-Spam-Flag: YES"));
    rows[0].txtSpamFolder.setText(QStringLiteral("Spam"));
    txtPriority.setText(QStringLiteral("65535"));
    txtPriority.setToolTip(QStringLiteral("(0 is highest, 65535 is lowest)"));

    // Until the installed rule is loaded, the design-time rows show as the condition
    // reaction would leave them: empty rows switched off, no "..." for a folder row.
    for (int i = 0; i < RowCount; ++i) {
        RuleRow &row = rows[i];
        row.cmdBrowse.setEnabled(false);
        if (trimSpaces(row.txtSpamTag.text()).isEmpty())
            switchOff(row);
        row.txtSpamTag.onChange = [this, i] {
            txtSpamTag_Change(i);
        };
        row.List1.onClick = [this, i] {
            if (!m_clickMuted[i])
                List1_Click(i);
        };
    }
    txtPriority.onChange = [this] {
        txtPriority_Change();
    };
}

void RuleEditor::setActionListIndex(int row, int index)
{
    ListBoxModel &list = rows[row].List1;
    if (list.listIndex() == index)
        List1_Click(row);
    else
        list.setListIndex(index);
}

void RuleEditor::clearActionSelection(int row)
{
    ListBoxModel &list = rows[row].List1;
    for (int k = 0; k < list.count(); ++k)
        list.setSelected(k, false);
    // Deselecting leaves no current entry; that is no click of its own.
    m_clickMuted[row] = true;
    list.setListIndex(-1);
    m_clickMuted[row] = false;
}

void RuleEditor::List1_Click(int i)
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
            row.txtSpamFolder.text().isEmpty() ? QStringLiteral("9") : row.txtSpamFolder.text();
        setTarget(row, false, ColorRole::WindowText, text, false);
        break;
    }
    default:
        setTarget(row, false, ColorRole::WindowText, QString(), false);
        break;
    }
}

void RuleEditor::List1_Scroll(int i)
{
    setActionListIndex(i, rows[i].List1.topIndex());
}

void RuleEditor::txtSpamTag_Change(int i)
{
    RuleRow &row = rows[i];
    row.txtSpamTag.setToolTip(row.txtSpamTag.text());
    if (trimSpaces(row.txtSpamTag.text()).isEmpty()) {
        setActionListIndex(i, 0);
        switchOff(row);
        return;
    }
    row.List1.setEnabled(true);
    const int top = row.List1.topIndex();
    const bool forward = top >= 0 && top < row.List1.count() &&
                         QString::compare(trimSpaces(row.List1.entry(top)),
                                          QLatin1String("forward to"), Qt::CaseInsensitive) == 0;
    row.txtSpamFolder.setLocked(forward);
    row.txtSpamFolder.setForeColor(forward ? ColorRole::GrayText : ColorRole::WindowText);
}

void RuleEditor::txtSpamFolder_LostFocus(int i)
{
    RuleRow &row = rows[i];
    if (action(i) == SetScl) {
        const QString scl = trimSpaces(row.txtSpamFolder.text());
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
            m_screen.setFocus(row.txtSpamFolder.name());
        }
    }
    row.txtSpamFolder.setToolTip(row.txtSpamFolder.text());
}

bool RuleEditor::txtPriority_KeyPress(QChar key)
{
    const char16_t code = key.unicode();
    return (code >= u'0' && code <= u'9') || code == 8 || code == 32;
}

void RuleEditor::txtPriority_Change()
{
    if (priorityGuard) {
        priorityGuard = false;
        return;
    }
    priorityGuard = true;
    const std::optional<double> value = readNumericText(txtPriority.text());
    // As a 32-bit integer: a value outside that range can never be a priority.
    const double rounded = value ? std::nearbyint(*value) : 0.0;
    const bool fits =
        value && rounded >= double(std::numeric_limits<qint32>::min()) && rounded <= 65535.0;
    if (!fits)
        txtPriority.setText(lastAcceptedPriority);
    else
        lastAcceptedPriority = txtPriority.text();
    priorityGuard = false;
}

void RuleEditor::btnTest_Click(int i)
{
    if (testCondition)
        testCondition(i);
}

void RuleEditor::cmdBrowse_Click(int i)
{
    if (browseRecipient)
        browseRecipient(i);
}
