#include "recipients/recipientpickerform.h"

#include "rule/spacetrim.h"

RecipientPickerForm::RecipientPickerForm(ProgramEnvironment &environment, Screen &screen,
                                         RuleEditor &rule, int ruleRow)
    : m_environment(environment), m_screen(screen), m_rule(rule), m_ruleRow(ruleRow)
{
    okButton.setCaption(QStringLiteral("OK"));
    cancelButton.setCaption(QStringLiteral("Cancel"));
}

int toggleSortOrder(int order)
{
    return order != 0 ? 0 : 1;
}

void RecipientPickerForm::onLoad()
{
    progressBox.setVisible(false);
}

void RecipientPickerForm::onActivate()
{
    recipientView.addColumn(QStringLiteral("Name"), RecipientViewModel::DefaultWidth);
    recipientView.addColumn(QStringLiteral("Distinguished Name"), 0);
    recipientView.addColumn(QStringLiteral("E-mail address"), RecipientViewModel::DefaultWidth);
    Screen &screen = m_screen;
    screen.setWaitCursor(true);
    loadRecipients();
    // The click turns the name order from descending to ascending.
    m_nameSortOrder = 1;
    onRecipientColumnClicked(RecipientViewModel::NameColumn);
    if (recipientView.count() > 0) {
        recipientView.ensureVisible(0);
        recipientView.select(0);
    }
    screen.setWaitCursor(false);
}

void RecipientPickerForm::onRecipientColumnClicked(int column)
{
    int order = 0;
    if (column == RecipientViewModel::NameColumn) {
        m_nameSortOrder = toggleSortOrder(m_nameSortOrder);
        order = m_nameSortOrder;
        m_addressSortOrder = 1;
    } else if (column == RecipientViewModel::AddressColumn) {
        m_addressSortOrder = toggleSortOrder(m_addressSortOrder);
        order = m_addressSortOrder;
        m_nameSortOrder = 1;
    } else {
        return;
    }
    recipientView.sortBy(column, order);
    m_screen.doEvents();
    if (recipientView.selectedPosition() >= 0)
        recipientView.ensureVisible(recipientView.selectedPosition());
}

void RecipientPickerForm::onRecipientDoubleClicked()
{
    onOkClicked();
}

void RecipientPickerForm::onOkClicked()
{
    const int selected = recipientView.selectedPosition();
    const bool rowKnown = m_ruleRow >= 0 && m_ruleRow < RuleEditor::RowCount;
    if (selected >= 0 && rowKnown) {
        const RecipientEntry &entry = recipientView.row(selected);
        const QString name = trimSpaces(entry.name);
        const QString address = trimSpaces(entry.address);
        if (!name.isEmpty())
            m_rule.rows[m_ruleRow].targetEdit.setText(
                address.isEmpty() ? name : name + QStringLiteral(" <") + address + u'>');
    }
    closed = true;
}

void RecipientPickerForm::onCancelClicked()
{
    closed = true;
}
