#include "support/labfixture.h"
#include "ui/installwindow.h"
#include "ui/progressboxwidget.h"
#include "ui/qtscreen.h"
#include "ui/recipientitemmodel.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

// The recipient picker of the real main window, offscreen, on the demo organization:
// opened from a rule row, filled, sorted by a header click, and a double click picks a
// recipient into that row.
class TestRecipientPickerDialog : public QObject
{
    Q_OBJECT
private slots:
    void pickingIntoARow();
};

namespace {

// Runs answer on the next modal window once it is ready, and closes the window if the
// answer left it open (a failed check), so the test never hangs.
void whenModalReady(std::function<bool(QWidget *)> ready, std::function<void(QWidget *)> answer)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, ready, answer] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && ready(modal)) {
            timer->stop();
            timer->deleteLater();
            answer(modal);
            modal->close();
        }
    });
    timer->start(10);
}

// The first row's text in a column, and the header's arrow: its column and order.
QString firstRowAndArrow(const QTreeView *list, int column)
{
    return list->model()->index(0, column).data().toString() +
           QStringLiteral(" / arrow %1 %2")
               .arg(list->header()->sortIndicatorSection())
               .arg(list->header()->sortIndicatorOrder() == Qt::AscendingOrder ? "up" : "down");
}

} // namespace

void TestRecipientPickerDialog::pickingIntoARow()
{
    LabFixture<QtScreen> lab(lab::demoScenario());
    InstallForm &form = lab.form;
    form.onLoad();
    InstallWindow view(form);
    view.attachScreen(lab.screen);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    // Every kind has an icon of its own, drawn from the program's SVGs.
    QList<QImage> icons;
    for (int kind = 0; kind <= int(RecipientKind::PublicFolder); ++kind) {
        icons << RecipientItemModel::kindIcon(RecipientKind(kind)).pixmap(16).toImage();
        QVERIFY(!icons.last().isNull() && icons.indexOf(icons.last()) == kind);
    }

    QStringList seen;
    // Filled and sorted, the list has its first row selected.
    const auto filled = [](QWidget *dialog) {
        return dialog->findChild<QTreeView *>(QStringLiteral("recipientView"))
            ->selectionModel()
            ->isRowSelected(0, {});
    };
    whenModalReady(filled, [&](QWidget *dialog) {
        auto *list = dialog->findChild<QTreeView *>(QStringLiteral("recipientView"));
        QHeaderView *header = list->header();
        // The demo's 25 mail recipients besides its system mailboxes.
        QCOMPARE(list->model()->rowCount(), 25);
        seen << dialog->windowTitle() << firstRowAndArrow(list, 0);
        for (int column = 0; column < 3; ++column)
            seen << list->model()->headerData(column, Qt::Horizontal).toString() +
                        (header->isSectionHidden(column) ? " hidden" : "");
        QVERIFY(
            !dialog->findChild<ProgressBoxWidget *>(QStringLiteral("progressBox"))->isVisible());
        const QFontMetrics metrics(list->font());
        QVERIFY(header->sectionSize(0) > metrics.horizontalAdvance("Public Announcements") + 16);
        QVERIFY(header->sectionSize(2) >
                metrics.horizontalAdvance("yvonne.supplier@supplies.example.net"));

        for (int click = 0; click < 2; ++click) {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(2) + 10, 5));
            seen << firstRowAndArrow(list, 2);
        }

        const QModelIndex xavier =
            list->model()
                ->match(list->model()->index(0, 0), Qt::DisplayRole, "Xavier Partner")
                .value(0);
        list->scrollTo(xavier);
        // A double click starts with the press that selects the row.
        const QPoint centre = list->visualRect(xavier).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
    });
    form.rule.onBrowseRecipientClicked(1);
    QCOMPARE(seen, (QStringList{"Select Forwarding Recipient", "Administrator / arrow 0 up", "Name",
                                "Distinguished Name hidden", "E-mail address",
                                "aarcher@example.com / arrow 2 up",
                                "zeno@consulting.example.org / arrow 2 down"}));
    QCOMPARE(form.rule.rows[1].targetEdit.text(),
             QStringLiteral("Xavier Partner <xavier@partner.example.org>"));
    view.sync();
    QCOMPARE(view.findChild<QLineEdit *>(QStringLiteral("targetEdit1"))->text(),
             form.rule.rows[1].targetEdit.text());
}

QTEST_MAIN(TestRecipientPickerDialog)
#include "tst_recipientpickerdialog.moc"
