#pragma once

#include <QList>
#include <QStringList>

class QMimeData;

// What contacts dragged out of the list carry: their vCard, and the same card as a file that
// file managers and mail composers take, in a folder only the user can read.
class ContactDrag
{
public:
    // contacts: each as the list shows its columns.
    static QMimeData* make(const QList<QStringList>& contacts);

    // The folder of this session's dragged cards, made on first use; "" when none could be made.
    static QString folder();
    // A file name for the card: the contact's name made safe, or a general one for several.
    static QString fileName(const QList<QStringList>& contacts);
};
