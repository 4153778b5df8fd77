#include "LimitedTextEdit.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>

#include <algorithm>

LimitedTextEdit::LimitedTextEdit(int limit, QWidget* parent) : QPlainTextEdit(parent), m_limit(limit), m_allowed(limit)
{
    connect(this, &QPlainTextEdit::textChanged, this, [this] { m_allowed = std::max(m_limit, length()); });
}

int LimitedTextEdit::length() const
{
    return document()->characterCount() - 1;
}

int LimitedTextEdit::room() const
{
    const QTextCursor cursor = textCursor();
    return m_allowed - (length() - (cursor.selectionEnd() - cursor.selectionStart()));
}

QString LimitedTextEdit::fitted(const QString& text) const
{
    const int free = std::max(0, room());
    if (text.size() <= free)
        return text;
    QString kept = text.left(free);
    // Never half of a character that takes two code units.
    if (!kept.isEmpty() && kept.back().isHighSurrogate())
        kept.chop(1);
    return kept;
}

void LimitedTextEdit::keyPressEvent(QKeyEvent* event)
{
    const bool isEnter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool typesText = isEnter || (!event->text().isEmpty() && event->text().at(0).isPrint() &&
                                       !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)));
    const QString typed = isEnter ? QStringLiteral("\n") : event->text();
    if (isReadOnly() || !typesText || fitted(typed).size() == typed.size()) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    // Full, or nearly: only what still fits goes in, and nothing else changes.
    event->accept();
    insertAtCursor(fitted(typed));
}

void LimitedTextEdit::inputMethodEvent(QInputMethodEvent* event)
{
    const QString kept = fitted(event->commitString());
    if (kept.size() == event->commitString().size()) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent shortened(event->preeditString(), event->attributes());
    shortened.setCommitString(kept, event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&shortened);
}

void LimitedTextEdit::insertFromMimeData(const QMimeData* source)
{
    if (!source || !source->hasText() || isReadOnly())
        return;
    const QString text = source->text();
    const QString kept = fitted(text);
    if (kept.size() == text.size()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    insertAtCursor(kept);
}

void LimitedTextEdit::insertAtCursor(const QString& text)
{
    if (text.isEmpty())
        return;
    QTextCursor cursor = textCursor();
    cursor.insertText(text);
    setTextCursor(cursor);
}
