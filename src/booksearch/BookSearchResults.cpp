#include "BookSearchResults.h"

#include "ContactFields.h"

#include <QBrush>
#include <QColor>
#include <QFont>

namespace
{

// The editor's names of the fields.
QString fieldCaption(BookSearchIndex::Field field)
{
    // The index numbers the fields in the table's column order.
    static_assert(int(BookSearchIndex::kFieldCount) == ContactFields::kCount);
    return field < BookSearchIndex::kFieldCount ? ContactFields::kFields[size_t(field)].captionText() : QString();
}

// The field a column shows, or kFieldCount for the directory and "found in" columns.
BookSearchIndex::Field fieldOf(int column)
{
    switch (column) {
    case BookSearchResults::TextColumn:
        return BookSearchIndex::Name;
    case BookSearchResults::MobileColumn:
        return BookSearchIndex::Mobile;
    case BookSearchResults::HomeColumn:
        return BookSearchIndex::HomeTel;
    case BookSearchResults::WorkColumn:
        return BookSearchIndex::JobTel;
    case BookSearchResults::EmailColumn:
        return BookSearchIndex::Email;
    default:
        return BookSearchIndex::kFieldCount;
    }
}

bool readsLeftToRight(int column)
{
    return column >= BookSearchResults::MobileColumn && column <= BookSearchResults::EmailColumn;
}

// One line of a longer text, shortened with an ellipsis.
QString shortLine(const QString& text)
{
    QString line = text.simplified();
    if (line.size() > 60)
        line = line.left(59) + QChar(0x2026);
    return line;
}

} // namespace

void BookSearchResults::setContacts(QList<Contact> contacts)
{
    beginResetModel();
    m_contacts = std::move(contacts);
    endResetModel();
}

int BookSearchResults::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_contacts.size());
}

int BookSearchResults::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FoundInColumn + 1;
}

QString BookSearchResults::text(const Contact& contact, int column) const
{
    const BookSearchIndex::Field field = fieldOf(column);
    if (field != BookSearchIndex::kFieldCount)
        return contact.columns.value(field);
    if (column == DirectoryColumn)
        return contact.directory;
    if (contact.bySound)
        return QStringLiteral("تطابق بالنطق");
    if (contact.field == BookSearchIndex::MoreValue)
        return shortLine(contact.moreValue);
    // Found in a field no column shows: which, and its text.
    for (int shown = TextColumn; shown <= EmailColumn; ++shown)
        if (fieldOf(shown) == contact.field)
            return {};
    return fieldCaption(contact.field) + QStringLiteral(": ") + shortLine(contact.columns.value(contact.field));
}

bool BookSearchResults::marked(const Contact& contact, int column) const
{
    if (contact.bySound)
        return column == TextColumn;
    return fieldOf(column) == contact.field || (column == FoundInColumn && !text(contact, column).isEmpty());
}

QVariant BookSearchResults::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_contacts.size())
        return {};
    const Contact& contact = m_contacts.at(index.row());
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole: {
        const QString shown = text(contact, column);
        // A number or an address reads left to right inside the right-to-left table.
        if (readsLeftToRight(column) && !shown.isEmpty())
            return QChar(0x2066) + shown + QChar(0x2069);
        return shown;
    }
    case Qt::AccessibleTextRole:
    case Qt::ToolTipRole:
        return text(contact, column);
    case Qt::FontRole:
        if (marked(contact, column)) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    case Qt::BackgroundRole:
        return marked(contact, column) ? QBrush(QColor(0xff, 0xe8, 0x9c)) : QVariant();
    case Qt::ForegroundRole:
        return marked(contact, column) ? QBrush(Qt::black) : QVariant();
    default:
        return {};
    }
}

QVariant BookSearchResults::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case DirectoryColumn:
        return QStringLiteral("الدليل");
    case FoundInColumn:
        return QStringLiteral("وجد فى");
    default:
        return fieldCaption(fieldOf(section));
    }
}
