#pragma once

#include "ContactFields.h"

#include <QByteArray>

// Puts a local edit into the server's card without losing what this program does not show:
// only the properties behind the fields that changed since the last sync are replaced (the
// name, a number, the e-mail, the address, the organisation, the notes); a photo, a birthday,
// further numbers, categories and X- properties stay byte for byte.
class CardMerge
{
public:
    static QByteArray merge(const QByteArray& serverCard, const ContactFields& synced, const ContactFields& local);

    // The fields this program reads from a card (empty fields when it holds none).
    static ContactFields read(const QByteArray& card);
    // The card's UID, empty when it has none.
    static QString uid(const QByteArray& card);
};
