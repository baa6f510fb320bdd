#include "binding/applyreport.h"
#include "binding/registrationitems.h"
#include "mailboxes/mailboxlab.h"
#include "platform/lab/labreport.h"
#include "platform/lab/standinlibrary.h"
#include "shell/consoleprogress.h"

#include <QJsonArray>
#include <QTemporaryFile>
#include <QTest>

using namespace mailboxtest;

namespace {

// System mailboxes as "S" and their GUID's first digit, as listAliases writes them.
QString shortName(const QString &alias)
{
    return alias.startsWith(QLatin1String("SystemMailbox")) ? "S" + alias.mid(14, 1) : alias;
}

// Every binding of the lab as name -> priority, and the installed applications.
QMap<QString, QString> serverState(const QString &labFile)
{
    QMap<QString, QString> state;
    const QJsonObject report = lab::labReport(labFile);
    for (const QJsonValue box : report["mailboxes"].toArray()) {
        for (const char *folder : {"inboxItems", "globalEventsItems"}) {
            for (const QJsonValue item : box[folder].toArray()) {
                for (const QJsonValue p : item["properties"].toArray()) {
                    if (p["name"].toString().endsWith("/priority"))
                        state[shortName(box["names"][0].toString())] = p["value"].toString();
                }
            }
        }
    }
    for (const QJsonValue app : report["applications"].toArray())
        state["app:" + app["name"].toString()] = "installed";
    return state;
}

// What changed: "+name:priority" added, "-name" removed, "~name:priority" rewritten.
QStringList changes(const QMap<QString, QString> &before, const QMap<QString, QString> &after)
{
    QStringList out;
    for (auto it = after.begin(); it != after.end(); ++it) {
        if (!before.contains(it.key()))
            out << "+" + it.key() + ":" + it.value();
        else if (before[it.key()] != it.value())
            out << "~" + it.key() + ":" + it.value();
    }
    for (auto it = before.begin(); it != before.end(); ++it) {
        if (!after.contains(it.key()))
            out << "-" + it.key();
    }
    out.sort();
    return out;
}

// What the plan says will change, in the same notation.
QStringList plannedChanges(const ApplyJournal &plan)
{
    QStringList out;
    for (const ApplyJournal::SinkStep &step : plan.sinkSteps)
        out << (step.install ? "+app:Kestrelon:installed" : "-app:Kestrelon");
    for (const ApplyJournal::Entry &entry : plan.entries) {
        if (!entry.succeeded())
            continue;
        const QString name = shortName(entry.text.section(" / ", -1).trimmed());
        if (entry.action == ApplyJournal::Action::Unregister)
            out << "-" + name;
        else
            out << (entry.action == ApplyJournal::Action::Register ? "+" : "~") + name + ":" +
                       plan.priority;
    }
    out.sort();
    return out;
}

QByteArray labBytes(const QString &labFile)
{
    return readAll(labFile) + readAll(labFile + "-wal");
}

} // namespace

// The preview plans what CHANGE or a batch run will do without touching the server; the
// apply that follows it must do exactly that.
class TestPreview : public QObject
{
    Q_OBJECT

private slots:
    void previewThenApply_data()
    {
        QTest::addColumn<bool>("batch");
        QTest::addColumn<QString>("chosen"); // "list:alias" selected; the lists' boxes ticked
        QTest::addColumn<bool>("install");
        QTest::addColumn<QString>("gone"); // its binding is deleted after the lists were filled
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("listing"); // a line the preview prints

        QTest::newRow("batch run rewrites every binding")
            << true << "" << false << "" << QStringList{"~S0:42", "~hhuber:42", "~jdoe:42"}
            << "rewrite    Hans Huber";
        QTest::newRow("bind and unbind chosen entries, one unreachable")
            << false << "us:S7 um:cchen um:iivanov bm:jdoe" << false << ""
            << QStringList{"+S7:42", "+cchen:42", "-jdoe"}
            << "Ivan Ivanov                       register: -2147217895 " + HttpMailboxRoot +
                   "/iivanov";
        QTest::newRow("install the sink, unbind a store")
            << false << "bs:S0" << true << "" << QStringList{"+app:Kestrelon:installed", "-S0"}
            << "install    Kestrelon as CORP\\sink, rule: X-Spam-Flag: YES -> move to folder "
               "Spam, priority 42";
        QTest::newRow("unbind where another hand unbound first")
            << false << "bm:jdoe bm:hhuber" << false << "jdoe" << QStringList{"-hhuber"}
            << "fails      Jane Doe    unregister: ";
    }
    void previewThenApply()
    {
        QFETCH(bool, batch);
        QFETCH(QString, chosen);
        QFETCH(bool, install);
        QFETCH(QString, gone);
        QFETCH(QStringList, expected);
        QFETCH(QString, listing);
        lab::Scenario scenario = mixedScenario();
        lab::addMailboxUser(scenario, person("Ivan Ivanov", "iivanov", "", "unreachable"));
        WindowLab<> lab(scenario);
        LibraryFolder library(QByteArray(lab::StandInMarker) + "\nKestrelon.KestrelonCls\n");
        InstallForm &form = lab.form;
        form.environment.batchMode = batch;
        form.refreshInstallState();
        form.rule.priorityEdit.setText("42");
        form.sink.installSinkCheck.setValue(install ? 1 : 0);
        form.sink.identityEdit.setText("CORP\\sink");
        form.sink.passwordEdit.setText("pw");
        const QList<QPair<QString, QPair<ListBoxModel *, CheckBoxModel *>>> lists{
            {"us", {&form.lists.unboundStoreList, &form.lists.registerStoresCheck}},
            {"bs", {&form.lists.boundStoreList, &form.lists.unregisterStoresCheck}},
            {"um", {&form.lists.unboundMailboxList, &form.lists.registerMailboxesCheck}},
            {"bm", {&form.lists.boundMailboxList, &form.lists.unregisterMailboxesCheck}}};
        for (const auto &[key, controls] : lists) {
            ListBoxModel &list = *controls.first;
            for (int i = 0; i < list.count(); ++i) {
                const QString name = shortName(list.entry(i).section(" / ", -1));
                list.setSelected(i, (batch && key.startsWith('b')) ||
                                        chosen.split(' ').contains(key + ":" + name));
            }
            controls.second->setValue(list.selectedCount() > 0 ? 1 : 0);
        }
        if (!gone.isEmpty())
            QVERIFY(RegistrationItems::deleteRegistrationItem(FileMailboxRoot + "/" + gone, "inbox",
                                                              "Kestrelon.reg", false, *lab.platform,
                                                              form.errorLog));
        const QMap<QString, QString> before = serverState(lab.path());
        const QByteArray bytesBefore = labBytes(lab.path());
        const QString logBefore = form.errorLogEdit.text();

        ApplyJournal plan;
        form.bindings.previewApply(plan);
        QCOMPARE(labBytes(lab.path()), bytesBefore);
        QCOMPARE(form.errorLogEdit.text(), logBefore);
        QCOMPARE(plannedChanges(plan), expected);
        QVERIFY2(ApplyReport::planText(plan).contains(listing),
                 qPrintable(ApplyReport::planText(plan)));

        form.bindings.onApplyClicked();
        QCOMPARE(changes(before, serverState(lab.path())), expected);
    }

    // On a terminal the batch run shows how far it is; elsewhere it adds nothing.
    void progressLine_data()
    {
        QTest::addColumn<bool>("terminal");
        QTest::addColumn<QByteArray>("shown");
        QTest::newRow("terminal") << true << QByteArray("\rBinding: 3 of 3 mailboxes");
        QTest::newRow("log file") << false << QByteArray();
    }
    void progressLine()
    {
        QFETCH(bool, terminal);
        QFETCH(QByteArray, shown);
        QTemporaryFile file;
        QVERIFY(file.open());
        std::FILE *stream = std::fopen(qPrintable(file.fileName()), "w");
        ConsoleProgress progress(stream, terminal);
        for (int done = 1; done <= 3; ++done)
            progress.update(done, 3);
        progress.finish();
        std::fclose(stream);
        const QByteArray text = readAll(file.fileName());
        if (shown.isEmpty())
            QCOMPARE(text, QByteArray());
        else
            QVERIFY2(text.contains(shown) && text.endsWith('\n'), text.constData());
    }
};

QTEST_GUILESS_MAIN(TestPreview)
#include "tst_preview.moc"
