#include "ui/recipientpickerdialog.h"

#include "ui/progressboxwidget.h"
#include "ui/qtscreen.h"
#include "ui/recipientitemmodel.h"
#include "ui/sortindicator.h"
#include "ui_recipientpickerdialog.h"

#include <cmath>
#include <limits>
#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QTimer>
#include <QWindow>

namespace {

constexpr int ProgressPanelWidth = 160;

} // namespace

RecipientPickerDialog::RecipientPickerDialog(RecipientPickerForm &form, QtScreen *screen,
                                             QWidget *parent)
    : QDialog(parent), m_form(form), m_ui(std::make_unique<Ui::RecipientPickerDialog>()),
      m_screen(screen)
{
    m_ui->setupUi(this);
    setWindowTitle(RecipientPickerForm::Caption);
    m_form.onLoad();

    // Two panels, "text" and "progress"; the progress box lies over the second while
    // the list fills.
    m_textPanel = new QLabel(m_ui->statusBar);
    m_textPanel->setObjectName(QStringLiteral("textPanel"));
    m_ui->statusBar->addWidget(m_textPanel, 1);
    m_progressPanel = new QLabel(m_ui->statusBar);
    m_progressPanel->setObjectName(QStringLiteral("progressPanel"));
    m_progressPanel->setFixedWidth(ProgressPanelWidth);
    m_ui->statusBar->addPermanentWidget(m_progressPanel);
    m_progressBox = new ProgressBoxWidget(m_ui->statusBar);
    m_progressBox->setObjectName(QStringLiteral("progressBox"));
    m_progressBox->setModel(&m_form.progressBox);
    m_ui->statusBar->installEventFilter(this);
    m_progressPanel->installEventFilter(this);

    bindRecipientView();
    m_binding.bind(m_ui->okButton, m_form.okButton, [this] { m_form.onOkClicked(); });
    m_binding.bind(m_ui->cancelButton, m_form.cancelButton, [this] { m_form.onCancelClicked(); });
    m_binding.bindCustom(m_progressBox, m_form.progressBox, [this] { m_progressBox->update(); });
    m_binding.afterEvent = [this] {
        if (m_form.closed)
            accept();
    };
    hookScreen();
    sync();
}

RecipientPickerDialog::~RecipientPickerDialog()
{
    if (m_screen) {
        m_screen->beforeEvents = m_ownerBeforeEvents;
        m_screen->mustShowNow = m_ownerMustShowNow;
    }
}

void RecipientPickerDialog::hookScreen()
{
    if (!m_screen)
        return;
    m_ownerBeforeEvents = m_screen->beforeEvents;
    m_ownerMustShowNow = m_screen->mustShowNow;
    m_screen->beforeEvents = [this] {
        if (m_ownerBeforeEvents)
            m_ownerBeforeEvents();
        sync();
    };
    m_screen->mustShowNow = [this, shown = QString()]() mutable {
        if (m_form.progressBox.text() == shown)
            return false;
        shown = m_form.progressBox.text();
        return true;
    };
}

void RecipientPickerDialog::sync()
{
    m_binding.sync();
}

void RecipientPickerDialog::bindRecipientView()
{
    QTreeView *view = m_ui->recipientView;
    m_items = new RecipientItemModel(m_form.recipientView, this);
    view->setModel(m_items);
    view->setSortingEnabled(false);
    QHeaderView *header = view->header();
    header->setSectionsClickable(true);
    header->setStretchLastSection(false);
    SortIndicator::showSortIndicator(*header, -1, 0);

    m_binding.bindCustom(view, m_form.recipientView, [this] { applyRecipientView(); });
    connect(header, &QHeaderView::sectionClicked, this, [this](int column) {
        m_binding.forward([this, column] { m_form.onRecipientColumnClicked(column); });
    });
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this, view] {
        const QModelIndexList rows = view->selectionModel()->selectedRows();
        m_binding.forward([this, rows] {
            m_form.recipientView.select(rows.isEmpty() ? -1 : rows.first().row());
        });
    });
    connect(view, &QTreeView::doubleClicked, this,
            [this] { m_binding.forward([this] { m_form.onRecipientDoubleClicked(); }); });
}

void RecipientPickerDialog::applyRecipientView()
{
    const RecipientViewModel &model = m_form.recipientView;
    QTreeView *view = m_ui->recipientView;
    QHeaderView *header = view->header();
    m_items->refresh();

    if (model.columns() != m_shownColumns) {
        m_shownColumns = model.columns();
        for (int column = 0; column < m_shownColumns.size(); ++column) {
            const int width = m_shownColumns[column].width;
            header->setSectionHidden(column, width == 0);
            if (width == RecipientViewModel::FitToContent)
                header->resizeSection(column, fittedWidth(column));
            else if (width == RecipientViewModel::DefaultWidth)
                header->resizeSection(column, header->defaultSectionSize());
            else if (width > 0)
                header->resizeSection(column, width);
        }
    }
    SortIndicator::showSortIndicator(*header, model.sorted() ? model.sortKey() : -1,
                                     model.sortOrder(),
                                     {RecipientViewModel::DistinguishedNameColumn});

    const QModelIndexList selected = view->selectionModel()->selectedRows();
    const int shownSelection = selected.isEmpty() ? -1 : selected.first().row();
    if (shownSelection != model.selectedPosition()) {
        if (model.selectedPosition() < 0)
            view->selectionModel()->clearSelection();
        else
            view->selectionModel()->setCurrentIndex(m_items->index(model.selectedPosition(), 0),
                                                    QItemSelectionModel::ClearAndSelect |
                                                        QItemSelectionModel::Rows);
    }
    if (model.visibleRequests() != m_servedVisibleRequests) {
        m_servedVisibleRequests = model.visibleRequests();
        if (model.visibleRequestPosition() >= 0 && model.visibleRequestPosition() < model.count())
            view->scrollTo(m_items->index(model.visibleRequestPosition(), 0));
    }
}

int RecipientPickerDialog::fittedWidth(int column) const
{
    const RecipientViewModel &model = m_form.recipientView;
    const QTreeView *view = m_ui->recipientView;
    const QFontMetricsF metrics(view->font());
    // Laying out 30,000 texts takes a good part of a second. The sum of a text's character
    // widths is its width but for kerning, a pixel or two: those sums find the few rows that
    // can be the widest, and only those are laid out. Combining marks and the scripts after
    // them shape too differently to be summed; such texts are always laid out.
    std::vector<qreal> charWidths(0x300, -1);
    std::vector<qreal> sums(size_t(model.count()));
    qreal widestSum = 0;
    for (int row = 0; row < model.count(); ++row) {
        qreal sum = 0;
        for (const QChar c : RecipientViewModel::text(model.row(row), column)) {
            if (c.unicode() >= charWidths.size()) {
                sum = std::numeric_limits<qreal>::infinity();
                break;
            }
            qreal &width = charWidths[c.unicode()];
            if (width < 0)
                width = metrics.horizontalAdvance(c);
            sum += width;
        }
        sums[size_t(row)] = sum;
        if (std::isfinite(sum))
            widestSum = std::max(widestSum, sum);
    }
    const qreal candidate = widestSum * 0.98 - metrics.averageCharWidth();
    qreal widest = -1;
    int widestRow = -1;
    for (int row = 0; row < model.count(); ++row) {
        if (sums[size_t(row)] < candidate)
            continue;
        const qreal width =
            metrics.horizontalAdvance(RecipientViewModel::text(model.row(row), column));
        if (width > widest) {
            widest = width;
            widestRow = row;
        }
    }
    // The delegate says how wide the widest row is drawn, with its icon and margins.
    int width = view->header()->sectionSizeHint(column);
    if (widestRow >= 0)
        width = qMax(width, view->sizeHintForIndex(m_items->index(widestRow, column)).width());
    return width;
}

void RecipientPickerDialog::placeProgressBox()
{
    const QRect panel = m_progressPanel->geometry();
    m_progressBox->setGeometry(panel.x(), 0, panel.width(), m_ui->statusBar->height());
    m_progressBox->raise();
}

void RecipientPickerDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    placeProgressBox();
    if (!m_activated) {
        m_activated = true;
        // Filled once the dialog is on the screen, so the fill's progress shows.
        QTimer::singleShot(0, this, &RecipientPickerDialog::activate);
    }
}

void RecipientPickerDialog::activate()
{
    // The fill starts once the dialog is drawn on the screen, so it shows while the
    // directory answers; a window system that never shows it gets half a second.
    constexpr int ExposeTries = 50;
    if (windowHandle() && !windowHandle()->isExposed() && ++m_exposeTries < ExposeTries) {
        QTimer::singleShot(10, this, &RecipientPickerDialog::activate);
        return;
    }
    repaint();
    // The wait cursor stays up until the list is filled, sorted and its columns fitted,
    // which the sync after the fill does, not only while the directory answers.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_binding.forward([this] { m_form.onActivate(); });
    QApplication::restoreOverrideCursor();
}

bool RecipientPickerDialog::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == m_ui->statusBar || watched == m_progressPanel) &&
        (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        placeProgressBox();
    return QDialog::eventFilter(watched, event);
}
