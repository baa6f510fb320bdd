#pragma once

#include <QListWidget>

// A rule row's action list: one item high, stepped with its arrows, no highlight.
// The item in view is the row's action; stepping reports the new top index.
class ActionListWidget : public QListWidget
{
    Q_OBJECT
public:
    explicit ActionListWidget(QWidget *parent = nullptr);

    // The item scrolled into view. An index set before the list is laid out (when its
    // scroll range is still empty) is shown as soon as the range allows it.
    int topIndex() const;
    void setTopIndex(int index);

signals:
    // The list was stepped (arrows, wheel or keys) so that another item is in view.
    void scrolled(int topIndex);
    // An item was clicked.
    void actionClicked(int index);

protected:
    void rowsInserted(const QModelIndex &parent, int start, int end) override;
    void changeEvent(QEvent *event) override;

private:
    void fitOneRow();
    void showWantedTop();

    int m_wantedTop = 0;
    bool m_settingTop = false;
};
