#include "SkinStatusBar.h"

#include "ColorScheme.h"

#include <QIcon>
#include <QLabel>
#include <QPainter>

SkinStatusBar::SkinStatusBar(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int SkinStatusBar::addPanel(int width, const QString& text)
{
    auto* label = new QLabel(text, this);
    label->setTextFormat(Qt::PlainText);
    label->setFixedWidth(width);
    label->setMargin(2);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setAlignment(Qt::AlignVCenter | Qt::AlignLeading);
    label->setAccessibleName(text);
    m_panels.push_back(label);
    setColorScheme(m_scheme);
    layoutPanels();
    return int(m_panels.size());
}

QLabel* SkinStatusBar::panel(int number) const
{
    if (number < 1 || number > panelCount())
        return nullptr;
    return m_panels[size_t(number - 1)];
}

void SkinStatusBar::setPanelText(int number, const QString& text)
{
    if (QLabel* label = panel(number)) {
        label->setText(text);
        label->setAccessibleName(text);
    }
}

QString SkinStatusBar::panelText(int number) const
{
    const QLabel* label = panel(number);
    return label ? label->text() : QString();
}

void SkinStatusBar::setPanelWidth(int number, int width)
{
    if (QLabel* label = panel(number)) {
        label->setFixedWidth(width);
        layoutPanels();
    }
}

int SkinStatusBar::panelWidth(int number) const
{
    const QLabel* label = panel(number);
    return label ? label->width() : 0;
}

void SkinStatusBar::setPanelIcon(int number, const QIcon& icon)
{
    if (QLabel* label = panel(number)) {
        // The bar paints the picture beside the label's text (see paintEvent).
        label->setProperty("panelIcon", icon);
        layoutPanels();
        update();
    }
}

void SkinStatusBar::setColorScheme(int scheme)
{
    if (!ColorScheme::isValid(scheme))
        return;
    m_scheme = scheme;
    const ColorScheme colors = ColorScheme::forNumber(scheme);
    for (QLabel* label : m_panels) {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, colors.text);
        label->setPalette(p);
    }
    update();
}

QSize SkinStatusBar::sizeHint() const
{
    return QSize(400, fontMetrics().height() + 10);
}

void SkinStatusBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutPanels();
}

void SkinStatusBar::layoutPanels()
{
    const bool rtl = layoutDirection() == Qt::RightToLeft;
    // One pixel at the ends, two between: the publisher's three panels fill a window of 800.
    int edge = 1;
    for (QLabel* label : m_panels) {
        const int w = label->width();
        const int x = rtl ? width() - edge - w : edge;
        label->setGeometry(x, 2, w, height() - 4);
        // Leave room for a panel's picture at its leading edge.
        const bool hasIcon = !label->property("panelIcon").value<QIcon>().isNull();
        label->setContentsMargins(hasIcon && !rtl ? 18 : 0, 0, hasIcon && rtl ? 18 : 0, 0);
        edge += w + 2;
    }
}

void SkinStatusBar::paintEvent(QPaintEvent*)
{
    const ColorScheme colors = ColorScheme::forNumber(m_scheme);
    QPainter painter(this);
    colors.paintBar(painter, rect(), ColorScheme::Edge::Top);
    for (QLabel* label : m_panels) {
        const QIcon icon = label->property("panelIcon").value<QIcon>();
        if (!icon.isNull()) {
            const QRect r = label->geometry();
            const bool rtl = layoutDirection() == Qt::RightToLeft;
            const QRect iconRect(rtl ? r.right() - 18 : r.left() + 2, r.center().y() - 8, 16, 16);
            icon.paint(&painter, iconRect);
        }
    }
}
