#include "guisupport.h"
#include "shell/progress.h"
#include "ui/progressboxwidget.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

// The shell's part of the real main window, offscreen: caption, environment line, error
// log, Exit, and the progress box drawing.
class TestInstallForm : public QObject
{
    Q_OBJECT

private slots:
    // The window looks for the sink library in the current folder, where the demo has it.
    void initTestCase()
    {
        QVERIFY(QDir::setCurrent(qEnvironmentVariable("KESTRELON_TEST_DATA") + "/../../demo"));
    }

    void window()
    {
        guitest::MainWindow window(lab::demoScenario());
        window.view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window.view));
        QCOMPARE(window.view.windowTitle(), QStringLiteral("Kestrelon setup"));
        QCOMPARE(window.find<QLabel>("environmentLabel")->text(), window.platform->description());

        // The demo has mailboxes whose inbox no URL form reaches: the probes log them.
        InstallForm &form = window.form;
        auto *log = window.find<QPlainTextEdit>("errorLogEdit");
        auto *clear = window.find<QPushButton>("clearErrorLogButton");
        QVERIFY(!log->isVisible() && !clear->isVisible());
        window.view.activateFirstTime();
        QVERIFY(window.find<QCheckBox>("installSinkCheck")->isChecked());
        QVERIFY(log->isVisible() && clear->isVisible());

        QTest::mouseClick(clear, Qt::LeftButton);
        QVERIFY(!log->isVisible() && !clear->isVisible());
        QCOMPARE(form.errorLogEdit.text(), QString());

        QTest::mouseClick(window.find<QPushButton>("exitButton"), Qt::LeftButton);
        QVERIFY(form.unloaded);
        QVERIFY(!window.view.isVisible());
    }

    // Half of a long walk done: the bar ends inside the centred text, which shows white on
    // the blue bar and dark on the white beside it.
    void progressBarInvertsCoveredText()
    {
        const int steps = 1000;
        const int done = 500;
        guitest::MainWindow window;
        window.view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window.view));
        window.form.lists.progressBox.setScaleWidth(steps);
        window.form.lists.progressBox.setVisible(true);
        qint32 count = 0;
        advanceProgress(count, done, window.form.lists.progressBox);
        window.view.sync();
        auto *box = window.find<ProgressBoxWidget>("progressBox");
        QVERIFY(box->width() > 200);
        const QImage image = box->render().convertToFormat(QImage::Format_RGB32);
        const int barEnd = box->width() * done / steps;

        int whiteUnderBar = 0;
        int blueBesideBar = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const int red = qRed(image.pixel(x, y));
                whiteUnderBar += x < barEnd - 1 && red > 128;
                blueBesideBar += x > barEnd + 1 && red < 128;
            }
        }
        QCOMPARE(image.pixel(0, 0), qRgb(0, 0, 255));
        QCOMPARE(image.pixel(image.width() - 1, image.height() - 1), qRgb(255, 255, 255));
        QVERIFY(whiteUnderBar > 0 && blueBesideBar > 0);
    }
};

QTEST_MAIN(TestInstallForm)
#include "tst_installform.moc"
