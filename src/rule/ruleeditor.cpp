#include "rule/ruleeditor.h"

RuleEditor::RuleEditor(Screen &screen) : m_screen(screen)
{
    for (int i = 0; i < int(rows.size()); ++i) {
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
}
