#include "ui/installwindow.h"

#include "ui/previewdialog.h"
#include "ui/qtscreen.h"
#include "ui_installwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QScreen>

InstallWindow::InstallWindow(InstallForm &form, QWidget *parent)
    : QWidget(parent), m_form(form), m_ui(std::make_unique<Ui::InstallWindow>())
{
    m_ui->setupUi(this);
    // Which lab or server this window works on, small and out of the way.
    m_ui->environmentLabel->setText(form.platform().description());
    m_ui->environmentLabel->setToolTip(form.platform().description());
    // The log is read-only but takes the focus from the keyboard: its caret shows where the
    // focus is, and the keys select text to copy.
    m_ui->errorLogEdit->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                                Qt::TextSelectableByKeyboard);
    // The password's caption grows in the installed state, where it stands in for the
    // password; its column is that wide from the start, so nothing beside it moves.
    const QString designedCaption = m_ui->passwordLabel->text();
    m_ui->passwordLabel->setText(QStringLiteral("&Password: ********"));
    m_ui->passwordLabel->setMinimumWidth(m_ui->passwordLabel->sizeHint().width());
    m_ui->passwordLabel->setText(designedCaption);
    // Wherever the focus goes, by Tab or an access key, the content scrolls it into view.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now && m_ui->windowContent->isAncestorOf(now))
            m_ui->windowScrollArea->ensureWidgetVisible(now);
    });
    bindShell();
    bindMailboxLists();
    bindRuleArea();
    sync();
}

InstallWindow::~InstallWindow() = default;

void InstallWindow::sync()
{
    if (windowTitle() != m_form.environment.caption)
        setWindowTitle(m_form.environment.caption);
    m_binding.sync();
}

void InstallWindow::attachScreen(QtScreen &screen)
{
    m_screen = &screen;
    screen.setWindow(this);
    screen.beforeEvents = [this] {
        sync();
    };
    // A walk's percentage changes 101 times however many rows it has: each change is
    // shown at once, the rows between them only at the screen's bounded rate.
    screen.mustShowNow = [this, shown = QString()]() mutable {
        if (m_form.lists.progressBox.text() == shown)
            return false;
        shown = m_form.lists.progressBox.text();
        return true;
    };
}

void InstallWindow::bindShell()
{
    Ui::InstallWindow &ui = *m_ui;
    m_binding.bind(ui.installSinkCheck, m_form.sink.installSinkCheck);
    m_binding.bind(ui.uninstallSinkCheck, m_form.sink.uninstallSinkCheck);
    m_binding.bind(ui.identityEdit, m_form.sink.identityEdit);
    m_binding.bind(ui.passwordEdit, m_form.sink.passwordEdit);
    m_binding.bind(ui.errorLogEdit, m_form.errorLogEdit);
    for (auto [widget, model] : {std::pair{ui.conditionLabel, &m_form.rule.conditionLabel},
                                 {ui.passwordLabel, &m_form.sink.passwordLabel},
                                 {ui.identityLabel, &m_form.sink.identityLabel},
                                 {ui.actionLabel, &m_form.rule.actionLabel},
                                 {ui.targetLabel, &m_form.rule.targetLabel},
                                 {ui.priorityLabel, &m_form.rule.priorityLabel},
                                 {ui.conditionExampleLabel, &m_form.rule.conditionExampleLabel},
                                 {ui.targetExampleLabel, &m_form.rule.targetExampleLabel}})
        m_binding.bind(widget, *model);
    m_binding.bind(ui.applyButton, m_form.bindings.applyButton,
                   [this] { m_form.bindings.onApplyClicked(); });
    m_binding.bind(ui.previewButton, m_form.bindings.previewButton,
                   [this] { m_form.bindings.onPreviewClicked(); });
    m_form.bindings.showPlan = [this](const QString &listing) {
        PreviewDialog dialog(listing, this);
        dialog.exec();
    };
    m_binding.bind(ui.exitButton, m_form.exitButton, [this] {
        m_form.onExitClicked();
        close();
    });
    m_binding.bind(ui.clearErrorLogButton, m_form.clearErrorLogButton,
                   [this] { m_form.onClearErrorLogClicked(); });
    ui.progressBox->setModel(&m_form.lists.progressBox);
    m_binding.bindCustom(ui.progressBox, m_form.lists.progressBox,
                         [box = ui.progressBox] { box->update(); });
}

void InstallWindow::activateFirstTime()
{
    if (m_form.firstActivationDone)
        return;
    m_form.screen().setWaitCursor(true);
    sync();
    m_form.onActivate();
    m_form.screen().setWaitCursor(false);
    sync();
    if (m_form.unloaded)
        close();
}

void InstallWindow::showEvent(QShowEvent *event)
{
    if (!m_fittedToScreen) {
        m_fittedToScreen = true;
        fitToScreen();
    }
    QWidget::showEvent(event);
}

void InstallWindow::fitToScreen()
{
    const QRect available = screen()->availableGeometry();
    // The frame is known once a window manager has framed the window; before, it counts 0.
    const QSize room = available.size() - (frameGeometry().size() - size());
    resize(size().boundedTo(room));
    const QPoint inside(qBound(available.left(), x(), available.right() + 1 - width()),
                        qBound(available.top(), y(), available.bottom() + 1 - height()));
    move(inside);
}

void InstallWindow::closeEvent(QCloseEvent *event)
{
    if (!m_form.unloaded)
        m_form.onUnload();
    event->accept();
}
