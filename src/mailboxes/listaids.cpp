#include "mailboxes/hscrolllistbox.h"
#include "shell/installform.h"

namespace HScrollListBox {

void SetHorizontalExtent(ListBoxModel &list, Screen &screen)
{
    const int extra = screen.verticalScrollBarWidth();
    int widest = 0;
    for (const QString &entry : list.entries()) {
        const int width = screen.textWidth(list.name(), entry) + extra;
        if (width >= widest)
            widest = width;
    }
    list.setHorizontalExtent(widest);
}

} // namespace HScrollListBox

void InstallForm::ToggleSelectAll(ButtonModel &button, ListBoxModel &list)
{
    const int current = list.listIndex();
    // The caption is the button's state: it names what the next click does.
    const bool select =
        button.caption().compare(QLatin1String("Select all"), Qt::CaseInsensitive) == 0;
    button.setCaption(select ? QStringLiteral("Deselect All") : QStringLiteral("Select All"));
    for (int i = 0; i < list.count(); ++i)
        list.setSelected(i, select);
    list.setListIndex(current);
}

void InstallForm::Command4_Click()
{
    ToggleSelectAll(Command4, SysMbxInstList);
}

void InstallForm::Command5_Click()
{
    ToggleSelectAll(Command5, MbxInstList);
}

void InstallForm::Command6_Click()
{
    ToggleSelectAll(Command6, MbxUninstList);
}

void InstallForm::Command7_Click()
{
    ToggleSelectAll(Command7, SysMbxUninstList);
}
