#include "shell/controls.h"

void ControlModel::setEnabled(bool on)
{
    if (m_enabled != on) {
        m_enabled = on;
        touch();
    }
}

void ControlModel::setVisible(bool on)
{
    if (m_visible != on) {
        m_visible = on;
        touch();
    }
}

void ControlModel::setToolTip(const QString &text)
{
    if (m_toolTip != text) {
        m_toolTip = text;
        touch();
    }
}

void TextBoxModel::setText(const QString &text)
{
    if (m_text == text)
        return;
    m_text = text;
    touch();
    if (onChanged)
        onChanged();
}

void TextBoxModel::setLocked(bool on)
{
    if (m_locked != on) {
        m_locked = on;
        touch();
    }
}

void TextBoxModel::setForeColor(ColorRole role)
{
    if (m_foreColor != role) {
        m_foreColor = role;
        touch();
    }
}

void LabelModel::setCaption(const QString &caption)
{
    if (m_caption != caption) {
        m_caption = caption;
        touch();
    }
}

void LabelModel::setBackColor(ColorRole role)
{
    if (m_backColor != role) {
        m_backColor = role;
        touch();
    }
}

void ButtonModel::setCaption(const QString &caption)
{
    if (m_caption != caption) {
        m_caption = caption;
        touch();
    }
}

void CheckBoxModel::setCaption(const QString &caption)
{
    if (m_caption != caption) {
        m_caption = caption;
        touch();
    }
}

void CheckBoxModel::setValue(int value)
{
    if (m_value == value)
        return;
    m_value = value;
    touch();
    if (onToggled)
        onToggled();
}

void ListBoxModel::clear()
{
    m_entries.clear();
    m_selected.clear();
    m_currentIndex = -1;
    m_topIndex = 0;
    ++m_entriesRevision;
    touch();
}

void ListBoxModel::addItem(const QString &text)
{
    m_entries.append(text);
    m_selected.append(false);
    ++m_entriesRevision;
    touch();
}

void ListBoxModel::setSelected(int index, bool on)
{
    if (m_selected.at(index) != on) {
        m_selected[index] = on;
        touch();
    }
}

int ListBoxModel::selectedCount() const
{
    return int(m_selected.count(true));
}

void ListBoxModel::setCurrentIndex(int index)
{
    if (m_currentIndex == index)
        return;
    m_currentIndex = index;
    touch();
    if (onClicked)
        onClicked();
}

void ListBoxModel::setTopIndex(int index)
{
    if (m_topIndex != index) {
        m_topIndex = index;
        touch();
    }
}

void ListBoxModel::setHorizontalExtent(int pixels)
{
    if (m_horizontalExtent != pixels) {
        m_horizontalExtent = pixels;
        touch();
    }
}

void ProgressBoxModel::setScaleWidth(double width)
{
    if (m_scaleWidth != width) {
        m_scaleWidth = width;
        touch();
    }
}

void ProgressBoxModel::draw(double barWidth, const QString &text)
{
    if (m_barWidth != barWidth || m_text != text) {
        m_barWidth = barWidth;
        m_text = text;
        touch();
    }
}

void ProgressBoxModel::clearDrawing()
{
    draw(0, QString());
}
