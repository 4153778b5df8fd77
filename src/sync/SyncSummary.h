#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// What a sync did, for the summary the user reads afterwards and for the command line.
struct SyncSummary {
    int received = 0;
    int sent = 0;
    int deleted = 0;
    // Contacts changed on both sides: the name, and the name the local version was kept under.
    QList<QPair<QString, QString>> conflicts;
    QList<QPair<QString, QString>> renamed; // the server's name, the name it was given here
    QStringList refused;  // contacts the server would not take, each with its reason
    int unreadable = 0;   // cards that are not cards (read again next time)
    bool readOnly = false; // the user may not write to the book: it was synced one way, server to book
    QString error;         // why the sync stopped, in Arabic; empty when it completed
    bool cancelled = false;

    bool completed() const { return error.isEmpty() && !cancelled; }
    void add(const SyncSummary& other);
    QString text() const;
};
