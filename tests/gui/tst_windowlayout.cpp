#include "condition/conditiontestform.h"
#include "guisupport.h"
#include "shell/disclaimerform.h"
#include "ui/conditiontestdialog.h"
#include "ui/disclaimerdialog.h"
#include "ui/recipientpickerdialog.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollArea>
#include <QtTest>

// The windows on a 1280x1024 screen at twice the scale, 640x512 device-independent
// pixels: what fits and scrolls, what stays in place between install states, and the
// keyboard (access keys, visible focus, Tab past locked boxes).
class TestWindowLayout : public QObject
{
    Q_OBJECT

    // The main window on an empty lab, its model loaded, on the screen and active.
    struct Window : guitest::MainWindow
    {
        Window()
        {
            form.firstActivationDone = true;
            form.rule.editorReady = true;
        }
        bool showAs(InstallState state)
        {
            form.sink.showInstallState(state);
            view.sync();
            view.show();
            view.activateWindow();
            return QTest::qWaitForWindowActive(&view);
        }
        // Every named control the window shows, and where it stands in the window.
        QMap<QString, QRect> places() const
        {
            QCoreApplication::processEvents();
            QMap<QString, QRect> shown;
            for (const QWidget *widget : view.findChildren<QWidget *>())
                if (widget->isVisible() && !widget->objectName().isEmpty() &&
                    !widget->objectName().startsWith(QLatin1String("qt_")))
                    shown.insert(widget->objectName(),
                                 QRect(widget->mapTo(&view, QPoint()), widget->size()));
            return shown;
        }
        // Tab from the focus on until the widget has it; false when it never does.
        bool tabTo(QWidget *widget) const
        {
            for (int press = 0; press < 80 && QApplication::focusWidget() != widget; ++press)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            return QApplication::focusWidget() == widget;
        }
    };

private slots:
    void initTestCase();
    void fitsTheScreen();
    void statesKeepPlaces();
    void accessKeys_data();
    void accessKeys();
    void focusShows_data();
    void focusShows();
};

void TestWindowLayout::initTestCase()
{
    QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry().size(), QSize(640, 512));
}

// The window opens inside the screen; CHANGE, Exit and the mailbox lists scroll into view
// when the focus reaches them, by Tab or by their labels' access keys.
void TestWindowLayout::fitsTheScreen()
{
    Window w;
    QVERIFY(w.showAs(InstallState::Installable));
    QVERIFY(w.view.screen()->availableGeometry().contains(w.view.frameGeometry()));
    const auto *area = w.find<QScrollArea>(QStringLiteral("windowScrollArea"));
    const QWidget *port = area->viewport();
    for (const auto &[name, key] : {std::pair{"unboundMailboxList", Qt::Key_G},
                                    {"identityEdit", Qt::Key_I},
                                    {"applyButton", Qt::Key_unknown},
                                    {"boundMailboxList", Qt::Key_X},
                                    {"exitButton", Qt::Key_unknown}}) {
        auto *widget = w.find<QWidget>(QLatin1String(name));
        if (key == Qt::Key_unknown)
            widget->setFocus(Qt::TabFocusReason);
        else
            QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), widget);
        const QRect place(widget->mapTo(port, QPoint()), widget->size());
        QVERIFY2(port->rect().contains(place), name);
    }
}

// Hiding the password box in the installed state moves nothing else.
void TestWindowLayout::statesKeepPlaces()
{
    Window w;
    QVERIFY(w.showAs(InstallState::Installable));
    const QMap<QString, QRect> installable = w.places();
    QVERIFY(w.showAs(InstallState::Installed));
    const QMap<QString, QRect> installed = w.places();
    QVERIFY(installed.contains(QStringLiteral("uninstallSinkCheck")));
    QVERIFY(!installed.contains(QStringLiteral("passwordEdit")));
    for (auto it = installed.cbegin(); it != installed.cend(); ++it)
        QVERIFY2(installable.value(it.key()) == it.value(), qPrintable(it.key()));

    // Every target is locked then: Tab goes round the window without stopping in one.
    w.find<QWidget>(QStringLiteral("applyButton"))->setFocus();
    QSet<QString> reached;
    for (int press = 0; press < 40; ++press) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached.insert(QApplication::focusWidget()->objectName());
    }
    QVERIFY(reached.contains(QStringLiteral("exitButton")));
    for (const char *target : {"targetEdit0", "targetEdit1", "targetEdit2", "targetEdit3"})
        QVERIFY2(!reached.contains(QLatin1String(target)), target);
}

void TestWindowLayout::accessKeys_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("labelledFields");
    QTest::newRow("main window") << "main" << 10;
    QTest::newRow("condition test") << "test" << 2;
    QTest::newRow("disclaimer") << "disclaimer" << 0;
    QTest::newRow("recipient picker") << "picker" << 0;
}

// Every check box, every labelled field and every button whose caption is its own has an
// access key, and no key is used twice in one window.
void TestWindowLayout::accessKeys()
{
    QFETCH(QString, window);
    QFETCH(int, labelledFields);
    Window w;
    ConditionTestForm testForm;
    DisclaimerForm disclaimerForm(w.screen);
    RecipientPickerForm pickerForm(w.form.environment, w.form.screen(), w.form.rule, 0);
    std::unique_ptr<QWidget> dialog;
    if (window == QLatin1String("test"))
        dialog = std::make_unique<ConditionTestDialog>(testForm);
    else if (window == QLatin1String("disclaimer"))
        dialog = std::make_unique<DisclaimerDialog>(disclaimerForm);
    else if (window == QLatin1String("picker"))
        dialog = std::make_unique<RecipientPickerDialog>(pickerForm, nullptr);
    else
        w.form.sink.showInstallState(InstallState::Installable);
    w.view.sync();
    const QWidget &shown = dialog ? *dialog : static_cast<QWidget &>(w.view);

    QStringList captions;
    for (const QAbstractButton *button : shown.findChildren<QAbstractButton *>())
        captions << button->text().remove(QLatin1Char('&'));
    QMap<QString, QString> owners;
    int fields = 0;
    for (QWidget *widget : shown.findChildren<QWidget *>()) {
        QString text;
        bool needsKey = false;
        if (const auto *button = qobject_cast<QAbstractButton *>(widget)) {
            text = button->text();
            const QString caption = QString(text).remove(QLatin1Char('&'));
            needsKey = captions.count(caption) == 1 && caption.contains(QRegularExpression("\\w"));
        } else if (const auto *label = qobject_cast<QLabel *>(widget); label && label->buddy()) {
            text = label->text();
            needsKey = true;
            ++fields;
        }
        const QString key = QKeySequence::mnemonic(text).toString();
        QVERIFY2(!key.isEmpty() || !needsKey, qPrintable(widget->objectName()));
        if (key.isEmpty())
            continue;
        QVERIFY2(!owners.contains(key),
                 qPrintable(key + ": " + owners.value(key) + ", " + widget->objectName()));
        owners.insert(key, widget->objectName());
    }
    QCOMPARE(fields, labelledFields);
}

void TestWindowLayout::focusShows_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("action list") << "actionList0";
    QTest::newRow("error log") << "errorLogEdit";
}

// A control reached by Tab looks different from the same control without the focus.
void TestWindowLayout::focusShows()
{
    QFETCH(QString, name);
    Window w;
    w.form.errorLogEdit.setText(QStringLiteral("[12/6/26 6:00:00 AM] x - ERROR: 1 y\r\n\r\n"));
    w.form.errorLogEdit.setVisible(true);
    QVERIFY(w.showAs(InstallState::Installable));
    auto *widget = w.find<QWidget>(name);
    w.find<QWidget>(QStringLiteral("identityEdit"))->setFocus();
    const QImage without = widget->grab().toImage();
    QVERIFY(w.tabTo(widget));
    QVERIFY(widget->grab().toImage() != without);
}

// The small screen and the scale are set before the toolkit starts.
int main(int argc, char **argv)
{
    QTemporaryDir dir;
    QFile config(dir.filePath(QStringLiteral("screen.json")));
    if (!config.open(QIODevice::WriteOnly) ||
        config.write(R"({"screens": [{"name": "small", "x": 0, "y": 0, "width": 1280,
                         "height": 1024, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})") < 0)
        qFatal("cannot write %s", qPrintable(config.fileName()));
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestWindowLayout test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windowlayout.moc"
