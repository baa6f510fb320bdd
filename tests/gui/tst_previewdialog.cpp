#include "guisupport.h"
#include "support/labfixture.h"
#include "ui/installwindow.h"
#include "ui/qtscreen.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

// "Preview…" beside CHANGE shows what CHANGE would do, read-only, and changes nothing.
class TestPreviewDialog : public QObject
{
    Q_OBJECT

private slots:
    void previewShowsThePlan()
    {
        QVERIFY(QDir::setCurrent(qEnvironmentVariable("KESTRELON_TEST_DATA") + "/../../demo"));
        LabFixture<QtScreen> lab(lab::demoScenario());
        lab.form.onLoad();
        InstallWindow view(lab.form);
        view.attachScreen(lab.screen);
        view.show();
        view.activateFirstTime();
        InstallForm &form = lab.form;
        form.sink.installSinkCheck.setValue(0);
        const int carol =
            form.lists.unboundMailboxList.entries().indexOf(QRegularExpression("^Carol Chen .*"));
        QVERIFY(carol >= 0);
        form.lists.unboundMailboxList.setSelected(carol, true);
        form.lists.registerMailboxesCheck.setValue(1);
        view.sync();
        const QByteArray before = readAll(lab.path()) + readAll(lab.path() + "-wal");

        QString shown;
        bool readOnly = false;
        guitest::whenModal([&](QWidget *dialog) {
            auto *plan = guitest::child<QPlainTextEdit>(*dialog, "planEdit");
            shown = plan->toPlainText();
            readOnly = plan->isReadOnly();
        });
        QPushButton *button = guitest::child<QPushButton>(view, "previewButton");
        QCOMPARE(button->text(), QStringLiteral("Pre&view…")); // its caption, with Alt+V
        button->click();
        QVERIFY2(shown.contains("register   Carol Chen"), qPrintable(shown));
        QVERIFY(shown.contains("Planned: 1 register"));
        QVERIFY(readOnly);
        QCOMPARE(readAll(lab.path()) + readAll(lab.path() + "-wal"), before);
        QVERIFY(form.lists.unboundMailboxList.entry(carol).startsWith("Carol Chen"));
    }
};

QTEST_MAIN(TestPreviewDialog)
#include "tst_previewdialog.moc"
