#pragma once

#include <QString>

// A name kept as one text, split the way other address books store names: the first word is the
// given name, the last the family name and the words between the middle names. A name of one
// word is a given name only.
struct PersonName {
    QString given;
    QString middle;
    QString family;

    static PersonName split(const QString& name);
};
