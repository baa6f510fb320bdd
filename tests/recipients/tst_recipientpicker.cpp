#include "recipients/recipientpickerform.h"
#include "support/labfixture.h"

#include <QtTest>

// The recipient picker's model on small labs: what the directory query lists and how,
// the sort sequence of the header clicks, and what OK and Cancel write.
class TestRecipientPicker : public QObject
{
    Q_OBJECT
private slots:
    void fill_data();
    void fill();
    void sortSequence_data();
    void sortSequence();
    void choosing_data();
    void choosing();
};

namespace {

// A directory object from "cn|mail|category/class|attr=value,...": a mail of "-" is absent,
// "a;b" has two values.
lab::DirectoryObject object(const QString &text)
{
    const QStringList parts = text.split(u'|');
    lab::DirectoryObject object;
    object.dn =
        QStringLiteral("CN=%1,CN=Users,DC=corp,DC=example,DC=local").arg(parts[0].trimmed());
    object.attributes = {{"cn", parts[0]}, {"name", parts[0]}, {"distinguishedName", object.dn}};
    if (parts[1] != u'-') {
        for (const QString &mail : parts[1].split(u';'))
            object.attributes.append({"mail", mail});
    }
    object.attributes.append({"objectCategory", parts[2].section(u'/', 0, 0)});
    if (parts[2].contains(u'/'))
        object.attributes.append({"objectClass", parts[2].section(u'/', 1)});
    for (const QString &pair : parts.value(3).split(u',', Qt::SkipEmptyParts))
        object.attributes.append({pair.section(u'=', 0, 0), pair.section(u'=', 1)});
    return object;
}

const QString User = QStringLiteral("person/user|sAMAccountType=805306368,mAPIRecipient=TRUE");

lab::Scenario scenarioOf(const QStringList &objects)
{
    lab::Scenario scenario;
    for (const QString &text : objects)
        scenario.directory.append(object(text));
    return scenario;
}

// The model on a lab of the given objects, with the shared state start-up would set.
struct PickerLab : EnvironmentLab<>
{
    explicit PickerLab(const QStringList &objects) : EnvironmentLab(scenarioOf(objects))
    {
        environment.globalCatalogPath = QStringLiteral("GC://dc01.corp.example.local");
        auto directory = platform->createDirectoryConnection();
        directory->open(QStringLiteral("Active Directory Provider"), {}, {});
        environment.useConnections(std::move(directory), nullptr);
        rule.rows[2].targetEdit.setText(QStringLiteral("before"));
    }

    RuleEditor rule{screen};
};

QStringList listed(const RecipientViewModel &view)
{
    QStringList rows;
    for (int i = 0; i < view.count(); ++i) {
        const RecipientEntry &e = view.row(i);
        rows << QStringList{e.name, e.address, recipientKindKey(e.kind), e.tag}.join(u'|');
    }
    return rows;
}

} // namespace

void TestRecipientPicker::fill_data()
{
    QTest::addColumn<QStringList>("objects");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("records"); // what the query returns
    QTest::addColumn<bool>("queryFails");
    QTest::newRow("kinds")
        << QStringList{"Ann|ann@x.test|" + User + ",userAccountControl=512",
                       "Bea|bea@x.test|" + User + ",userAccountControl=514",
                       "Cal|cal@x.test|" + User,
                       "Dora|dora@x.test|group|sAMAccountType=268435456",
                       "Ed|ed@x.test|group|sAMAccountType=268435457",
                       "Flo|flo@x.test|group|sAMAccountType=536870912,mAPIRecipient=TRUE",
                       "Gus|gus@x.test|person/contact|mAPIRecipient=TRUE",
                       "Hal|hal@x.test|publicFolder"}
        << QStringList{"Ann|ann@x.test|user|",    "Bea|bea@x.test|userdisabled|",
                       "Cal|cal@x.test|user|",    "Dora|dora@x.test|group|",
                       "Ed|ed@x.test|group|",     "Flo|flo@x.test|contact|",
                       "Gus|gus@x.test|contact|", "Hal|hal@x.test|pf|pf"}
        << 8 << false;
    QTest::newRow("system mailboxes and other objects never listed")
        << QStringList{"SystemMailbox{1}|sm@x.test|" + User + ",mailNickName=SystemMailbox{1}",
                       "Sys|sys@x.test|" + User + ",mailNickName=systemmailbox{2}",
                       "Computer|pc@x.test|computer",
                       "Ivy|ivy@x.test|" + User + ",mailNickName=ivy"}
        << QStringList{"Ivy|ivy@x.test|user|"} << 3 << false;
    QTest::newRow("second address left out, ignoring case")
        << QStringList{"Joe|joe@x.test|" + User, "Kim|JOE@x.test|" + User}
        << QStringList{"Joe|joe@x.test|user|"} << 2 << false;
    QTest::newRow("several or no addresses")
        << QStringList{"Lou|lou@x.test;lou2@x.test|" + User, "Max|-|" + User, "Ned||" + User,
                       "Ola||" + User}
        << QStringList{"Ned||user|", "Ola||user|"} << 3 << false;
    QTest::newRow("no recipients") << QStringList{"Max|-|" + User} << QStringList{} << 0 << false;
    QTest::newRow("failed query") << QStringList{"Ann|ann@x.test|" + User} << QStringList{} << 0
                                  << true;
}

void TestRecipientPicker::fill()
{
    QFETCH(QStringList, objects);
    QFETCH(QStringList, rows);
    QFETCH(int, records);
    QFETCH(bool, queryFails);
    PickerLab lab(objects);
    if (queryFails)
        lab.environment.globalCatalogPath = QStringLiteral("GC://unknown.example.local");
    // A repaint lock of another window refuses the fill's own lock, and stays.
    const QString lockedBefore = queryFails ? QStringLiteral("InstallWindow") : QString();
    lab.screen.lockedWindow = lockedBefore;
    RecipientPickerForm picker(lab.environment, lab.screen, lab.rule, 2);
    picker.onLoad();
    picker.onActivate();
    QCOMPARE(listed(picker.recipientView), rows);
    QCOMPARE(picker.recipientView.selectedPosition(), rows.isEmpty() ? -1 : 0);

    // One progress step and one turn of the event loop per record, one more for the sort;
    // then the box is hidden, the columns sized, lock and wait cursor gone.
    QCOMPARE(picker.progressCount, records);
    QCOMPARE(lab.screen.eventsLetThrough, records + 1);
    QVERIFY(!picker.progressBox.visible());
    QList<int> widths;
    for (const RecipientViewModel::ColumnHeader &column : picker.recipientView.columns())
        widths << column.width;
    QCOMPARE(widths,
             (QList<int>{RecipientViewModel::FitToContent, 0, RecipientViewModel::FitToContent}));
    QCOMPARE(lab.screen.lockedWindow, lockedBefore);
    QVERIFY(!lab.screen.waitCursor);
}

void TestRecipientPicker::sortSequence_data()
{
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<QString>("shown");
    // Names and addresses sort differently, and ignoring case: Ann <c@>, bob <a@>, Cy <b@>.
    QTest::newRow("opened") << QList<int>{} << "Ann bob Cy by 0/0";
    QTest::newRow("e-mail once") << QList<int>{2} << "bob Cy Ann by 2/0";
    QTest::newRow("e-mail twice") << QList<int>{2, 2} << "Ann Cy bob by 2/1";
    QTest::newRow("name after e-mail") << QList<int>{2, 2, 0} << "Ann bob Cy by 0/0";
    QTest::newRow("name again") << QList<int>{0} << "Cy bob Ann by 0/1";
    QTest::newRow("hidden column") << QList<int>{2, 1} << "bob Cy Ann by 2/0";
    QTest::newRow("hidden column, then e-mail") << QList<int>{2, 1, 2} << "Ann Cy bob by 2/1";
}

void TestRecipientPicker::sortSequence()
{
    QFETCH(QList<int>, clicks);
    QFETCH(QString, shown);
    PickerLab lab({"Ann|c@x.test|" + User, "bob|a@x.test|" + User, "Cy|b@x.test|" + User});
    RecipientPickerForm picker(lab.environment, lab.screen, lab.rule, 2);
    picker.onLoad();
    picker.onActivate();
    RecipientViewModel &view = picker.recipientView;
    for (int column : clicks)
        picker.onRecipientColumnClicked(column);
    QStringList names;
    for (int i = 0; i < view.count(); ++i)
        names << view.row(i).name;
    QCOMPARE(names.join(u' ') +
                 QStringLiteral(" by %1/%2").arg(view.sortKey()).arg(view.sortOrder()),
             shown);
    // The first row selected on opening stays selected, and in view, wherever it moves.
    QCOMPARE(view.row(view.selectedPosition()).name, QStringLiteral("Ann"));
    QCOMPARE(view.visibleRequestPosition(), view.selectedPosition());
}

void TestRecipientPicker::choosing_data()
{
    // The selected name, the button, and the target afterwards.
    QTest::addColumn<QString>("choice");
    QTest::newRow("OK") << "Ann|ok|Ann <ann@x.test>";
    QTest::newRow("double click") << "Ann|double|Ann <ann@x.test>";
    QTest::newRow("spaces around") << " Pat |ok|Pat <pat@x.test>";
    QTest::newRow("no address") << "Ned|ok|Ned";
    QTest::newRow("blank name") << "  |ok|before";
    QTest::newRow("nothing selected") << "|ok|before";
    QTest::newRow("Cancel") << "Ann|cancel|before";
}

void TestRecipientPicker::choosing()
{
    QFETCH(QString, choice);
    const QStringList parts = choice.split(u'|');
    PickerLab lab({"Ann|ann@x.test|" + User, " Pat | pat@x.test |" + User, "Ned||" + User,
                   "  |blank@x.test|" + User});
    RecipientPickerForm picker(lab.environment, lab.screen, lab.rule, 2);
    picker.onLoad();
    picker.onActivate();
    int position = -1;
    for (int i = 0; i < picker.recipientView.count(); ++i) {
        if (picker.recipientView.row(i).name == parts[0])
            position = i;
    }
    QCOMPARE(position < 0, parts[0].isEmpty());
    picker.recipientView.select(position);
    if (parts[1] == "ok")
        picker.onOkClicked();
    else if (parts[1] == "double")
        picker.onRecipientDoubleClicked();
    else
        picker.onCancelClicked();
    QVERIFY(picker.closed);
    QCOMPARE(lab.rule.rows[2].targetEdit.text(), parts[2]);
}

QTEST_GUILESS_MAIN(TestRecipientPicker)
#include "tst_recipientpicker.moc"
