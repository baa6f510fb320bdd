#include "mailboxes/listaids.h"

#include "mailboxes/mailboxlists.h"

namespace ListAids {

void setHorizontalExtent(ListBoxModel &list, Screen &screen)
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

} // namespace ListAids

void MailboxLists::toggleSelectAll(ButtonModel &button, ListBoxModel &list)
{
    const int current = list.currentIndex();
    // The caption is the button's state: it names what the next click does.
    const bool select =
        button.caption().compare(QLatin1String("Select all"), Qt::CaseInsensitive) == 0;
    button.setCaption(select ? QStringLiteral("Deselect All") : QStringLiteral("Select All"));
    for (int i = 0; i < list.count(); ++i)
        list.setSelected(i, select);
    list.setCurrentIndex(current);
}

void MailboxLists::onSelectAllUnboundStoresClicked()
{
    toggleSelectAll(selectAllUnboundStoresButton, unboundStoreList);
}

void MailboxLists::onSelectAllUnboundMailboxesClicked()
{
    toggleSelectAll(selectAllUnboundMailboxesButton, unboundMailboxList);
}

void MailboxLists::onSelectAllBoundMailboxesClicked()
{
    toggleSelectAll(selectAllBoundMailboxesButton, boundMailboxList);
}

void MailboxLists::onSelectAllBoundStoresClicked()
{
    toggleSelectAll(selectAllBoundStoresButton, boundStoreList);
}
