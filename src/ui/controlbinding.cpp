#include "ui/controlbinding.h"

#include "ui/listmirror.h"

#include <QCheckBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSignalBlocker>

namespace {

QColor colorOf(ColorRole role, const QPalette &palette)
{
    switch (role) {
    case ColorRole::WindowText:
        return palette.color(QPalette::Active, QPalette::WindowText);
    case ColorRole::GrayText:
        return palette.color(QPalette::Disabled, QPalette::Text);
    case ColorRole::ButtonFace:
        return palette.color(QPalette::Active, QPalette::Button);
    case ColorRole::Green:
        return QColor(0, 255, 0);
    case ColorRole::Red:
        return QColor(255, 0, 0);
    }
    return {};
}

// The caption the model gives, with the access key that the layout marked in the
// designed caption ("&Identity:"): on the same letter when the model's caption is the
// designed one, else on the first such letter. The model's own ampersands stay text.
QString withAccessKey(const QString &caption, const QString &designed)
{
    QString shown = caption;
    shown.replace(QLatin1Char('&'), QLatin1String("&&"));
    const QKeySequence key = QKeySequence::mnemonic(designed);
    if (key.isEmpty())
        return shown;
    QString plain = designed;
    plain.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    if (plain.replace(QLatin1String("&&"), QLatin1String("&")) == caption)
        return designed;
    const QString letter = key.toString().right(1);
    const qsizetype at = shown.indexOf(letter, 0, Qt::CaseInsensitive);
    if (at >= 0)
        shown.insert(at, QLatin1Char('&'));
    return shown;
}

void applyCommon(QWidget *widget, const ControlModel &model)
{
    widget->setEnabled(model.enabled());
    // Hidden state is only meaningful once the window is up; before that Qt would
    // report every child hidden, so compare against the model, not isVisible().
    widget->setVisible(model.visible());
    widget->setToolTip(model.toolTip());
}

} // namespace

void ControlBinding::add(QWidget *widget, const ControlModel &model, std::function<void()> apply)
{
    // Whatever the model hides keeps its room, so nothing else moves when it comes back.
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
    auto seen = std::make_shared<quint64>(~quint64(0));
    m_entries.append({[widget, &model, apply, seen] {
        if (*seen == model.revision())
            return;
        *seen = model.revision();
        const QSignalBlocker blocker(widget);
        applyCommon(widget, model);
        apply();
    }});
}

void ControlBinding::forwarded()
{
    if (afterEvent)
        afterEvent();
    sync();
}

void ControlBinding::bind(QCheckBox *widget, CheckBoxModel &model)
{
    add(widget, model, [widget, &model, designed = widget->text()] {
        widget->setText(withAccessKey(model.caption(), designed));
        widget->setChecked(model.value() != 0);
    });
    QObject::connect(widget, &QCheckBox::clicked, widget, [this, &model](bool checked) {
        if (m_syncing)
            return;
        model.setValue(checked ? 1 : 0);
        forwarded();
    });
}

void ControlBinding::bind(QLineEdit *widget, TextBoxModel &model)
{
    // Colours are read from the palette the box had before the model coloured it: read
    // from the box's own, grey would come back as whatever colour it was given last.
    add(widget, model,
        [widget, &model, designed = widget->palette(), focusPolicy = widget->focusPolicy()] {
            if (widget->text() != model.text())
                widget->setText(model.text());
            // A locked box is read-only as the toolkit shows it: the window's background, no
            // stop for Tab; a click still selects its text for copying.
            widget->setReadOnly(model.locked());
            widget->setFocusPolicy(model.locked() ? Qt::ClickFocus : focusPolicy);
            QPalette palette = designed;
            for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
                palette.setColor(group, QPalette::Text, colorOf(model.foreColor(), designed));
                if (model.locked())
                    palette.setColor(group, QPalette::Base,
                                     designed.color(group, QPalette::Window));
            }
            widget->setPalette(palette);
        });
    QObject::connect(widget, &QLineEdit::textEdited, widget, [this, &model](const QString &text) {
        if (m_syncing)
            return;
        model.setText(text);
        forwarded();
    });
}

void ControlBinding::bind(QPlainTextEdit *widget, TextBoxModel &model)
{
    add(widget, model, [widget, &model] {
        if (widget->toPlainText() != model.text())
            widget->setPlainText(model.text());
    });
}

void ControlBinding::bind(QLabel *widget, LabelModel &model)
{
    // Without a buddy a label shows ampersands as they are.
    add(widget, model, [widget, &model, designed = widget->text()] {
        widget->setText(widget->buddy() ? withAccessKey(model.caption(), designed)
                                        : model.caption());
    });
}

void ControlBinding::bind(QAbstractButton *widget, ButtonModel &model,
                          std::function<void()> onClick)
{
    add(widget, model, [widget, &model, designed = widget->text()] {
        widget->setText(withAccessKey(model.caption(), designed));
    });
    QObject::connect(widget, &QAbstractButton::clicked, widget, [this, onClick] {
        if (m_syncing || !onClick)
            return;
        onClick();
        forwarded();
    });
}

void ControlBinding::bind(QListWidget *widget, ListBoxModel &model)
{
    auto mirror = std::make_shared<ListMirror>(widget, model);
    add(widget, model, [mirror] { mirror->apply(); });
    QObject::connect(widget, &QListWidget::itemSelectionChanged, widget, [this, mirror] {
        if (m_syncing)
            return;
        mirror->readSelection();
        forwarded();
    });
    // Keys move the current entry without selecting (Ctrl+arrows); the model follows
    // each move, so select-all keeps the entry the user left the focus on.
    QObject::connect(widget, &QListWidget::currentRowChanged, widget, [this, &model](int row) {
        if (m_syncing)
            return;
        model.setCurrentIndex(row);
        forwarded();
    });
}

void ControlBinding::bindCustom(QWidget *widget, const ControlModel &model,
                                std::function<void()> apply)
{
    add(widget, model, std::move(apply));
}

void ControlBinding::forward(const std::function<void()> &handler)
{
    if (m_syncing)
        return;
    handler();
    forwarded();
}

void ControlBinding::sync()
{
    if (m_syncing)
        return;
    m_syncing = true;
    for (const Entry &entry : std::as_const(m_entries))
        entry.sync();
    m_syncing = false;
}
