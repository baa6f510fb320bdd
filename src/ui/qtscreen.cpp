#include "ui/qtscreen.h"

#include <cstdio>
#include <QApplication>
#include <QFontMetrics>
#include <QMessageBox>
#include <QStyle>

QWidget *QtScreen::control(const QString &name) const
{
    if (!m_window)
        return nullptr;
    if (m_window->objectName() == name)
        return m_window;
    return m_window->findChild<QWidget *>(name);
}

void QtScreen::messageBox(const QString &text, Icon icon, const QString &title)
{
    if (unattended) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
        return;
    }
    QMessageBox box(m_window);
    box.setWindowTitle(title);
    box.setText(text);
    box.setStandardButtons(QMessageBox::Ok);
    switch (icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    // A message box must show the normal pointer even while the program is busy.
    const bool wasWaiting = m_waitCursor;
    if (wasWaiting)
        QApplication::restoreOverrideCursor();
    box.exec();
    if (wasWaiting)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtScreen::setWaitCursor(bool on)
{
    if (on == m_waitCursor)
        return;
    m_waitCursor = on;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void QtScreen::doEvents()
{
    // Mirroring the model and running the event loop after every row would cost more
    // than the walk; between turns a call costs one clock reading.
    const bool due = !m_sinceEvents.isValid() || m_sinceEvents.hasExpired(EventIntervalMs);
    if (!due && !(mustShowNow && mustShowNow()))
        return;
    if (beforeEvents)
        beforeEvents();
    QCoreApplication::processEvents();
    m_sinceEvents.start();
}

bool QtScreen::lockRepaint(const QString &windowName)
{
    if (m_locked)
        return false;
    m_locked = control(windowName);
    if (!m_locked)
        return false;
    m_locked->setUpdatesEnabled(false);
    return true;
}

void QtScreen::unlockRepaint()
{
    if (m_locked)
        m_locked->setUpdatesEnabled(true);
    m_locked = nullptr;
}

int QtScreen::textWidth(const QString &controlName, const QString &text)
{
    const QWidget *widget = control(controlName);
    const QFontMetrics metrics(widget ? widget->font() : QApplication::font());
    return metrics.horizontalAdvance(text);
}

int QtScreen::verticalScrollBarWidth()
{
    return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

void QtScreen::setFocus(const QString &controlName)
{
    if (QWidget *widget = control(controlName))
        widget->setFocus(Qt::OtherFocusReason);
}
