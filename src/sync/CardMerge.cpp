#include "CardMerge.h"

#include "OutsideText.h"
#include "VCardReader.h"
#include "VCardWriter.h"

#include <QList>

#include <map>
#include <set>

namespace
{

using Lines = QList<QByteArray>;

// The card's properties, each with its folded continuation lines and line end, as the server sent them.
Lines logicalLines(const QByteArray& card)
{
    Lines lines;
    qsizetype start = 0;
    while (start < card.size()) {
        qsizetype end = card.indexOf('\n', start);
        end = end < 0 ? card.size() : end + 1;
        const QByteArray physical = card.mid(start, end - start);
        const bool continuation = !lines.isEmpty() && (physical.startsWith(' ') || physical.startsWith('\t'));
        if (continuation)
            lines.last() += physical;
        else if (!physical.trimmed().isEmpty())
            lines.append(physical);
        start = end;
    }
    return lines;
}

// "item1.TEL;TYPE=cell:..." → "TEL".
QByteArray propertyName(const QByteArray& line)
{
    qsizetype end = 0;
    while (end < line.size() && line[end] != ':' && line[end] != ';')
        ++end;
    QByteArray name = line.left(end).trimmed().toUpper();
    if (const qsizetype dot = name.lastIndexOf('.'); dot >= 0)
        name = name.mid(dot + 1);
    return name;
}

QByteArray joined(const Lines& lines, const std::set<qsizetype>& leaveOut = {})
{
    QByteArray out;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (leaveOut.count(i))
            continue;
        out += lines[i];
        if (!out.endsWith('\n'))
            out += "\r\n";
    }
    return out;
}

// Our own lines for one field's value, as the writer words them in this card's version.
Lines ownLines(int version, const ContactFields& only, const QList<QByteArray>& names)
{
    Lines lines;
    for (const QByteArray& line : logicalLines(VCardWriter(version).card(only)))
        if (names.contains(propertyName(line)))
            lines.append(line);
    return lines;
}

// "item1.TEL;TYPE=cell:..." → "item1".
QByteArray groupOf(const QByteArray& line)
{
    qsizetype end = 0;
    while (end < line.size() && line[end] != ':' && line[end] != ';')
        ++end;
    const QByteArray name = line.left(end).trimmed();
    const qsizetype dot = name.lastIndexOf('.');
    return dot < 0 ? QByteArray() : name.left(dot).toUpper();
}

// Where the value starts: after the first colon outside a quoted parameter.
qsizetype valueStart(const QByteArray& line)
{
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted)
            return i + 1;
    }
    return -1;
}

// A new value put into the line it replaces: its group, name and parameters (PREF, VOICE, TYPE,
// a label's group) stay; only a value written plainly is replaced so.
QByteArray withValue(const QByteArray& original, const QByteArray& own)
{
    const qsizetype originalStart = valueStart(original);
    const qsizetype ownStart = valueStart(own);
    const QByteArray params = original.left(originalStart).toUpper();
    if (originalStart < 0 || ownStart < 0 || params.contains("ENCODING") || params.contains("CHARSET") ||
        own.left(ownStart).toUpper().contains("ENCODING"))
        return own;
    return original.left(originalStart) + own.mid(ownStart);
}

using Field = QString ContactFields::*;

} // namespace

ContactFields CardMerge::read(const QByteArray& card)
{
    VCardReader reader;
    if (!reader.read(card) || reader.contacts().empty())
        return {};
    // A server's card is outside text: nothing in it may steer a terminal or turn a name around.
    return OutsideText::contact(reader.contacts().front());
}

QString CardMerge::uid(const QByteArray& card)
{
    for (const QByteArray& line : logicalLines(card))
        if (propertyName(line) == "UID") {
            QByteArray value = line.mid(line.indexOf(':') + 1);
            value.replace("\r\n ", "").replace("\n ", "");
            return QString::fromUtf8(value.trimmed());
        }
    return {};
}

QByteArray CardMerge::merge(const QByteArray& serverCard, const ContactFields& synced, const ContactFields& local)
{
    const Lines lines = logicalLines(serverCard);
    const ContactFields base = read(serverCard);
    int version = 3;
    for (const QByteArray& line : lines)
        if (propertyName(line) == "VERSION" && line.contains("4.0"))
            version = 4;

    std::set<qsizetype> removed;
    // A replaced property's new lines take its place, so readers that go by order (the first
    // mobile number, say) read the new value where they read the old; a new one goes last.
    std::map<qsizetype, Lines> inPlace;
    Lines added;
    auto place = [&](qsizetype at, const Lines& own) {
        if (at >= 0)
            inPlace[at] += own;
        else
            added += own;
    };
    // The property behind a field is the one whose replacement changes that field alone: with
    // two numbers of no kind, the second one, not the first that the second would move up into.
    // The new value keeps the line's group, name and parameters (PREF, VOICE, TYPE, a label's
    // group) when that still reads as the field.
    auto replaceOwner = [&](Field field, const QByteArray& kind, const Lines& own) -> bool {
        if ((base.*field).isEmpty() || own.size() > 1)
            return false;
        ContactFields wanted = base;
        wanted.*field = local.*field;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (removed.count(i) || propertyName(lines[i]) != kind)
                continue;
            Lines candidates;
            if (!own.isEmpty())
                candidates << withValue(lines[i], own.front()) << own.front();
            for (const QByteArray& candidate : candidates.isEmpty() ? Lines{QByteArray()} : candidates) {
                Lines trial = lines;
                if (candidate.isEmpty())
                    trial.removeAt(i);
                else
                    trial[i] = candidate;
                if (read(joined(trial)) != wanted)
                    continue;
                removed.insert(i);
                if (!candidate.isEmpty())
                    inPlace[i].append(candidate);
                return true;
            }
        }
        return false;
    };
    auto removeNamed = [&](const QList<QByteArray>& names) {
        qsizetype first = -1;
        for (qsizetype i = 0; i < lines.size(); ++i)
            if (names.contains(propertyName(lines[i]))) {
                removed.insert(i);
                if (first < 0)
                    first = i;
            }
        return first;
    };
    // Otherwise the property behind a field is the one whose absence changes what the field reads.
    auto removeOwner = [&](Field field, const QByteArray& kind) -> qsizetype {
        if ((base.*field).isEmpty())
            return -1;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (removed.count(i) || propertyName(lines[i]) != kind)
                continue;
            if (read(joined(lines, {i})).*field != base.*field) {
                removed.insert(i);
                return i;
            }
        }
        return -1;
    };

    if (local.name != synced.name) {
        ContactFields only;
        only.name = local.name;
        place(removeNamed({"FN", "N"}), ownLines(version, only, {"FN", "N"}));
    }
    const struct {
        Field field;
        QByteArray kind;
    } valued[] = {{&ContactFields::hometel, "TEL"}, {&ContactFields::jobtel, "TEL"},  {&ContactFields::mobil, "TEL"},
                  {&ContactFields::fax, "TEL"},     {&ContactFields::email, "EMAIL"}, {&ContactFields::address, "ADR"}};
    for (const auto& [field, kind] : valued) {
        if (local.*field == synced.*field)
            continue;
        ContactFields only;
        only.*field = local.*field;
        const Lines own = ownLines(version, only, {kind});
        if (!replaceOwner(field, kind, own))
            place(removeOwner(field, kind), own);
    }
    if (local.org != synced.org) {
        ContactFields only;
        only.org = local.org;
        place(removeNamed({"ORG"}), ownLines(version, only, {"ORG"}));
    }
    if (local.moreinfo != synced.moreinfo) {
        // Values that found no field of their own were read into the notes; they are still on the
        // card as properties, so the notes written back leave them out again.
        Lines noteOnly;
        for (const QByteArray& line : lines) {
            const QByteArray name = propertyName(line);
            if (name == "BEGIN" || name == "VERSION" || name == "END" || name == "NOTE" ||
                name == "X-QAV-NOTE-LINE-ENDS")
                noteOnly.append(line);
        }
        const QString noteText = read(joined(noteOnly)).moreinfo;
        QString notes = local.moreinfo;
        if (base.moreinfo.startsWith(noteText)) {
            const QString moved = base.moreinfo.mid(noteText.size());
            if (!moved.isEmpty() && notes.endsWith(moved))
                notes.chop(moved.size());
        }
        ContactFields only;
        only.moreinfo = notes;
        place(removeNamed({"NOTE", "X-QAV-NOTE-LINE-ENDS"}), ownLines(version, only, {"NOTE", "X-QAV-NOTE-LINE-ENDS"}));
    }

    // A label whose property is gone goes with it ("item1.X-ABLabel" of a removed "item1.TEL").
    std::set<QByteArray> groupsLeft, groupsRemoved;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray group = groupOf(lines[i]);
        if (group.isEmpty() || propertyName(lines[i]).startsWith("X-AB"))
            continue;
        (removed.count(i) && !inPlace.count(i) ? groupsRemoved : groupsLeft).insert(group);
    }
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (const QByteArray group = groupOf(lines[i]); groupsRemoved.count(group) && !groupsLeft.count(group))
            removed.insert(i);

    // Our lines go just before the card's end.
    qsizetype end = lines.size();
    for (qsizetype i = lines.size() - 1; i >= 0; --i)
        if (propertyName(lines[i]) == "END") {
            end = i;
            break;
        }
    Lines result;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i == end)
            result += added;
        if (const auto own = inPlace.find(i); own != inPlace.end())
            result += own->second;
        if (!removed.count(i))
            result.append(lines[i]);
    }
    if (end == lines.size())
        result += added;
    return joined(result);
}
