#pragma once

#include "ContactFields.h"
#include "ContactValue.h"
#include "DataConnection.h"

#include <QSet>
#include <QString>

#include <functional>
#include <vector>

// Finds contacts that are likely one person: the same telephone number however it is written,
// the same e-mail address in any case, or names that are equal once folded or sound alike in
// either script. Names alone are not enough when the two contacts plainly belong to two people:
// both have numbers and none is shared, or both have e-mail addresses that differ.
class DuplicateFinder
{
public:
    // Strongest first.
    enum class Reason { SameNumber, SameEmail, SameName, SoundAlike };

    struct Group {
        std::vector<int> members; // indexes into the contacts given, in that order
        Reason reason = Reason::SoundAlike;
        QString shared; // the number or address they share, when that is the reason
    };

    // region: how numbers without a country code are read (see PhoneMatch).
    explicit DuplicateFinder(const QString& region) : m_region(region) {}
    // Pairs the user said are not one person, by their names; never put in one group together.
    void setNotDuplicates(const QSet<QString>& pairKeys) { m_notDuplicates = pairKeys; }
    static QString pairKey(const QString& a, const QString& b);

    // more[i], when given, holds contact i's more values: its other numbers and e-mails count too.
    std::vector<Group> find(const std::vector<ContactFields>& contacts, const std::vector<MoreValues>& more = {}) const;

    // How many of added are likely one person with a contact of the book. The book's contacts are
    // handed over one by one by readBook (false: it could not read them, and 0 is counted); only
    // those that share a number's tail, an e-mail, a folded name or a name's sound with one of
    // added are kept, so a large book is never held in memory.
    using Visitor = std::function<void(const ContactFields&)>;
    int countLikelyDuplicates(const std::function<bool(const Visitor&)>& readBook,
                              const std::vector<ContactFields>& added) const;

    // The same over the book's directories without a password and the directory dir, with the
    // region the user chose; -1 when the book holds more than kLargestBookChecked contacts
    // (reading them all would take seconds: the window for duplicates is the place for that).
    static int countInBook(DataConnection& connection, const std::vector<ContactFields>& added, const QString& dir);
    static constexpr qint64 kLargestBookChecked = 250000;

private:
    QString m_region;
    QSet<QString> m_notDuplicates;
};
