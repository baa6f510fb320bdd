#include "ui/previewdialog.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

PreviewDialog::PreviewDialog(const QString &listing, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("previewDialog"));
    setWindowTitle(QStringLiteral("Preview of CHANGE"));
    auto *text = new QPlainTextEdit(listing, this);
    text->setObjectName(QStringLiteral("planEdit"));
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(buttons);
    resize(760, 360);
}
