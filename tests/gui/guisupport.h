#pragma once

// Helpers the GUI tests share: the main window on a lab, finding a named widget, answering
// the next modal window, and reading the colour a widget really paints.

#include "support/labfixture.h"
#include "ui/installwindow.h"
#include "ui/qtscreen.h"

#include <functional>
#include <QApplication>
#include <QImage>
#include <QTimer>
#include <QWidget>

namespace guitest {

// The named child of parent; the test dies at once when the layout lacks it.
template<typename T> T *child(const QWidget &parent, const QString &name)
{
    T *widget = parent.findChild<T *>(name);
    if (!widget)
        qFatal("no widget %s", qPrintable(name));
    return widget;
}

// The main window on a lab, its model loaded and the real screen attached; not yet shown.
struct MainWindow : LabFixture<QtScreen>
{
    InstallWindow view{form};

    explicit MainWindow(const lab::Scenario &scenario = {}) : LabFixture(scenario)
    {
        form.onLoad();
        view.attachScreen(screen);
    }
    template<typename T> T *find(const QString &name) const { return child<T>(view, name); }
};

// Runs answer on the next modal window once ready says it is, and closes the window if
// the answer left it open (a failed check), so no test hangs.
inline void whenModal(std::function<bool(QWidget *)> ready, std::function<void(QWidget *)> answer)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer, ready] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || (ready && !ready(modal)))
            return;
        timer->stop();
        timer->deleteLater();
        answer(modal);
        if (modal->isVisible())
            modal->close();
    });
    timer->start(10);
}

// Runs answer on the next modal window as soon as it is up.
inline void whenModal(std::function<void(QWidget *)> answer)
{
    whenModal({}, std::move(answer));
}

// The darkest colour the widget paints inside its frame: the full-strength colour of the
// text it shows on a lighter background.
inline QRgb darkestPainted(QWidget &widget)
{
    const QImage image = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int inset = 4 * int(image.devicePixelRatio());
    QRgb darkest = qRgb(255, 255, 255);
    for (int y = inset; y < image.height() - inset; ++y)
        for (int x = inset; x < image.width() - inset; ++x)
            if (qGray(image.pixel(x, y)) < qGray(darkest))
                darkest = image.pixel(x, y);
    return darkest;
}

} // namespace guitest
