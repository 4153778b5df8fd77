#pragma once

#include <QPixmap>
#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class QMimeData;
class QListView;
class QTreeView;
class QStackedWidget;
class QAbstractItemView;
class RecordListModel;
class RowSet;

// A list of items with sub-items under column headers, shown either side by side in columns
// (view 2, list) or one row per item (view 3, report). Columns of width 0 are carried but never
// shown: they hold what the program needs beside the text (a directory's code, say).
class RecordListView : public QWidget
{
    Q_OBJECT
public:
    enum View { List = 2, Report = 3 };

    explicit RecordListView(QWidget* parent = nullptr);

    // Columns in order, widths in twips (0 hides the column).
    void addColumn(const QString& header, int widthTwips);
    int columnCount() const;
    QString headerText(int column) const;
    void setColumnWidthTwips(int column, int twips);
    int columnWidth(int column) const; // pixels, 0 for a hidden column
    void setSmallIcon(const QIcon& icon);

    void setView(int view);
    int view() const { return m_view; }

    // Items: refilled from a recordset's rows, from position start to the end.
    void fill(std::shared_ptr<const RowSet> rows, qsizetype start);
    void clear();
    int count() const;
    QString itemText(int row) const;
    QString subItem(int row, int column) const;
    RecordListModel* model() const { return m_model; }

    // The selected item, or -1. After a fill the first item is selected, so Enter acts at once.
    int selectedRow() const;
    // Lists where a selection means a choice the user has not made yet start with none.
    void setSelectFirstOnFill(bool select) { m_selectFirst = select; }
    void selectRow(int row);
    // Whether Ctrl- and Shift-click choose several items; selectedRows() lists them in order.
    void setSeveralChoosable(bool several);
    QList<int> selectedRows() const;

    // A line shown over the list while it has no item ("" shows nothing); a fill or clear
    // takes it away, so only the command that filled the list says why it is empty.
    void setEmptyText(const QString& text);
    QString emptyText() const;

    void setBackgroundPicture(const QPixmap& picture);
    bool hasBackgroundPicture() const { return !m_picture.isNull(); }

    // Dragging chosen items out: make turns the rows into what the drag carries (nullptr: no drag).
    void setDragSource(std::function<QMimeData*(const QList<int>& rows)> make);
    // Dropping on the list: accepts says whether data may land on the item at row (-1: on no
    // item), dropped takes it there.
    using DropCheck = std::function<bool(const QMimeData* data, int row)>;
    void setDropTarget(DropCheck accepts, std::function<void(const QMimeData* data, int row)> dropped);

    QAbstractItemView* activeView() const;
    QListView* listView() const { return m_list; }
    QTreeView* reportView() const { return m_report; }

signals:
    void itemClicked(int row);
    void doubleClicked();
    void keyPressed(int key); // the Qt key; Qt::Key_Return for either Enter key
    void mouseReleased(Qt::MouseButton button, const QPoint& globalPos);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    bool reportAttached() const;
    void attachReport(bool attach);
    void viewEvent(QEvent* event);
    void watch(QAbstractItemView* view);
    void applyColumnWidths();
    void dragEvent(QEvent* event, QAbstractItemView* view);
    void startDrag();

    RecordListModel* m_model;
    QStackedWidget* m_stack;
    QLabel* m_emptyText;
    QListView* m_list;
    QTreeView* m_report;
    QList<int> m_widthsTwips;
    QList<int> m_reportWidths; // pixels, by shown column, while the report view has no model
    QPixmap m_picture;
    int m_view = List;
    bool m_selectFirst = true;
    int m_rowBeforeKey = -1; // the selected item as a key press began
    std::function<QMimeData*(const QList<int>& rows)> m_dragSource;
    DropCheck m_dropAccepts;
    std::function<void(const QMimeData* data, int row)> m_dropped;
};
