#pragma once

#include <QPlainTextEdit>

// A multi-line box whose limit refuses only the excess of what the user types, pastes, drops or
// composes: the text already there, the cursor and the undo history stay as they were. Text the
// program loads is kept whole, however long; it may then only shrink until it fits.
class LimitedTextEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    LimitedTextEdit(int limit, QWidget* parent = nullptr);

    int limit() const { return m_limit; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    int length() const;
    // How many characters an insertion at the cursor may add (a selection is replaced).
    int room() const;
    QString fitted(const QString& text) const;
    void insertAtCursor(const QString& text);

    int m_limit;
    int m_allowed;
};
