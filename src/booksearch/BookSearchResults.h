#pragma once

#include "BookSearchIndex.h"

#include <QAbstractTableModel>
#include <QStringList>

// The contacts a search through the whole book found, one row each: the name, mobile, home and
// work numbers, the e-mail, the directory, and where the query was found when that is not one
// of them. The cell that matched is marked.
class BookSearchResults : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { TextColumn, MobileColumn, HomeColumn, WorkColumn, EmailColumn, DirectoryColumn, FoundInColumn };
    struct Contact {
        QStringList columns; // the nine fields, then the directory's code
        QString directory;   // its name
        BookSearchIndex::Field field = BookSearchIndex::Name;
        bool bySound = false;
        QString moreValue{}; // found in a more value: its caption and text
    };

    using QAbstractTableModel::QAbstractTableModel;

    void setContacts(QList<Contact> contacts);
    const Contact& contact(int row) const { return m_contacts.at(row); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QString text(const Contact& contact, int column) const;
    bool marked(const Contact& contact, int column) const;

    QList<Contact> m_contacts;
};
