#pragma once

#include <QDialog>

// The preview's listing, read-only, in a fixed-width font so that its columns line up.
class PreviewDialog : public QDialog
{
    Q_OBJECT

public:
    PreviewDialog(const QString &listing, QWidget *parent = nullptr);
};
