#include "FlowRow.h"

#include <QWidget>

#include <algorithm>

FlowRow::FlowRow(QWidget* parent) : QLayout(parent) {}

FlowRow::~FlowRow()
{
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void FlowRow::addItem(QLayoutItem* item)
{
    m_items << item;
    m_separator << false;
}

void FlowRow::addSeparator(QWidget* separator)
{
    addWidget(separator);
    m_separator.last() = true;
}

int FlowRow::count() const
{
    return int(m_items.size());
}

QLayoutItem* FlowRow::itemAt(int index) const
{
    return m_items.value(index);
}

QLayoutItem* FlowRow::takeAt(int index)
{
    if (index < 0 || index >= m_items.size())
        return nullptr;
    m_separator.removeAt(index);
    return m_items.takeAt(index);
}

QSize FlowRow::sizeHint() const
{
    // Everything in one row.
    int width = 0;
    int height = 0;
    for (QLayoutItem* item : m_items) {
        width += item->sizeHint().width() + spacing();
        height = std::max(height, item->sizeHint().height());
    }
    const QMargins margins = contentsMargins();
    return {width + margins.left() + margins.right(), height + margins.top() + margins.bottom()};
}

QSize FlowRow::minimumSize() const
{
    // The widest group alone in its row.
    int widest = 0;
    int group = 0;
    int height = 0;
    for (int i = 0; i < m_items.size(); ++i) {
        if (m_separator[i])
            group = 0;
        group += m_items[i]->sizeHint().width() + spacing();
        widest = std::max(widest, group);
        height = std::max(height, m_items[i]->sizeHint().height());
    }
    const QMargins margins = contentsMargins();
    return {widest + margins.left() + margins.right(), height + margins.top() + margins.bottom()};
}

int FlowRow::heightForWidth(int width) const
{
    return layOut(QRect(0, 0, width, 0), false);
}

void FlowRow::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    layOut(rect, true);
}

int FlowRow::layOut(const QRect& rect, bool place) const
{
    const QMargins margins = contentsMargins();
    const QRect inner = rect.marginsRemoved(margins);
    const bool rightToLeft = parentWidget() && parentWidget()->isRightToLeft();
    int x = 0; // from the leading edge
    int y = inner.top();
    int rowHeight = 0;
    for (int i = 0; i < m_items.size();) {
        // The group: this item and those up to the next separator.
        int end = i + 1;
        while (end < m_items.size() && !m_separator[end])
            ++end;
        int groupWidth = 0;
        for (int k = i; k < end; ++k)
            groupWidth += m_items[k]->sizeHint().width() + (k > i ? spacing() : 0);
        if (x > 0 && x + groupWidth > inner.width()) {
            y += rowHeight + spacing();
            x = 0;
            rowHeight = 0;
        }
        for (int k = i; k < end; ++k) {
            QLayoutItem* item = m_items[k];
            const QSize hint = item->sizeHint();
            if (x == 0 && m_separator[k]) {
                if (place)
                    item->setGeometry(QRect()); // a row does not open with a separator
                continue;
            }
            rowHeight = std::max(rowHeight, hint.height());
            if (place) {
                const int left = rightToLeft ? inner.right() - x - hint.width() + 1 : inner.left() + x;
                item->setGeometry(QRect(left, y, hint.width(), m_separator[k] ? rowHeight : hint.height()));
            }
            x += hint.width() + spacing();
        }
        i = end;
    }
    return y + rowHeight - rect.top() + margins.bottom();
}
