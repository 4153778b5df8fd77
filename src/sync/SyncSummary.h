#pragma once

#include "ContactFields.h"
#include "DavResponse.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <vector>

// What a sync did, for the summary the user reads afterwards and for the command line. Why a
// sync stopped is kept as a code with what it concerns; error() and text() say it in Arabic.
struct SyncSummary {
    enum class Stop {
        None,
        Server,         // the server's answer (or its absence) in answer
        Locked,         // the directory is locked
        Storage,        // the book could not take the server's changes; detail: the database's words
        EndlessListing, // the server's list of changes never ended
        NoPassword,     // no password for the account; detail: the user name
        TooMuch,        // the server sent more cards, in all its answers, than one sync keeps
        PlainHttp,      // a link over plain http to another machine that the user did not agree to
    };
    // A contact the server would not take, and its answer.
    struct Refusal {
        QString name;
        DavResponse answer;
    };

    int received = 0;
    int sent = 0;
    int deleted = 0;
    // Contacts changed on both sides: the name, and the name the local version was kept under.
    QList<QPair<QString, QString>> conflicts;
    QList<QPair<QString, QString>> renamed; // the server's name, the name it was given here
    QList<Refusal> refused;
    int unreadable = 0; // cards that are not cards (read again next time)
    // Values a card holds beyond what a contact here takes: they stay on the server's card.
    int valuesLeft = 0;
    bool readOnly = false; // the user may not write to the book: it was synced one way, server to book
    Stop stop = Stop::None;
    DavResponse answer; // Server: the answer that stopped the sync, without its body
    QUrl book;          // the address book the stop concerns
    QString detail;
    bool cancelled = false;
    // The contacts it added here (name, numbers and e-mail), and how many of them are likely
    // duplicates of contacts the book had (-1: the book is too large to look through at once).
    std::vector<ContactFields> added{};
    int likelyDuplicates = 0;

    bool completed() const { return stop == Stop::None && !cancelled; }
    // The server's answer to a request about book stopped the sync (or the user cancelled it);
    // the answer is kept without its body.
    void stopAt(const DavResponse& stopping, const QUrl& at);
    // Why the sync stopped, in Arabic; empty when it completed.
    QString error() const;
    void add(const SyncSummary& other);
    QString text() const;
};
