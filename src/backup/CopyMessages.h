#pragma once

#include <QString>

// The reason a copy failed, told in the user's language.
class CopyMessages
{
public:
    static QString reason(const QString& failure);
};
