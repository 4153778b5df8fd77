#pragma once

#include <QLayout>
#include <QList>

// Lays its items side by side from the leading edge (the right, in a right-to-left window) and
// starts a new row where the next group no longer fits: a group is the items between two
// separators, so a button and its arrow stay together and no caption is ever cut short. A
// separator that would open a row is left out.
class FlowRow : public QLayout
{
public:
    explicit FlowRow(QWidget* parent);
    ~FlowRow() override;

    // Whether the item added next begins a group (a separator does).
    void addItem(QLayoutItem* item) override;
    void addSeparator(QWidget* separator);
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;

    QSize sizeHint() const override;
    QSize minimumSize() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    Qt::Orientations expandingDirections() const override { return {}; }
    void setGeometry(const QRect& rect) override;

private:
    int layOut(const QRect& rect, bool place) const;

    QList<QLayoutItem*> m_items;
    QList<bool> m_separator;
};
