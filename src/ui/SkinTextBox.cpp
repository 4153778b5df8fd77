#include "SkinTextBox.h"

#include "Units.h"

SkinTextBox::SkinTextBox(QWidget* parent) : QLineEdit(parent) {}

void SkinTextBox::setPasswordChar(QChar mask)
{
    m_mask = mask;
    setEchoMode(mask.isNull() ? QLineEdit::Normal : QLineEdit::Password);
    // Show the chosen character rather than the style's bullet.
    setStyleSheet(mask.isNull() ? QString()
                                : QStringLiteral("QLineEdit { lineedit-password-character: %1; }").arg(mask.unicode()));
    setBackColor(m_backColor);
}

void SkinTextBox::setBackColor(quint32 bgr)
{
    m_backColor = bgr;
    QPalette p = palette();
    p.setColor(QPalette::Base, Units::bgr(bgr));
    setPalette(p);
}
