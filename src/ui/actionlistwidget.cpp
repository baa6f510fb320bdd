#include "ui/actionlistwidget.h"

ActionListWidget::ActionListWidget(QWidget *parent) : QListWidget(parent) {}
