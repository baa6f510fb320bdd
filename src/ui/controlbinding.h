#pragma once

#include "shell/controls.h"

#include <functional>
#include <QList>

class QAbstractButton;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QWidget;

// Mirrors control models into their widgets and forwards the widgets' events to the
// models. sync() copies only what changed since the last sync (by revision), so it
// is cheap enough to run after every event and before every repaint.
class ControlBinding
{
public:
    // Runs after every forwarded event, so chains of handlers show at once.
    std::function<void()> afterEvent;

    void bind(QCheckBox *widget, CheckBoxModel &model);
    void bind(QLineEdit *widget, TextBoxModel &model);
    void bind(QPlainTextEdit *widget, TextBoxModel &model);
    void bind(QLabel *widget, LabelModel &model);
    // A button: caption, state, and its click handler.
    void bind(QAbstractButton *widget, ButtonModel &model, std::function<void()> onClick);
    // A list: entries, selection, current entry, horizontal extent.
    void bind(QListWidget *widget, ListBoxModel &model);
    // Any other widget: apply mirrors the model's own state (enabled, visible and
    // tooltip are mirrored as for every control).
    void bindCustom(QWidget *widget, const ControlModel &model, std::function<void()> apply);
    // Runs a widget event's handler, unless a sync raised the event, then mirrors the result.
    void forward(const std::function<void()> &handler);

    void sync();

private:
    struct Entry
    {
        std::function<void()> sync;
    };
    void add(QWidget *widget, const ControlModel &model, std::function<void()> apply);
    void forwarded();

    QList<Entry> m_entries;
    bool m_syncing = false;
};
