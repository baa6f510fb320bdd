#include "platform/lab/labfile.h"
#include "platform/lab/labscenario.h"
#include "shell/installform.h"
#include "ui/installformview.h"
#include "ui/progressboxwidget.h"
#include "ui/qtscreen.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

// The shell's part of the real main window, offscreen: caption, environment line,
// error log visibility, the progress box drawing, and Exit.
class TestInstallForm : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void caption_data();
    void caption();
    void environmentLine();
    void firstActivationShowsLogOnlyWithText_data();
    void firstActivationShowsLogOnlyWithText();
    void clearErrorLog();
    void progressBarInvertsCoveredText_data();
    void progressBarInvertsCoveredText();
    void exitUnloads();

private:
    void open(const QString &commandLine = {}, const lab::Scenario &scenario = lab::demoScenario());
    template<typename T> T *find(const QString &name)
    {
        T *widget = m_view->findChild<T *>(name);
        if (!widget)
            qFatal("no widget %s", qPrintable(name));
        return widget;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<platform::Platform> m_platform;
    std::unique_ptr<QtScreen> m_screen;
    std::unique_ptr<InstallForm> m_form;
    std::unique_ptr<InstallFormView> m_view;
};

void TestInstallForm::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_screen = std::make_unique<QtScreen>();
}

void TestInstallForm::cleanup()
{
    m_view.reset();
    m_form.reset();
    m_screen.reset();
    m_platform.reset();
    m_dir.reset();
}

void TestInstallForm::open(const QString &commandLine, const lab::Scenario &scenario)
{
    const QString path = m_dir->filePath(QStringLiteral("lab.sqlite"));
    lab::createLab(path, scenario);
    m_platform = lab::openLab(path);
    m_form = std::make_unique<InstallForm>(*m_platform, *m_screen, commandLine);
    m_form->Form_Load();
    m_view = std::make_unique<InstallFormView>(*m_form);
    m_screen->setWindow(m_view.get());
    m_screen->beforeEvents = [this] {
        m_view->sync();
    };
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
}

void TestInstallForm::caption_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("caption");

    QTest::newRow("interactive") << ""
                                 << "Kestrelon setup";
    QTest::newRow("batch") << "/B"
                           << "Kestrelon setup - batch mode";
}

void TestInstallForm::caption()
{
    QFETCH(QString, commandLine);
    QFETCH(QString, caption);
    open(commandLine);
    QCOMPARE(m_view->windowTitle(), caption);
}

void TestInstallForm::environmentLine()
{
    open();
    auto *line = find<QLabel>(QStringLiteral("lblEnvironment"));
    QCOMPARE(line->text(), m_platform->description());
    QVERIFY(!line->text().isEmpty());
    QVERIFY(line->isVisible());
}

void TestInstallForm::firstActivationShowsLogOnlyWithText_data()
{
    QTest::addColumn<bool>("demo");
    QTest::addColumn<bool>("logged");

    // The demo has mailboxes whose inbox no URL form reaches: the probes log them.
    QTest::newRow("demo organization") << true << true;
    QTest::newRow("empty organization") << false << false;
}

void TestInstallForm::firstActivationShowsLogOnlyWithText()
{
    QFETCH(bool, demo);
    QFETCH(bool, logged);

    open(QString(), demo ? lab::demoScenario() : lab::Scenario());
    auto *txtErr = find<QPlainTextEdit>(QStringLiteral("txtErr"));
    auto *clear = find<QPushButton>(QStringLiteral("Command3"));
    QVERIFY(!txtErr->isVisible());
    QVERIFY(!clear->isVisible());

    m_view->activateFirstTime();
    QVERIFY(m_form->blnNotFirstTime);
    QCOMPARE(m_form->MbxInstList.count() + m_form->MbxUninstList.count() > 0, demo);
    QCOMPARE(txtErr->isVisible(), logged);
    QCOMPARE(clear->isVisible(), logged);
    QCOMPARE(txtErr->toPlainText().isEmpty(), !logged);
}

void TestInstallForm::clearErrorLog()
{
    open();
    m_view->activateFirstTime();
    m_form->errorLog.clock = [] {
        return QDateTime(QDate(2026, 3, 14), QTime(9, 26));
    };
    m_form->errorLog.add(QStringLiteral("first"), 1, QStringLiteral("one"));
    m_form->errorLog.add(QStringLiteral("second"), 2, QStringLiteral("two"));
    m_form->showErrorLogIfAny();
    m_view->sync();

    auto *txtErr = find<QPlainTextEdit>(QStringLiteral("txtErr"));
    auto *clear = find<QPushButton>(QStringLiteral("Command3"));
    QVERIFY(txtErr->isVisible());
    QVERIFY(clear->isVisible());
    // Newest first, one empty line after each entry, above what the activation logged.
    const QString stamp = m_form->errorLog.timestamp();
    const QString shown = txtErr->toPlainText();
    QVERIFY2(shown.startsWith(QLatin1Char('[') + stamp + "] second - ERROR: 2 two\n\n" +
                              QLatin1Char('[') + stamp + "] first - ERROR: 1 one\n\n"),
             qPrintable(shown));

    QTest::mouseClick(clear, Qt::LeftButton);
    QVERIFY(!txtErr->isVisible());
    QVERIFY(!clear->isVisible());
    QCOMPARE(txtErr->toPlainText(), QString());
    QCOMPARE(m_form->txtErr.text(), QString());
}

void TestInstallForm::progressBarInvertsCoveredText_data()
{
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("done");
    QTest::addColumn<bool>("textUnderBar");
    QTest::addColumn<bool>("textBesideBar");

    // With few steps the text lands on whole steps: (2 - w) rounds to 2, halved gives 1.
    QTest::newRow("2 steps, 1 done: text starts where the bar ends") << 2 << 1 << false << true;
    QTest::newRow("8 steps, 1 done: bar short of the text") << 8 << 1 << false << true;
    QTest::newRow("8 steps, 5 done: text wholly covered") << 8 << 5 << true << false;
    QTest::newRow("3 steps, all done") << 3 << 3 << true << false;
    QTest::newRow("1000 steps, 500 done: bar ends inside the text") << 1000 << 500 << true << true;
}

void TestInstallForm::progressBarInvertsCoveredText()
{
    QFETCH(int, steps);
    QFETCH(int, done);
    QFETCH(bool, textUnderBar);
    QFETCH(bool, textBesideBar);

    open();
    m_form->globals.ProgressCount = 0;
    m_form->Picture1.setScaleWidth(steps);
    m_form->Picture1.setVisible(true);
    for (int i = 0; i < done; ++i) {
        qint32 increment = 1;
        m_form->UpdateStatus(increment, m_form->Picture1);
    }
    m_view->sync();
    auto *box = find<ProgressBoxWidget>(QStringLiteral("Picture1"));
    QVERIFY(box->isVisible());
    QVERIFY(box->width() > 200);
    const QImage image = box->render().convertToFormat(QImage::Format_RGB32);
    const int barEnd = box->width() * done / steps;

    const QRgb blue = qRgb(0, 0, 255);
    const QRgb white = qRgb(255, 255, 255);
    // Text pixels, edges smoothed: light ones under the blue bar (inverted), dark ones
    // beside it on the white.
    int whiteUnderBar = 0;
    int blueBesideBar = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (x < barEnd - 1 && qRed(pixel) > 128)
                ++whiteUnderBar;
            if (x > barEnd + 1 && qRed(pixel) < 128)
                ++blueBesideBar;
        }
    }
    QCOMPARE(image.pixel(0, 0), blue);
    if (barEnd < image.width())
        QCOMPARE(image.pixel(image.width() - 1, image.height() - 1), white);
    QCOMPARE(whiteUnderBar > 0, textUnderBar);
    QCOMPARE(blueBesideBar > 0, textBesideBar);
}

void TestInstallForm::exitUnloads()
{
    open();
    m_view->activateFirstTime();
    QTest::mouseClick(find<QPushButton>(QStringLiteral("Command2")), Qt::LeftButton);
    QVERIFY(m_form->unloaded);
    QVERIFY(!m_form->globals.DirectoryConnection);
    QVERIFY(!m_form->globals.StoreConnection);
    QVERIFY(!m_view->isVisible());
}

QTEST_MAIN(TestInstallForm)
#include "tst_installform.moc"
