#pragma once

#include <QLineEdit>

// A one-line box of the themed suite: text, read-only, maximum length, a password character
// that stands for every shown character, and a background colour.
class SkinTextBox : public QLineEdit
{
    Q_OBJECT
public:
    explicit SkinTextBox(QWidget* parent = nullptr);

    void setPasswordChar(QChar mask);
    QChar passwordChar() const { return m_mask; }
    void setBackColor(quint32 bgr);
    quint32 backColor() const { return m_backColor; }

private:
    QChar m_mask;
    quint32 m_backColor = 0xFFFFFF;
};
