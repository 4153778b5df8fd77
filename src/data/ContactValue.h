#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// One value of a contact beyond its nine fields: a second or third number, another e-mail or
// address, a web page, a date, the photo. The nine fields stay the first value of their kind;
// these are the "more" values, kept in the order the user gave them.
struct ContactValue {
    enum class Kind { Phone, Email, Address, Web, Date, Photo };

    Kind kind = Kind::Phone;
    // A number: "mobile", "home", "work", "fax", "other" or the user's own word; a date:
    // "birthday", "anniversary" or the user's own; others: the user's own or empty.
    QString label{};
    // An address: its seven vCard parts (see parts()); a date: yyyy-mm-dd, or --mm-dd without a
    // year, counted in its calendar; a photo: its JPEG or PNG bytes in base64.
    QString value{};
    // Dates only: kGregorian or kHijri.
    QString calendar{};

    static constexpr const char* kGregorian = "gregorian";
    static constexpr const char* kHijri = "islamic-umalqura";

    bool operator==(const ContactValue&) const = default;

    // The kind as stored and back; nullopt for a word no kind has.
    static QString kindName(Kind kind);
    static std::optional<Kind> kindNamed(const QString& name);

    // An address's parts, in vCard's order: PO box, extended, street, locality, region, postal
    // code, country. Stored with ";" between them and "\" before a ";" or "\" of their own.
    static QString joinParts(const QStringList& parts);
    QStringList parts() const;
    // The address on one line, street first, as the address field shows it.
    QString oneLine() const;
};

using MoreValues = std::vector<ContactValue>;
