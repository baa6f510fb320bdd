#include "mailboxes/mailboxlab.h"
#include "ui/disclaimerdialog.h"
#include "ui/installwindow.h"
#include "ui/qtscreen.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace mailboxtest;

// The disclaimer before the main window, offscreen: "Yes" opens the window under the
// wait cursor, "No" opens nothing; and the window's first activation loads only once.
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
        MailboxLab<QtScreen> lab(mixedScenario());
        std::unique_ptr<InstallWindow> view;
        bool waitingWhileOpening = false;
        DisclaimerForm form(lab.screen);
        form.openMainWindow = [&] {
            waitingWhileOpening = QGuiApplication::overrideCursor() != nullptr;
            view = std::make_unique<InstallWindow>(lab.form);
            view->show();
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
        QCOMPARE(view && view->isVisible(), opened);
        QCOMPARE(waitingWhileOpening, opened);
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
        if (!opened)
            return;

        // Activations after the first (a dialog closing, switching windows) load nothing.
        view->attachScreen(lab.screen);
        view->activateFirstTime();
        const qsizetype queries = lab.directory().queries.size();
        QVERIFY(queries > 0);
        view->activateFirstTime();
        lab.form.onActivate();
        QCOMPARE(lab.directory().queries.size(), queries);
    }
};

QTEST_MAIN(TestDisclaimer)
#include "tst_disclaimer.moc"
