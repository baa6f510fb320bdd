#include "support/labfixture.h"
#include "ui/installwindow.h"
#include "ui/progressboxwidget.h"
#include "ui/qtscreen.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

// The shell's part of the real main window, offscreen: caption, environment line,
// error log visibility, Exit, and the progress box drawing.
class TestInstallForm : public QObject
{
    Q_OBJECT

    // The lab's model after onLoad, and its window on the screen.
    struct Window : LabFixture<QtScreen>
    {
        std::unique_ptr<InstallWindow> view;

        Window(const lab::Scenario &scenario, const QString &commandLine = {})
            : LabFixture(scenario, commandLine)
        {
            form.onLoad();
            view = std::make_unique<InstallWindow>(form);
            view->attachScreen(screen);
            view->show();
        }
        template<typename T> T *find(const QString &name)
        {
            T *widget = view->findChild<T *>(name);
            if (!widget)
                qFatal("no widget %s", qPrintable(name));
            return widget;
        }
    };

private slots:
    // The window looks for the sink library in the current folder, where the demo has it.
    void initTestCase()
    {
        QVERIFY(QDir::setCurrent(qEnvironmentVariable("KESTRELON_TEST_DATA") + "/../../demo"));
    }

    void window_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("demo");

        // The demo has mailboxes whose inbox no URL form reaches: the probes log them.
        QTest::newRow("interactive, demo organization") << QString() << "Kestrelon setup" << true;
        QTest::newRow("batch, empty organization")
            << "/B" << QString("Kestrelon setup - batch mode") << false;
    }

    void window()
    {
        QFETCH(QString, commandLine);
        QFETCH(QString, caption);
        QFETCH(bool, demo);

        Window window(demo ? lab::demoScenario() : lab::Scenario(), commandLine);
        QVERIFY(QTest::qWaitForWindowExposed(window.view.get()));
        QCOMPARE(window.view->windowTitle(), caption);
        auto *line = window.find<QLabel>(QStringLiteral("environmentLabel"));
        QVERIFY(!line->text().isEmpty());
        QCOMPARE(line->text(), window.platform->description());
        QVERIFY(line->isVisible());

        InstallForm &form = window.form;
        auto *errorLogEdit = window.find<QPlainTextEdit>(QStringLiteral("errorLogEdit"));
        auto *clear = window.find<QPushButton>(QStringLiteral("clearErrorLogButton"));
        QVERIFY(!errorLogEdit->isVisible());
        QVERIFY(!clear->isVisible());
        window.view->activateFirstTime();
        QVERIFY(form.firstActivationDone);
        QVERIFY(window.find<QCheckBox>(QStringLiteral("installSinkCheck"))->isChecked());
        QCOMPARE(form.unboundMailboxList.count() + form.boundMailboxList.count() > 0, demo);
        QCOMPARE(errorLogEdit->isVisible(), demo);
        QCOMPARE(clear->isVisible(), demo);
        QCOMPARE(errorLogEdit->toPlainText().isEmpty(), !demo);

        form.errorLog.add(QStringLiteral("first"), 1, QStringLiteral("one"));
        form.showErrorLogIfAny();
        window.view->sync();
        QVERIFY(errorLogEdit->isVisible());
        QVERIFY(clear->isVisible());
        // The new entry comes above what the activation logged.
        const QString entry = '[' + form.errorLog.timestamp() + "] first - ERROR: 1 one\n\n";
        QVERIFY2(errorLogEdit->toPlainText().startsWith(entry),
                 qPrintable(errorLogEdit->toPlainText()));
        QTest::mouseClick(clear, Qt::LeftButton);
        QVERIFY(!errorLogEdit->isVisible());
        QVERIFY(!clear->isVisible());
        QCOMPARE(errorLogEdit->toPlainText(), QString());
        QCOMPARE(form.errorLogEdit.text(), QString());

        QTest::mouseClick(window.find<QPushButton>(QStringLiteral("exitButton")), Qt::LeftButton);
        QVERIFY(form.unloaded);
        QVERIFY(!form.globals.directoryConnection);
        QVERIFY(!form.globals.storeConnection);
        QVERIFY(!window.view->isVisible());
    }

    void progressBarInvertsCoveredText_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("done");
        QTest::addColumn<bool>("textUnderBar");
        QTest::addColumn<bool>("textBesideBar");

        // With few steps the text lands on whole steps: (2 - w) rounds to 2, halved gives 1.
        QTest::newRow("2 steps, 1 done: text starts where the bar ends") << 2 << 1 << false << true;
        QTest::newRow("8 steps, 5 done: text wholly covered") << 8 << 5 << true << false;
        QTest::newRow("1000 steps, 500 done: bar ends inside the text")
            << 1000 << 500 << true << true;
    }

    void progressBarInvertsCoveredText()
    {
        QFETCH(int, steps);
        QFETCH(int, done);
        QFETCH(bool, textUnderBar);
        QFETCH(bool, textBesideBar);

        Window window{lab::Scenario()};
        QVERIFY(QTest::qWaitForWindowExposed(window.view.get()));
        window.form.progressBox.setScaleWidth(steps);
        window.form.progressBox.setVisible(true);
        for (int i = 0; i < done; ++i) {
            qint32 increment = 1;
            window.form.advanceProgress(increment, window.form.progressBox);
        }
        window.view->sync();
        auto *box = window.find<ProgressBoxWidget>(QStringLiteral("progressBox"));
        QVERIFY(box->isVisible());
        QVERIFY(box->width() > 200);
        const QImage image = box->render().convertToFormat(QImage::Format_RGB32);
        const int barEnd = box->width() * done / steps;

        // Text pixels, edges smoothed: light ones under the blue bar (inverted), dark ones
        // beside it on the white.
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
        QCOMPARE(whiteUnderBar > 0, textUnderBar);
        QCOMPARE(blueBesideBar > 0, textBesideBar);
    }
};

QTEST_MAIN(TestInstallForm)
#include "tst_installform.moc"
