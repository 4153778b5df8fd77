#pragma once

#include <QString>

class QWidget;

// The one question asked before anything is deleted, with Arabic Yes/No buttons: only Yes
// goes on.
class DeleteQuestion
{
public:
    static bool confirmed(QWidget* owner, const QString& question);
};
