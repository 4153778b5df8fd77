#include "SkinFrame.h"

#include <QLabel>
#include <QToolButton>

SkinFrame::SkinFrame(const QString& caption, QWidget* parent)
    : QFrame(parent), m_caption(new QLabel(this)), m_close(new QToolButton(this))
{
    setFrameShape(QFrame::StyledPanel);
    m_caption->setTextFormat(Qt::PlainText);
    QFont bold = m_caption->font();
    bold.setBold(true);
    m_caption->setFont(bold);
    m_close->setText(QStringLiteral("✕"));
    m_close->setAutoRaise(true);
    m_close->setAccessibleName(QStringLiteral("إغلاق"));
    m_close->setToolTip(QStringLiteral("إغلاق"));
    m_close->hide();
    connect(m_close, &QToolButton::clicked, this, &SkinFrame::closeRequested);
    setCaption(caption);
}

void SkinFrame::setCaption(const QString& caption)
{
    m_caption->setText(caption);
    setAccessibleName(caption);
}

QString SkinFrame::caption() const
{
    return m_caption->text();
}

void SkinFrame::setCloseButton(bool shown)
{
    m_close->setVisible(shown);
}

bool SkinFrame::hasCloseButton() const
{
    return !m_close->isHidden();
}

void SkinFrame::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    // The caption reads from the leading edge; the close button sits at the trailing one.
    const int closeWidth = kCaptionHeight;
    const QRect band(4, 2, width() - 8, kCaptionHeight);
    const bool rtl = layoutDirection() == Qt::RightToLeft;
    const QRect closeRect = rtl ? QRect(band.left(), band.top(), closeWidth, kCaptionHeight)
                                : QRect(band.right() - closeWidth + 1, band.top(), closeWidth, kCaptionHeight);
    m_close->setGeometry(closeRect);
    m_caption->setGeometry(rtl ? band.adjusted(closeWidth + 4, 0, 0, 0) : band.adjusted(0, 0, -closeWidth - 4, 0));
    m_caption->setAlignment(Qt::AlignVCenter | Qt::AlignLeading);
}
