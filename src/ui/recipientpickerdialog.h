#pragma once

#include "recipients/recipientpickerform.h"
#include "ui/controlbinding.h"

#include <functional>
#include <memory>
#include <QDialog>

namespace Ui {
class RecipientPickerDialog;
}
class QLabel;
class ProgressBoxWidget;
class QtScreen;
class RecipientItemModel;

// The recipient picker: its Designer layout bound to a RecipientPickerForm. Once on the
// screen it fills its list; OK, Cancel or a double click close it.
class RecipientPickerDialog : public QDialog
{
    Q_OBJECT
public:
    // While the dialog is open, the screen (if any) also syncs the dialog before letting
    // events through and shows each new percentage of its fill at once.
    RecipientPickerDialog(RecipientPickerForm &form, QtScreen *screen, QWidget *parent = nullptr);
    ~RecipientPickerDialog() override;

    // Copies the model's changes into the widgets.
    void sync();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void activate();
    void bindRecipientView();
    void applyRecipientView();
    // As wide as the column's header and its widest row, icon and margins included.
    int fittedWidth(int column) const;
    // Lays the progress box over the status bar's progress panel.
    void placeProgressBox();
    void hookScreen();

    RecipientPickerForm &m_form;
    std::unique_ptr<Ui::RecipientPickerDialog> m_ui;
    ControlBinding m_binding;
    RecipientItemModel *m_items = nullptr;
    QLabel *m_textPanel = nullptr;
    QLabel *m_progressPanel = nullptr;
    ProgressBoxWidget *m_progressBox = nullptr;
    QList<RecipientViewModel::ColumnHeader> m_shownColumns;
    quint64 m_servedVisibleRequests = 0;
    bool m_activated = false;
    int m_exposeTries = 0;

    QtScreen *m_screen = nullptr;
    std::function<void()> m_ownerBeforeEvents;
    std::function<bool()> m_ownerMustShowNow;
};
