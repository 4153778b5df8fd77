#pragma once

#include "ContactFields.h"
#include "ContactValue.h"

#include <QByteArray>

// Puts a local edit into the server's card without losing what this program does not show:
// only the properties behind the fields and more values that changed since the last sync are
// replaced (the name, a number, an e-mail, an address, a web page, a date, the photo, the
// organisation, the notes); categories, X- properties and every unchanged value stay byte for
// byte.
class CardMerge
{
public:
    static QByteArray merge(const QByteArray& serverCard, const ContactFields& synced, const ContactFields& local,
                            const MoreValues& syncedMore = {}, const MoreValues& localMore = {});

    // More values beyond these stay on the server's card, untouched, and are not taken here: a
    // contact is for people to read, and a card of thousands of numbers is not one.
    static constexpr size_t kMostValues = 200;
    static constexpr qsizetype kMostValueChars = 4096; // a value's or a label's, a photo aside

    // What this program reads from a card: its fields and more values (empty when it holds none),
    // cleaned as outside text, and how many values it left on the card.
    struct Read {
        ContactFields fields{};
        MoreValues more{};
        int leftOnCard = 0;
    };
    static Read readAll(const QByteArray& card);
    // The fields alone.
    static ContactFields read(const QByteArray& card);
    // The card's UID, empty when it has none.
    static QString uid(const QByteArray& card);
};
