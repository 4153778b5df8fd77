#include "SkinLabel.h"

SkinLabel::SkinLabel(const QString& caption, QWidget* parent) : QLabel(caption, parent)
{
    setAccessibleName(caption);
    setTextFormat(Qt::PlainText);
}

void SkinLabel::setCaption(const QString& caption)
{
    setText(caption);
    setAccessibleName(caption);
}
