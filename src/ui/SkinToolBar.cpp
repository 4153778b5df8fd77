#include "SkinToolBar.h"

#include "ColorScheme.h"
#include "FlowRow.h"
#include "MyImageList.h"

#include <QFrame>
#include <QPainter>
#include <QToolButton>

SkinToolBar::SkinToolBar(QWidget* parent) : QWidget(parent), m_layout(new FlowRow(this))
{
    m_layout->setContentsMargins(4, 2, 4, 2);
    m_layout->setSpacing(1);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int SkinToolBar::addButton(const QString& caption, Kind kind, int pictureIndex)
{
    auto* face = new QToolButton(this);
    face->setText(caption);
    face->setAccessibleName(caption);
    face->setToolTip(caption.trimmed());
    face->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    face->setAutoRaise(true);
    face->setIconSize(QSize(24, 24));
    if (m_images && pictureIndex >= 0)
        face->setIcon(m_images->icon(pictureIndex));
    QToolButton* arrow = nullptr;
    const int position = int(m_positions.size()) + 1;
    connect(face, &QToolButton::clicked, this, [this, position] { emit buttonPressed(position); });
    m_layout->addWidget(face);
    if (kind == Kind::DropDown) {
        arrow = new QToolButton(this);
        arrow->setArrowType(Qt::DownArrow);
        arrow->setAutoRaise(true);
        arrow->setFixedWidth(14);
        arrow->setAccessibleName(caption.trimmed() + QStringLiteral(" ▾"));
        arrow->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        connect(arrow, &QToolButton::clicked, this, [this, position, arrow] {
            const bool rtl = layoutDirection() == Qt::RightToLeft;
            const QPoint corner = rtl ? arrow->rect().bottomRight() : arrow->rect().bottomLeft();
            emit arrowPressed(position, arrow->mapToGlobal(corner));
        });
        m_layout->addWidget(arrow);
    }
    m_positions.push_back({kind, caption, pictureIndex, face, arrow, nullptr});
    applyScheme();
    return position;
}

int SkinToolBar::addSeparator(int width)
{
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setFixedWidth(width);
    m_layout->addSeparator(line);
    m_positions.push_back({Kind::Separator, QString(), -1, nullptr, nullptr, line});
    return int(m_positions.size());
}

SkinToolBar::Kind SkinToolBar::kind(int position) const
{
    if (position < 1 || position > positionCount())
        return Kind::Separator;
    return m_positions[size_t(position - 1)].kind;
}

QString SkinToolBar::caption(int position) const
{
    if (position < 1 || position > positionCount())
        return QString();
    return m_positions[size_t(position - 1)].caption;
}

int SkinToolBar::pictureIndex(int position) const
{
    if (position < 1 || position > positionCount())
        return -1;
    return m_positions[size_t(position - 1)].picture;
}

QToolButton* SkinToolBar::button(int position) const
{
    if (position < 1 || position > positionCount())
        return nullptr;
    return m_positions[size_t(position - 1)].face;
}

QToolButton* SkinToolBar::arrow(int position) const
{
    if (position < 1 || position > positionCount())
        return nullptr;
    return m_positions[size_t(position - 1)].arrow;
}

void SkinToolBar::setColorScheme(int scheme)
{
    if (!ColorScheme::isValid(scheme))
        return;
    m_scheme = scheme;
    applyScheme();
    update();
}

void SkinToolBar::applyScheme()
{
    const ColorScheme colors = ColorScheme::forNumber(m_scheme);
    const QString style = QStringLiteral("QToolButton { color: %1; border: 1px solid transparent; border-radius: 3px;"
                                         " padding: 1px 2px; }"
                                         "QToolButton:hover { background: %2; border-color: %3; }"
                                         "QToolButton:pressed { background: %3; }")
                              .arg(colors.text.name(), colors.hover.name(), colors.border.name());
    for (const Position& p : m_positions) {
        if (p.face)
            p.face->setStyleSheet(style);
        if (p.arrow)
            p.arrow->setStyleSheet(style);
    }
}

void SkinToolBar::paintEvent(QPaintEvent*)
{
    const ColorScheme colors = ColorScheme::forNumber(m_scheme);
    QPainter painter(this);
    colors.paintBar(painter, rect(), ColorScheme::Edge::Bottom);
}
