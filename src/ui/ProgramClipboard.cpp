#include "ProgramClipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace
{
QString& lastPut()
{
    static QString text;
    return text;
}
} // namespace

void ProgramClipboard::setText(const QString& text)
{
    lastPut() = text;
    QGuiApplication::clipboard()->setText(text);
}

void ProgramClipboard::clearIfStillOurs()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!lastPut().isEmpty() && clipboard->text() == lastPut())
        clipboard->clear();
    lastPut().clear();
}
