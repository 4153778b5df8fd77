#pragma once

#include <QLabel>

// A fixed text of a dialog.
class SkinLabel : public QLabel
{
    Q_OBJECT
public:
    explicit SkinLabel(const QString& caption = QString(), QWidget* parent = nullptr);
    void setCaption(const QString& caption);
    QString caption() const { return text(); }
};
