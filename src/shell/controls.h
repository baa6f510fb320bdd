#pragma once

#include <functional>
#include <QList>
#include <QString>
#include <QStringList>

// Plain state of the window controls that the behaviour reads and writes.
// Setters that a real control would answer with an event call the handler
// synchronously, so chains of handlers run exactly as in the window. Every
// change bumps a revision, which lets a view mirror only what changed.

enum class ColorRole { WindowText, GrayText, ButtonFace, Green, Red };

class ControlModel
{
public:
    explicit ControlModel(QString name = {}) : m_name(std::move(name)) {}

    const QString &name() const { return m_name; }
    bool enabled() const { return m_enabled; }
    void setEnabled(bool on);
    bool visible() const { return m_visible; }
    void setVisible(bool on);
    const QString &toolTip() const { return m_toolTip; }
    void setToolTip(const QString &text);
    quint64 revision() const { return m_revision; }

protected:
    void touch() { ++m_revision; }

private:
    QString m_name;
    bool m_enabled = true;
    bool m_visible = true;
    QString m_toolTip;
    quint64 m_revision = 0;
};

class TextBoxModel : public ControlModel
{
public:
    using ControlModel::ControlModel;

    const QString &text() const { return m_text; }
    // Raises onChanged when the text differs.
    void setText(const QString &text);
    bool locked() const { return m_locked; }
    void setLocked(bool on);
    ColorRole foreColor() const { return m_foreColor; }
    void setForeColor(ColorRole role);

    std::function<void()> onChanged;

private:
    QString m_text;
    bool m_locked = false;
    ColorRole m_foreColor = ColorRole::WindowText;
};

class LabelModel : public ControlModel
{
public:
    using ControlModel::ControlModel;

    const QString &caption() const { return m_caption; }
    void setCaption(const QString &caption);
    ColorRole backColor() const { return m_backColor; }
    void setBackColor(ColorRole role);

private:
    QString m_caption;
    ColorRole m_backColor = ColorRole::ButtonFace;
};

class ButtonModel : public ControlModel
{
public:
    using ControlModel::ControlModel;

    const QString &caption() const { return m_caption; }
    void setCaption(const QString &caption);

private:
    QString m_caption;
};

// A check box: value 0 unticked, 1 ticked. Setting a new value raises onToggled.
class CheckBoxModel : public ControlModel
{
public:
    using ControlModel::ControlModel;

    const QString &caption() const { return m_caption; }
    void setCaption(const QString &caption);
    int value() const { return m_value; }
    void setValue(int value);

    std::function<void()> onToggled;

private:
    QString m_caption;
    int m_value = 0;
};

// A list box whose entries may be selected several at a time.
class ListBoxModel : public ControlModel
{
public:
    using ControlModel::ControlModel;

    int count() const { return int(m_entries.size()); }
    const QStringList &entries() const { return m_entries; }
    const QString &entry(int index) const { return m_entries.at(index); }
    void clear();
    void addItem(const QString &text);

    bool selected(int index) const { return m_selected.at(index); }
    void setSelected(int index, bool on);
    int selectedCount() const;

    // The current entry (-1 for none). Setting a new index raises onClicked.
    int currentIndex() const { return m_currentIndex; }
    void setCurrentIndex(int index);
    // The first entry scrolled into view.
    int topIndex() const { return m_topIndex; }
    void setTopIndex(int index);

    int horizontalExtent() const { return m_horizontalExtent; }
    void setHorizontalExtent(int pixels);

    // Changes only with the entries themselves, so a view refills its list only then.
    quint64 entriesRevision() const { return m_entriesRevision; }

    std::function<void()> onClicked;

private:
    QStringList m_entries;
    QList<bool> m_selected;
    int m_currentIndex = -1;
    int m_topIndex = 0;
    int m_horizontalExtent = 0;
    quint64 m_entriesRevision = 0;
};

// The percentage bar of a long walk: what it shows, in the units of its scale.
class ProgressBoxModel : public ControlModel
{
public:
    using ControlModel::ControlModel;

    double scaleWidth() const { return m_scaleWidth; }
    void setScaleWidth(double width);
    // The bar covers [0, barWidth) of the scale; text is drawn centred.
    double barWidth() const { return m_barWidth; }
    const QString &text() const { return m_text; }
    void draw(double barWidth, const QString &text);
    void clearDrawing();

private:
    double m_scaleWidth = 100;
    double m_barWidth = 0;
    QString m_text;
};
