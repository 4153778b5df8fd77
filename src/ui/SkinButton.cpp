#include "SkinButton.h"

SkinButton::SkinButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent)
{
    setAccessibleName(caption);
    setAutoDefault(false);
}

void SkinButton::setCaption(const QString& caption)
{
    setText(caption);
    setAccessibleName(caption);
}
