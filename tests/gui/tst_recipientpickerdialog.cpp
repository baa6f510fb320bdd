#include "guisupport.h"
#include "support/datarow.h"
#include "ui/progressboxwidget.h"
#include "ui/recipientitemmodel.h"
#include "ui/recipientpickerdialog.h"

#include <QHeaderView>
#include <QLineEdit>
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
    void waitCursorUntilShown();
    void sortOrder_data();
    void sortOrder();
};

namespace {

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
    guitest::MainWindow window(lab::demoScenario());
    InstallForm &form = window.form;
    window.view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window.view));

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
    guitest::whenModal(filled, [&](QWidget *dialog) {
        auto *list = dialog->findChild<QTreeView *>(QStringLiteral("recipientView"));
        QHeaderView *header = list->header();
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
    window.view.sync();
    QCOMPARE(window.find<QLineEdit>(QStringLiteral("targetEdit1"))->text(),
             form.rule.rows[1].targetEdit.text());
}

// The wait cursor is up while the rows are sorted and the columns fitted to them, and
// gone once the filled list shows.
void TestRecipientPickerDialog::waitCursorUntilShown()
{
    guitest::MainWindow window(lab::demoScenario());
    RecipientPickerForm picker(window.form.environment, window.form.screen(), window.form.rule, 0);
    RecipientPickerDialog dialog(picker, &window.screen, &window.view);
    auto *list = guitest::child<QTreeView>(dialog, QStringLiteral("recipientView"));
    QStringList withoutCursor;
    int steps = 0;
    const auto check = [&](const QString &step) {
        if (list->model()->rowCount() == 0)
            return;
        ++steps;
        if (!QGuiApplication::overrideCursor() ||
            QGuiApplication::overrideCursor()->shape() != Qt::WaitCursor)
            withoutCursor << step;
    };
    connect(list->header(), &QHeaderView::sectionResized, &dialog, [&] { check("fit"); });
    connect(list->header(), &QHeaderView::sortIndicatorChanged, &dialog, [&] { check("sort"); });
    connect(list->model(), &QAbstractItemModel::modelReset, &dialog, [&] { check("rows"); });
    dialog.show();
    QTRY_VERIFY(list->selectionModel()->isRowSelected(0, {}));
    QVERIFY(steps >= 3);
    QCOMPARE(withoutCursor, QStringList());
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestRecipientPickerDialog::sortOrder_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("order");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("sorted");
    const QStringList names{"Zoë", "Émile", "Eve", "adam"};
    row("accents with their letter", "C", 0, 0, names, QStringList{"adam", "Émile", "Eve", "Zoë"});
    row("descending", "C", 0, 1, names, QStringList{"Zoë", "Eve", "Émile", "adam"});
    row("case ignored, ties in directory order", "C", 0, 0,
        QStringList{"bob", "Ärger", "Bob", "alice"}, QStringList{"alice", "Ärger", "bob", "Bob"});
    row("addresses", "C", 2, 0, QStringList{"z", "ö", "o", "p"}, QStringList{"o", "ö", "p", "z"});
    // Each locale its own order: Swedish puts Ö after Z, German beside O.
    const QStringList swedes{"Örjan", "Zack", "Olof"};
    row("German", "de_DE", 0, 0, swedes, QStringList{"Olof", "Örjan", "Zack"});
    row("Swedish", "sv_SE", 0, 0, swedes, QStringList{"Olof", "Zack", "Örjan"});
}

// Names and addresses sort as a reader of the user's locale expects them, not by
// character codes.
void TestRecipientPickerDialog::sortOrder()
{
    QFETCH(QString, locale);
    QFETCH(int, column);
    QFETCH(int, order);
    QFETCH(QStringList, names);
    QFETCH(QStringList, sorted);
    const QLocale before;
    QLocale::setDefault(QLocale(locale));
    RecipientViewModel model;
    for (int i = 0; i < names.size(); ++i) {
        const QString local = column == 2 ? names[i] : "r" + QString::number(i);
        QVERIFY(model.addRow({names[i], QString(), local + "@example.com", {}, {}}));
    }
    model.sortBy(column, order);
    QLocale::setDefault(before);
    QStringList shown;
    for (int row = 0; row < model.count(); ++row)
        shown << model.row(row).name;
    QCOMPARE(shown, sorted);
}

QTEST_MAIN(TestRecipientPickerDialog)
#include "tst_recipientpickerdialog.moc"
