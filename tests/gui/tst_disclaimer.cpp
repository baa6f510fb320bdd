#include "shell/disclaimerform.h"
#include "ui/disclaimerdialog.h"
#include "ui/qtscreen.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

// The disclaimer before the main window, offscreen: "Yes" opens the window under the
// wait cursor, "No" opens nothing.
class TestDisclaimer : public QObject
{
    Q_OBJECT

private slots:
    void answer_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("opened");
        QTest::newRow("Yes") << "acceptButton" << true;
        QTest::newRow("No") << "declineButton" << false;
    }
    void answer()
    {
        QFETCH(QString, button);
        QFETCH(bool, opened);
        QtScreen screen;
        DisclaimerForm form(screen);
        bool openedUnderWaitCursor = false;
        form.openMainWindow = [&] {
            openedUnderWaitCursor = QGuiApplication::overrideCursor() != nullptr;
        };
        DisclaimerDialog dialog(form);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Kestrelon setup"));
        QVERIFY(dialog.findChild<QLabel *>("questionLabel")
                    ->text()
                    .startsWith("Do you accept all of of the terms"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::mouseClick(dialog.findChild<QPushButton *>(button), Qt::LeftButton);

        QCOMPARE(dialog.result(), opened ? QDialog::Accepted : QDialog::Rejected);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(openedUnderWaitCursor, opened);
        QVERIFY(!QGuiApplication::overrideCursor());
    }
};

QTEST_MAIN(TestDisclaimer)
#include "tst_disclaimer.moc"
