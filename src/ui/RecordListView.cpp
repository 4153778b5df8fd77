#include "RecordListView.h"

#include "RecordListModel.h"
#include "Units.h"

#include <QDrag>
#include <QDropEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QMouseEvent>
#include <QStackedWidget>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <utility>

namespace
{

// The two faces of a list report their keys and clicks to the list after handling them.
template <typename View> class ReportingView : public View
{
public:
    ReportingView(QWidget* parent, std::function<void(QEvent*)> report, std::function<void()> beforeKey,
                  std::function<void()> drag)
        : View(parent), m_report(std::move(report)), m_beforeKey(std::move(beforeKey)), m_drag(std::move(drag))
    {
    }

protected:
    // Drags and drops are the list's, which knows what its items stand for; the view's own
    // handling would ask the model.
    void startDrag(Qt::DropActions /*supported*/) override { m_drag(); }
    void dragEnterEvent(QDragEnterEvent* event) override { m_report(event); }
    void dragMoveEvent(QDragMoveEvent* event) override { m_report(event); }
    void dragLeaveEvent(QDragLeaveEvent* event) override { m_report(event); }
    void dropEvent(QDropEvent* event) override { m_report(event); }
    void keyPressEvent(QKeyEvent* event) override
    {
        m_beforeKey();
        // Enter and Backspace are the list's own commands, not the view's.
        const int key = event->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Backspace)
            View::keyPressEvent(event);
        m_report(event);
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override { m_report(event); }
    void mousePressEvent(QMouseEvent* event) override
    {
        // Shift-click chooses every row from the last one clicked: done here by rows, since the
        // view's own rectangle selection misses rows in a right-to-left list.
        const QModelIndex at = this->indexAt(event->position().toPoint());
        if (at.isValid() && (event->modifiers() & Qt::ShiftModifier) &&
            this->selectionMode() == QAbstractItemView::ExtendedSelection) {
            const QModelIndex anchor = m_anchor.isValid() ? QModelIndex(m_anchor) : this->currentIndex();
            const int from = std::min(anchor.isValid() ? anchor.row() : at.row(), at.row());
            const int to = std::max(anchor.isValid() ? anchor.row() : at.row(), at.row());
            this->selectionModel()->select(QItemSelection(this->model()->index(from, 0), this->model()->index(to, 0)),
                                           QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            this->selectionModel()->setCurrentIndex(at, QItemSelectionModel::NoUpdate);
            m_choseRange = true; // the release that follows changes nothing more
            return;
        }
        View::mousePressEvent(event);
        m_anchor = this->currentIndex();
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (!std::exchange(m_choseRange, false))
            View::mouseReleaseEvent(event);
        m_report(event);
    }

private:
    std::function<void(QEvent*)> m_report;
    std::function<void()> m_beforeKey;
    std::function<void()> m_drag;
    QPersistentModelIndex m_anchor; // the row a Shift-click chooses from
    bool m_choseRange = false;
};

} // namespace

RecordListView::RecordListView(QWidget* parent)
    : QWidget(parent), m_model(new RecordListModel(this)), m_stack(new QStackedWidget(this)),
      m_list(new ReportingView<QListView>(
          this, [this](QEvent* e) { viewEvent(e); }, [this] { m_rowBeforeKey = selectedRow(); },
          [this] { startDrag(); })),
      m_report(new ReportingView<QTreeView>(
          this, [this](QEvent* e) { viewEvent(e); }, [this] { m_rowBeforeKey = selectedRow(); },
          [this] { startDrag(); }))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_stack);

    // List view: items flow down a column, then into the next one, scrolling sideways.
    m_list->setModel(m_model);
    m_list->setViewMode(QListView::ListMode);
    m_list->setFlow(QListView::TopToBottom);
    m_list->setWrapping(true);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setUniformItemSizes(true);
    m_list->setLayoutMode(QListView::Batched);
    m_list->setBatchSize(2000);
    m_list->setSpacing(1);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);

    m_report->setRootIsDecorated(false);
    m_report->setItemsExpandable(false);
    m_report->setUniformRowHeights(true);
    m_report->setAllColumnsShowFocus(true);
    m_report->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_report->setSelectionMode(QAbstractItemView::SingleSelection);
    m_report->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_report->header()->setStretchLastSection(false);
    m_report->header()->setMinimumSectionSize(0);

    m_stack->addWidget(m_list);
    m_stack->addWidget(m_report);
    watch(m_list);
    watch(m_report);

    m_emptyText = new QLabel(this);
    m_emptyText->setObjectName(QStringLiteral("emptytext"));
    m_emptyText->setAlignment(Qt::AlignCenter);
    m_emptyText->setWordWrap(true);
    m_emptyText->setAttribute(Qt::WA_TransparentForMouseEvents);
    QFont larger = m_emptyText->font();
    larger.setPointSizeF(larger.pointSizeF() * 1.2);
    m_emptyText->setFont(larger);
    m_emptyText->hide();
}

void RecordListView::setEmptyText(const QString& text)
{
    m_emptyText->setText(text);
    m_emptyText->setAccessibleName(text);
    m_emptyText->setVisible(!text.isEmpty() && count() == 0);
    m_emptyText->raise();
}

QString RecordListView::emptyText() const
{
    return m_emptyText->isVisibleTo(this) ? m_emptyText->text() : QString();
}

void RecordListView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_emptyText->setGeometry(rect());
}

void RecordListView::watch(QAbstractItemView* view)
{
    // A click on an item counts every time, also on the item that is already selected.
    connect(view, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            emit itemClicked(index.row());
    });
}

void RecordListView::viewEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        // Moving to another item with the keys counts as clicking it; any other key, and a list
        // that merely gets the focus (and with it a current item), chooses nothing.
        const int row = selectedRow();
        if (row >= 0 && row != m_rowBeforeKey)
            emit itemClicked(row);
        const int key = static_cast<QKeyEvent*>(event)->key();
        // Enter on the keypad is the same key as Return.
        emit keyPressed(key == Qt::Key_Enter ? Qt::Key_Return : key);
        break;
    }
    case QEvent::MouseButtonDblClick:
        emit doubleClicked();
        break;
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        emit mouseReleased(mouse->button(), mouse->globalPosition().toPoint());
        break;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::DragLeave:
    case QEvent::Drop:
        dragEvent(event, activeView());
        break;
    default:
        break;
    }
}

void RecordListView::setDragSource(std::function<QMimeData*(const QList<int>& rows)> make)
{
    m_dragSource = std::move(make);
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(m_list), static_cast<QAbstractItemView*>(m_report)})
        view->setDragEnabled(bool(m_dragSource));
}

void RecordListView::setDropTarget(DropCheck accepts, std::function<void(const QMimeData* data, int row)> dropped)
{
    m_dropAccepts = std::move(accepts);
    m_dropped = std::move(dropped);
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(m_list), static_cast<QAbstractItemView*>(m_report)})
        view->viewport()->setAcceptDrops(bool(m_dropAccepts));
}

void RecordListView::startDrag()
{
    const QList<int> rows = selectedRows();
    if (!m_dragSource || rows.isEmpty())
        return;
    QMimeData* mime = m_dragSource(rows);
    if (mime == nullptr)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
}

void RecordListView::dragEvent(QEvent* event, QAbstractItemView* view)
{
    if (event->type() == QEvent::DragLeave || !m_dropAccepts) {
        event->ignore();
        return;
    }
    auto* drop = static_cast<QDropEvent*>(event);
    const QModelIndex at = view->indexAt(drop->position().toPoint());
    const int row = at.isValid() ? at.row() : -1;
    // The list takes a drag in when it may land on any of its items: only then do its moves and
    // its drop come here. Whether it may land is then asked over each item.
    bool takes = m_dropAccepts(drop->mimeData(), row);
    for (int other = 0; !takes && event->type() == QEvent::DragEnter && other < count(); ++other)
        takes = m_dropAccepts(drop->mimeData(), other);
    if (!takes) {
        drop->ignore();
        return;
    }
    drop->acceptProposedAction();
    if (event->type() == QEvent::Drop && m_dropped) {
        // The item dropped on becomes the list's choice, as a click would make it.
        if (row >= 0) {
            selectRow(row);
            emit itemClicked(row);
        }
        m_dropped(drop->mimeData(), row);
    }
}

void RecordListView::addColumn(const QString& header, int widthTwips)
{
    QStringList headers;
    for (int i = 0; i < m_widthsTwips.size(); ++i)
        headers << m_model->header(i);
    headers << header;
    m_model->setHeaders(headers);
    m_widthsTwips << widthTwips;
    applyColumnWidths();
}

int RecordListView::columnCount() const
{
    return int(m_widthsTwips.size());
}

QString RecordListView::headerText(int column) const
{
    return m_model->header(column);
}

void RecordListView::setColumnWidthTwips(int column, int twips)
{
    if (column < 0 || column >= m_widthsTwips.size())
        return;
    m_widthsTwips[column] = twips;
    applyColumnWidths();
}

int RecordListView::columnWidth(int column) const
{
    const int shown = column >= 0 && column < m_widthsTwips.size() ? m_model->shownIndexOf(column) : -1;
    if (shown < 0)
        return 0;
    return reportAttached() ? m_report->columnWidth(shown) : m_reportWidths.value(shown);
}

bool RecordListView::reportAttached() const
{
    return m_report->model() == m_model;
}

// Only the view on show has the model: a view kept behind the other would lay out every row of
// a large directory again after each refresh, unseen.
void RecordListView::attachReport(bool attach)
{
    if (attach == reportAttached())
        return;
    if (!attach) {
        m_reportWidths.clear();
        for (int i = 0; i < m_model->columnCount(); ++i)
            m_reportWidths << m_report->columnWidth(i); // as the user left them
        m_report->setModel(nullptr);
        return;
    }
    m_report->setModel(m_model);
    QItemSelectionModel* own = m_report->selectionModel();
    m_report->setSelectionModel(m_list->selectionModel()); // one selection for both views
    own->deleteLater();
    for (int i = 0; i < m_reportWidths.size(); ++i)
        m_report->setColumnWidth(i, m_reportWidths.at(i));
}

void RecordListView::applyColumnWidths()
{
    // Columns of width 0 are not hidden in the view but left out of it altogether, so nothing
    // (a screen reader included) can read them from the view.
    QList<int> shown;
    for (int i = 0; i < m_widthsTwips.size(); ++i)
        if (Units::px(m_widthsTwips.at(i)) > 0)
            shown << i;
    m_model->setShownColumns(shown);
    m_reportWidths.clear();
    for (int i = 0; i < shown.size(); ++i) {
        m_reportWidths << Units::px(m_widthsTwips.at(shown.at(i)));
        if (reportAttached())
            m_report->setColumnWidth(i, m_reportWidths.last());
    }
    // In list view every item takes one cell as wide as the first column (within reason), so
    // long names are not cut and 100,000 items need no measuring.
    if (!m_widthsTwips.isEmpty()) {
        const int width = std::clamp(Units::px(m_widthsTwips.first()), 140, 320);
        m_list->setGridSize(QSize(width, fontMetrics().height() + 12));
    }
}

void RecordListView::setSmallIcon(const QIcon& icon)
{
    m_model->setSmallIcon(icon);
}

void RecordListView::setView(int view)
{
    if (view != List && view != Report)
        return;
    const bool hadFocus = activeView()->hasFocus();
    m_view = view;
    attachReport(view == Report);
    m_stack->setCurrentWidget(view == List ? static_cast<QWidget*>(m_list) : m_report);
    if (hadFocus)
        activeView()->setFocus();
    if (const QModelIndex current = m_list->selectionModel()->currentIndex(); current.isValid())
        activeView()->scrollTo(current);
}

QAbstractItemView* RecordListView::activeView() const
{
    return m_view == List ? static_cast<QAbstractItemView*>(m_list) : m_report;
}

void RecordListView::fill(std::shared_ptr<const RowSet> rows, qsizetype start)
{
    m_model->fill(std::move(rows), start);
    m_emptyText->hide();
    if (m_model->rowCount() > 0 && m_selectFirst)
        m_list->selectionModel()->setCurrentIndex(m_model->index(0, 0),
                                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void RecordListView::clear()
{
    fill(nullptr, 0);
}

int RecordListView::count() const
{
    return m_model->rowCount();
}

QString RecordListView::itemText(int row) const
{
    return m_model->itemText(row);
}

QString RecordListView::subItem(int row, int column) const
{
    return m_model->subItem(row, column);
}

int RecordListView::selectedRow() const
{
    const QModelIndex current = m_list->selectionModel()->currentIndex();
    if (!current.isValid() || !m_list->selectionModel()->isSelected(m_model->index(current.row(), 0)))
        return -1;
    return current.row();
}

void RecordListView::selectRow(int row)
{
    if (row < 0 || row >= count())
        return;
    const QModelIndex index = m_model->index(row, 0);
    m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    activeView()->scrollTo(index);
}

void RecordListView::setSeveralChoosable(bool several)
{
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(m_list), static_cast<QAbstractItemView*>(m_report)})
        view->setSelectionMode(several ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

QList<int> RecordListView::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows(0))
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void RecordListView::setBackgroundPicture(const QPixmap& picture)
{
    m_picture = picture;
    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(m_list), static_cast<QAbstractItemView*>(m_report)}) {
        QPalette p = view->viewport()->palette();
        if (picture.isNull())
            p.setBrush(QPalette::Base, palette().brush(QPalette::Base));
        else
            p.setBrush(QPalette::Base, QBrush(picture));
        view->viewport()->setPalette(p);
    }
}
