// Times one walk of the mailbox directory on generated labs of growing size, first on the
// window's model alone, then with the main window alive offscreen (best of three runs), and the
// recipient picker's fill on the same labs, where every generated user is a recipient; with
// --apply, three applies instead: bind every unbound mailbox, the batch rewrite of every
// binding, unbind them all; with --preview, every mailbox bound first, the preview of the
// batch run and the batch run without and with its JSON report. Figures go into the README;
// run it by hand: build/bin/kestrelon-bench [--picker | --apply | --preview] [sizes...]

#include "binding/applyreport.h"
#include "mailboxes/mailboxqueries.h"
#include "mailboxes/storefolders.h"
#include "platform/lab/labfile.h"
#include "platform/lab/labscenario.h"
#include "platform/platformerror.h"
#include "recipients/recipientpickerform.h"
#include "setup/installform.h"
#include "shell/recordingscreen.h"
#include "ui/installwindow.h"
#include "ui/qtscreen.h"
#include "ui/recipientpickerdialog.h"

#include <array>
#include <cstdio>
#include <ctime>
#include <map>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <sys/resource.h>

namespace {

constexpr quint32 Seed = 4;
// Each walk is timed this often and the best time kept: the machine is shared, and the
// best run is the one least disturbed by others.
constexpr int Runs = 3;

// Start-up's discovery, so that the walk alone is timed.
void prepareSharedState(InstallForm &form)
{
    form.onLoad();
    // The first activation would walk the directory on its own; only the timed walk may.
    form.firstActivationDone = true;
}

long peakMemoryKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int listed(const InstallForm &form)
{
    return form.lists.unboundStoreList.count() + form.lists.boundStoreList.count() +
           form.lists.unboundMailboxList.count() + form.lists.boundMailboxList.count();
}

double processCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

// cpuSeconds, where given, is the processor time: on a machine shared with builds the wall
// time swings, the processor time much less.
void report(const char *what, int mailboxes, double seconds, int entries, double cpuSeconds = -1)
{
    std::printf("%-32s %6d mailboxes  %6d entries  %8.3f s  %7.1f us/mailbox", what, mailboxes,
                entries, seconds, seconds * 1e6 / mailboxes);
    if (cpuSeconds >= 0)
        std::printf("  cpu %.3f s", cpuSeconds);
    std::printf("\n");
    std::fflush(stdout);
}

double walkModel(const QString &labPath, int *entries)
{
    std::unique_ptr<platform::Platform> platform = lab::openLab(labPath);
    RecordingScreen screen;
    InstallForm form(*platform, screen);
    prepareSharedState(form);
    QElapsedTimer clock;
    clock.start();
    form.lists.refreshMailboxLists();
    *entries = listed(form);
    return clock.nsecsElapsed() / 1e9;
}

// The walk's two halves alone, to tell the lab's share from the program's: query B read
// through, then one inbox probe per mailbox by its first URL form.
void walkParts(const QString &labPath, int mailboxes)
{
    std::unique_ptr<platform::Platform> platform = lab::openLab(labPath);
    RecordingScreen screen;
    InstallForm form(*platform, screen);
    prepareSharedState(form);
    const QString server = lab::homeServerValue(QStringLiteral("EXCH01"));
    const QString query =
        MailboxQueries::mailboxesOfServer(form.environment.globalCatalogPath, server);
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<platform::DirectoryRowSet> rows =
        form.environment.directoryConnection().execute(query, {});
    QStringList urls;
    for (; !rows->atEnd(); rows->moveNext()) {
        const QString alias = rows->field(QStringLiteral("mailNickName")).toString();
        const QString mail = rows->field(QStringLiteral("mail")).toString();
        rows->field(QStringLiteral("cn"));
        rows->field(QStringLiteral("userAccountControl"));
        urls.append(QStringLiteral("file://./backofficestorage/") +
                    mail.mid(mail.indexOf(QLatin1Char('@')) + 1) + QStringLiteral("/mbx/") + alias);
    }
    rows->close();
    report("  of which: directory query B", mailboxes, clock.nsecsElapsed() / 1e9, 0);

    clock.restart();
    for (QString url : std::as_const(urls))
        StoreFolders::folderItemExists(url, QStringLiteral("inbox"),
                                       QStringLiteral("Kestrelon.reg"), false,
                                       form.environment.storeConnection(), form.errorLog);
    report("  of which: one inbox probe each", mailboxes, clock.nsecsElapsed() / 1e9, 0);
}

double walkWindow(const QString &labPath, int *entries)
{
    std::unique_ptr<platform::Platform> platform = lab::openLab(labPath);
    QtScreen screen;
    InstallForm form(*platform, screen);
    prepareSharedState(form);
    InstallWindow view(form);
    view.attachScreen(screen);
    view.resize(900, 760);
    view.show();
    QCoreApplication::processEvents();

    QElapsedTimer clock;
    clock.start();
    form.lists.refreshMailboxLists();
    // What the window does after a handler: mirror the result and paint it.
    view.sync();
    QCoreApplication::processEvents();
    *entries = listed(form);
    return clock.nsecsElapsed() / 1e9;
}

double fillPickerModel(const QString &labPath, int *entries)
{
    std::unique_ptr<platform::Platform> platform = lab::openLab(labPath);
    RecordingScreen screen;
    InstallForm form(*platform, screen);
    prepareSharedState(form);
    RecipientPickerForm picker(form.environment, form.screen(), form.rule, 0);
    picker.onLoad();
    QElapsedTimer clock;
    clock.start();
    picker.onActivate();
    *entries = picker.recipientView.count();
    return clock.nsecsElapsed() / 1e9;
}

// Where the last timed fill of the picker's dialog spent its time without a turn of the event
// loop: before its first progress step (the query), the longest pause between two steps, and
// after its last step (sorting, fitting the columns, showing the sorted list).
struct PickerPauses
{
    double beforeFirstStep = 0;
    double betweenSteps = 0;
    double afterLastStep = 0;
} pickerPauses;

// From showing the dialog to its filled, sorted and painted list.
double fillPickerDialog(const QString &labPath, int *entries)
{
    std::unique_ptr<platform::Platform> platform = lab::openLab(labPath);
    QtScreen screen;
    InstallForm form(*platform, screen);
    prepareSharedState(form);
    InstallWindow view(form);
    view.attachScreen(screen);
    view.show();
    QCoreApplication::processEvents();

    RecipientPickerForm picker(form.environment, form.screen(), form.rule, 0);
    RecipientPickerDialog dialog(picker, &screen, &view);
    QElapsedTimer clock;
    qint64 firstStep = -1;
    qint64 lastStep = 0;
    qint64 longest = 0;
    const std::function<void()> dialogBeforeEvents = screen.beforeEvents;
    screen.beforeEvents = [&] {
        // Turns while the progress box shows are the fill's steps.
        if (picker.progressBox.visible()) {
            const qint64 now = clock.nsecsElapsed();
            if (firstStep < 0)
                firstStep = now;
            else
                longest = std::max(longest, now - lastStep);
            lastStep = now;
        }
        dialogBeforeEvents();
    };
    clock.start();
    dialog.show();
    // The dialog fills itself once it is on the screen; filled, it selects the first row.
    while (picker.recipientView.selectedPosition() < 0 && !clock.hasExpired(60000))
        QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const qint64 end = clock.nsecsElapsed();
    pickerPauses = {firstStep / 1e9, longest / 1e9, (end - lastStep) / 1e9};
    *entries = picker.recipientView.count();
    return end / 1e9;
}

// The best of Runs walks.
double best(const char *what, int mailboxes, double (*walk)(const QString &, int *),
            const QString &labPath)
{
    double fastest = 0;
    int entries = 0;
    for (int run = 0; run < Runs; ++run) {
        const double seconds = walk(labPath, &entries);
        if (run == 0 || seconds < fastest)
            fastest = seconds;
    }
    report(what, mailboxes, fastest, entries);
    return fastest;
}

// One apply on the model, reload included: ticks the box and selects every entry of its
// list first, as a user would with "Select All".
double timeApply(InstallForm &form, CheckBoxModel &check, ListBoxModel &list, int *entries,
                 double *cpuSeconds)
{
    for (int i = 0; i < list.count(); ++i)
        list.setSelected(i, true);
    *entries = list.count();
    check.setValue(1);
    QElapsedTimer clock;
    clock.start();
    const double cpuBefore = processCpuSeconds();
    form.bindings.onApplyClicked();
    const double seconds = clock.nsecsElapsed() / 1e9;
    *cpuSeconds = processCpuSeconds() - cpuBefore;
    check.setValue(0);
    // The reload notes the missing sink library and, at 30,000, the directory's size limit;
    // only store failures count.
    if (form.errorLogEdit.text().contains(QLatin1String("mbx/")))
        throw platform::PlatformError(1, QStringLiteral("the apply logged errors:\n") +
                                             form.errorLogEdit.text().left(600));
    return seconds;
}

// Three timed steps run Runs times: each step's fastest run counts, with its processor time
// and entries.
struct FastestSteps
{
    std::array<double, 3> seconds{};
    std::array<double, 3> cpu{};
    std::array<int, 3> entries{};

    void keep(int run, int step, double stepSeconds, double stepCpu, int stepEntries)
    {
        if (run > 0 && stepSeconds >= seconds[step])
            return;
        seconds[step] = stepSeconds;
        cpu[step] = stepCpu;
        entries[step] = stepEntries;
    }
    void print(const std::array<const char *, 3> &names, int mailboxes) const
    {
        for (int i = 0; i < 3; ++i)
            report(names[i], mailboxes, seconds[i], entries[i], cpu[i]);
    }
};

// The window's model on a lab, started up and with its lists filled, the sink not to be
// installed: where the applies run.
struct ApplyBench
{
    explicit ApplyBench(const QString &labPath) : platform(lab::openLab(labPath))
    {
        prepareSharedState(form);
        form.lists.refreshMailboxLists();
        form.sink.installSinkCheck.setValue(0);
    }

    std::unique_ptr<platform::Platform> platform;
    RecordingScreen screen;
    InstallForm form{*platform, screen};
};

// Binds every unbound mailbox, rewrites every binding in batch mode, unbinds them all; the
// last leaves every mailbox unbound, so the round runs Runs times (the first registers the
// half the lab has unbound, the later ones all) and each apply's best counts.
std::array<double, 3> applyRuns(const QString &labPath, int mailboxes)
{
    ApplyBench bench(labPath);
    InstallForm &form = bench.form;
    FastestSteps fastest;
    for (int run = 0; run < Runs; ++run) {
        for (int step = 0; step < 3; ++step) {
            // The middle step is the batch run's rewrite of every binding.
            form.environment.batchMode = step == 1;
            const bool registers = step == 0;
            int entries = 0;
            double cpu = 0;
            const double seconds = timeApply(
                form,
                registers ? form.lists.registerMailboxesCheck : form.lists.unregisterMailboxesCheck,
                registers ? form.lists.unboundMailboxList : form.lists.boundMailboxList, &entries,
                &cpu);
            fastest.keep(run, step, seconds, cpu, entries);
        }
    }
    form.environment.batchMode = false;
    fastest.print({"apply register", "apply batch rewrite", "apply unregister"}, mailboxes);
    return fastest.seconds;
}

// Binds every mailbox (not timed), then, best of Runs each: the preview of the batch run,
// the batch run, and the batch run keeping its account and writing the JSON report to a
// file. Returns the three times.
std::array<double, 3> previewRuns(const QString &labPath, int mailboxes, const QString &reportPath)
{
    ApplyBench bench(labPath);
    InstallForm &form = bench.form;
    int entries = 0;
    double cpu = 0;
    timeApply(form, form.lists.registerMailboxesCheck, form.lists.unboundMailboxList, &entries,
              &cpu);
    form.environment.batchMode = true;
    FastestSteps fastest;
    for (int run = 0; run < Runs; ++run) {
        for (int i = 0; i < form.lists.boundMailboxList.count(); ++i)
            form.lists.boundMailboxList.setSelected(i, true);
        form.lists.unregisterMailboxesCheck.setValue(1);
        ApplyJournal plan;
        QElapsedTimer clock;
        clock.start();
        const double cpuBefore = processCpuSeconds();
        form.bindings.previewApply(plan);
        fastest.keep(run, 0, clock.nsecsElapsed() / 1e9, processCpuSeconds() - cpuBefore,
                     int(plan.entries.size()));
        if (plan.totals().rewritten != form.lists.boundMailboxList.count())
            throw platform::PlatformError(1, QStringLiteral("the preview planned %1 rewrites of %2")
                                                 .arg(plan.totals().rewritten)
                                                 .arg(form.lists.boundMailboxList.count()));
        // Each rewrite leaves the lab a little larger; the two take turns at going first, so
        // neither always runs on the larger lab.
        for (const int which : run % 2 ? std::array{2, 1} : std::array{1, 2}) {
            ApplyJournal journal;
            form.bindings.applyJournal = which == 2 ? &journal : nullptr;
            clock.restart();
            const double cpuStart = processCpuSeconds();
            timeApply(form, form.lists.unregisterMailboxesCheck, form.lists.boundMailboxList,
                      &entries, &cpu);
            if (which == 2) {
                QFile report(reportPath);
                if (!report.open(QIODevice::WriteOnly) ||
                    !ApplyReport::write(journal, QStringLiteral("kestrelon-bench"), report))
                    throw platform::PlatformError(1, QStringLiteral("the report was not written"));
            }
            fastest.keep(run, which, clock.nsecsElapsed() / 1e9, processCpuSeconds() - cpuStart,
                         entries);
            form.bindings.applyJournal = nullptr;
        }
    }
    fastest.print({"preview of the batch run", "batch rewrite", "batch rewrite, report"},
                  mailboxes);
    std::printf("  the report adds %.0f%% to the batch run's time, %.0f%% to its processor time "
                "(%.1f MiB)\n",
                (fastest.seconds[2] / fastest.seconds[1] - 1) * 100,
                (fastest.cpu[2] / fastest.cpu[1] - 1) * 100,
                QFileInfo(reportPath).size() / 1048576.0);
    return fastest.seconds;
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QList<int> sizes;
    bool pickerOnly = false;
    bool applyOnly = false;
    bool previewOnly = false;
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument == QLatin1String("--picker"))
            pickerOnly = true;
        else if (argument == QLatin1String("--apply"))
            applyOnly = true;
        else if (argument == QLatin1String("--preview"))
            previewOnly = true;
        else if (argument.toInt() > 0)
            sizes.append(argument.toInt());
        else {
            const bool help = argument == QLatin1String("--help");
            if (!help)
                std::fprintf(stderr,
                             "kestrelon-bench: not an option or a number of mailboxes: %s\n",
                             argv[i]);
            std::fprintf(help ? stdout : stderr,
                         "usage: kestrelon-bench [--picker | --apply | --preview] [MAILBOXES...]\n"
                         "  MAILBOXES: sizes of the generated lab, each above 0 (default 1000 "
                         "10000 30000)\n");
            return help ? 0 : 2;
        }
    }
    if (sizes.isEmpty())
        sizes = {1000, 10000, 30000};

    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "kestrelon-bench: no temporary folder\n");
        return 1;
    }
    std::map<int, std::pair<double, double>> times;
    std::map<int, std::pair<double, double>> pickerTimes;
    std::map<int, std::array<double, 3>> applyTimes;
    try {
        for (int mailboxes : std::as_const(sizes)) {
            const QString path = dir.filePath(QStringLiteral("lab-%1.sqlite").arg(mailboxes));
            QElapsedTimer clock;
            clock.start();
            lab::createLab(path, lab::generatedScenario(mailboxes, Seed));
            report("building the lab (not timed walk)", mailboxes, clock.nsecsElapsed() / 1e9, 0);
            if (previewOnly) {
                previewRuns(path, mailboxes, dir.filePath(QStringLiteral("report.json")));
                continue;
            }
            if (applyOnly) {
                applyTimes[mailboxes] = applyRuns(path, mailboxes);
                continue;
            }
            if (!pickerOnly) {
                const double model = best("refreshMailboxLists, model", mailboxes, walkModel, path);
                walkParts(path, mailboxes);
                const double window =
                    best("refreshMailboxLists, window", mailboxes, walkWindow, path);
                times[mailboxes] = {model, window};
            }
            const double pickerModel =
                best("recipient picker, model", mailboxes, fillPickerModel, path);
            const double pickerDialog =
                best("recipient picker, dialog", mailboxes, fillPickerDialog, path);
            std::printf("  dialog without events: %.3f s before the first step, %.3f s at most "
                        "between steps, %.3f s after the last\n",
                        pickerPauses.beforeFirstStep, pickerPauses.betweenSteps,
                        pickerPauses.afterLastStep);
            pickerTimes[mailboxes] = {pickerModel, pickerDialog};
        }
    } catch (const platform::PlatformError &error) {
        std::fprintf(stderr, "kestrelon-bench: error %d: %s\n", error.number,
                     qPrintable(error.description));
        return 1;
    }
    if (times.count(10000) && times.count(30000)) {
        std::printf("growth 10,000 -> 30,000: model %.2fx, window %.2fx\n",
                    times[30000].first / times[10000].first,
                    times[30000].second / times[10000].second);
    }
    if (pickerTimes.count(10000) && pickerTimes.count(30000)) {
        std::printf("picker growth 10,000 -> 30,000: model %.2fx, dialog %.2fx\n",
                    pickerTimes[30000].first / pickerTimes[10000].first,
                    pickerTimes[30000].second / pickerTimes[10000].second);
    }
    if (applyTimes.count(10000) && applyTimes.count(30000)) {
        std::printf(
            "apply growth 10,000 -> 30,000: register %.2fx, batch %.2fx, unregister %.2fx\n",
            applyTimes[30000][0] / applyTimes[10000][0],
            applyTimes[30000][1] / applyTimes[10000][1],
            applyTimes[30000][2] / applyTimes[10000][2]);
    }
    std::printf("peak memory: %.1f MiB\n", peakMemoryKiB() / 1024.0);
    return 0;
}
