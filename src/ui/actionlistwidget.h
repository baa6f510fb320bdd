#pragma once

#include <QListWidget>

// A rule row's action list: one item high, stepped with its arrows, no highlight.
class ActionListWidget : public QListWidget
{
    Q_OBJECT
public:
    explicit ActionListWidget(QWidget *parent = nullptr);
};
