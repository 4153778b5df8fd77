#pragma once

#include <QStringList>
#include <QUrl>

class QMenu;
class QWidget;

// Calls a number and writes to an address through the desktop's own tel: and mailto: handlers,
// and copies a number. Where the desktop has no handler, the user is told once a session.
class ContactLinks
{
public:
    // tel: with the number as dialled: digits and + * # only.
    static QUrl telUrl(const QString& number);
    // mailto: with exactly one address; empty for a value that would say more (headers, an
    // attachment, other recipients) or is no address.
    static QUrl mailUrl(const QString& address);
    static void call(QWidget* parent, const QString& number);
    static void mail(QWidget* parent, const QString& address);
    static void copyNumber(const QString& number);

    // A contact's numbers (the list's columns: name, home, work, mobile, fax, ...), each with
    // the name of its kind, for the contact menu.
    static QList<QPair<QString, QString>> numbers(const QStringList& columns);
    static void fillCalls(QMenu* menu, const QStringList& columns, QWidget* parent);
    static void fillMail(QMenu* menu, const QStringList& columns, QWidget* parent);
    static void fillCopies(QMenu* menu, const QStringList& columns);

private:
    static void open(QWidget* parent, const QUrl& url, bool& told, const QString& noHandler);
};
