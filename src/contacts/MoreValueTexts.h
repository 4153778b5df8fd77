#pragma once

#include "ContactValue.h"

#include <QDate>
#include <QString>

// How a contact's more values read on screen: the Arabic caption of each kind and label, and a
// date in both calendars.
class MoreValueTexts
{
public:
    // "جوال", "بريد إلكتروني", ... or the user's own label.
    static QString caption(const ContactValue& value);
    // The value as one line: an address street first, a date in both calendars.
    static QString shown(const ContactValue& value);
    // "١٥ رمضان ١٤٣٥ هـ — ١٢ يوليو ٢٠١٤"; a date without a year leaves the other calendar out,
    // for its day there changes from year to year.
    static QString bothCalendars(const ContactValue& date);
    // The Gregorian day of a stored date, invalid for a date without a year or no such day.
    static QDate gregorianOf(const ContactValue& date);
    // Any digits typed (Arabic-Indic included) as 0-9.
    static QString asciiDigits(const QString& text);

    // The words of the kinds and of the usual labels, in the order the choosers list them.
    static QString kindCaption(ContactValue::Kind kind);
    static QString labelCaption(ContactValue::Kind kind, const QString& label);
    static QStringList usualLabels(ContactValue::Kind kind);
};
