#pragma once

#include <QPushButton>

// A dialog button of the themed suite: a caption, visibility and a click.
class SkinButton : public QPushButton
{
    Q_OBJECT
public:
    explicit SkinButton(const QString& caption = QString(), QWidget* parent = nullptr);
    void setCaption(const QString& caption);
    QString caption() const { return text(); }
};
