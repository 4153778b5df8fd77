#include "CardMerge.h"

#include "OutsideText.h"
#include "VCardReader.h"
#include "VCardWriter.h"

#include <QHash>
#include <QList>
#include <QSet>

#include <map>
#include <optional>
#include <set>
#include <vector>

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

// The properties more values are read from.
bool holdsMore(const QByteArray& name)
{
    static const QList<QByteArray> kNames{"TEL",         "EMAIL",         "ADR",      "URL",  "BDAY",
                                          "ANNIVERSARY", "X-ANNIVERSARY", "X-ABDATE", "PHOTO"};
    return kNames.contains(name);
}

// A server's card is outside text: nothing in it may steer a terminal or turn a name around.
void clean(ContactValue& value)
{
    value.label = OutsideText::oneLine(value.label);
    if (value.kind != ContactValue::Kind::Photo)
        value.value = OutsideText::oneLine(value.value);
}

// The lines of each group that say something about it ("item1.X-ABLabel:..."), by group.
std::map<QByteArray, Lines> groupLabels(const Lines& lines)
{
    std::map<QByteArray, Lines> labels;
    for (const QByteArray& line : lines)
        if (const QByteArray group = groupOf(line); !group.isEmpty() && propertyName(line).startsWith("X-AB"))
            labels[group].append(line);
    return labels;
}

// What one property reads as when every field of its kind is taken: the more value it stands for.
std::optional<ContactValue> valueOf(const QByteArray& versionLine, const QByteArray& line, const Lines& labels)
{
    QByteArray card = "BEGIN:VCARD\r\n" + versionLine +
                      "FN:-\r\nTEL;TYPE=HOME:\x01"
                      "1\r\nTEL;TYPE=WORK:\x01"
                      "2\r\n"
                      "TEL;TYPE=CELL:\x01"
                      "3\r\nTEL;TYPE=FAX:\x01"
                      "4\r\nEMAIL:\x01"
                      "5\r\nADR:;;\x01"
                      "6;;;;\r\n";
    for (const QByteArray& label : labels)
        card += label;
    card += line;
    card += "END:VCARD\r\n";
    VCardReader reader;
    reader.keepMoreValues(true);
    if (!reader.read(card) || reader.moreValues().empty() || reader.moreValues().front().size() != 1)
        return std::nullopt;
    ContactValue value = reader.moreValues().front().front();
    clean(value);
    return value;
}

// Our own lines for one more value, as the writer words them in this card's version, in a group
// of their own that no line of the card has.
Lines ownLines(int version, const ContactValue& value, std::set<QByteArray>& groups)
{
    Lines lines;
    QByteArray fresh;
    for (QByteArray line : logicalLines(VCardWriter(version).card({}, {value}))) {
        const QByteArray name = propertyName(line);
        if (!holdsMore(name) && name != "X-ABLABEL")
            continue;
        if (const QByteArray group = groupOf(line); !group.isEmpty()) {
            for (int number = 1; fresh.isEmpty(); ++number)
                if (const QByteArray candidate = "ITEM" + QByteArray::number(number); !groups.count(candidate))
                    fresh = candidate;
            line = "item" + fresh.mid(4) + line.mid(group.size());
        }
        lines.append(line);
    }
    if (!fresh.isEmpty())
        groups.insert(fresh);
    return lines;
}

// The more values that changed since the last sync, put into the card: each synced value is the
// last property that reads as it; a value kept stays as it is, an edited one takes its
// property's place (keeping its group and parameters when the new value reads right so), a
// removed one's property goes, and a new one goes before the card's end.
void mergeMore(const Lines& lines, const MoreValues& synced, const MoreValues& local, int version,
               std::set<qsizetype>& removed, std::map<qsizetype, Lines>& inPlace, Lines& added)
{
    QByteArray versionLine = "VERSION:3.0\r\n";
    std::set<QByteArray> groups;
    for (const QByteArray& line : lines) {
        if (propertyName(line) == "VERSION")
            versionLine = line.endsWith('\n') ? line : line + "\r\n";
        if (const QByteArray group = groupOf(line); !group.isEmpty())
            groups.insert(group);
    }
    // A number, e-mail or web page written plainly reads as its text: only a line whose text some
    // synced value has is read through (a card of thousands of numbers is read once, not once each).
    QSet<QString> plainValues;
    for (const ContactValue& value : synced)
        plainValues.insert(value.value);
    auto mayBeSynced = [&plainValues](const QByteArray& line) {
        const QByteArray name = propertyName(line);
        if (name != "TEL" && name != "EMAIL" && name != "URL")
            return true;
        const qsizetype start = valueStart(line);
        const QByteArray params = line.left(start).toUpper();
        QByteArray value = line.mid(start);
        value.replace("\r\n ", "").replace("\n ", "").replace("\r\n\t", "").replace("\n\t", "");
        value = value.trimmed();
        if (start < 0 || params.contains("ENCODING") || params.contains("CHARSET") || value.contains('\\') ||
            value.toLower().startsWith("tel:"))
            return true;
        return plainValues.contains(QString::fromUtf8(value));
    };
    const std::map<QByteArray, Lines> labels = groupLabels(lines);
    auto labelsOf = [&labels](const QByteArray& line) {
        const auto found = labels.find(groupOf(line));
        return found == labels.end() ? Lines() : found->second;
    };
    std::vector<std::optional<ContactValue>> lineValue(size_t(lines.size()));
    QHash<QString, std::vector<qsizetype>> linesOf; // by value, in the card's order
    auto keyOf = [](const ContactValue& value) {
        return ContactValue::kindName(value.kind) + QChar(0) + value.label + QChar(0) + value.calendar + QChar(0) +
               value.value;
    };
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (!removed.count(i) && holdsMore(propertyName(lines[i])) && mayBeSynced(lines[i]))
            if ((lineValue[size_t(i)] = valueOf(versionLine, lines[i], labelsOf(lines[i]))))
                linesOf[keyOf(*lineValue[size_t(i)])].push_back(i);
    // Fields take the first value of their kind, so a more value is the last line that reads as it.
    std::vector<qsizetype> owner(synced.size(), -1);
    for (size_t s = synced.size(); s-- > 0;)
        if (const auto found = linesOf.find(keyOf(synced[s])); found != linesOf.end() && !found->empty()) {
            owner[s] = found->back();
            found->pop_back();
        }

    auto dropLabels = [&](qsizetype at) {
        const QByteArray group = groupOf(lines[at]);
        if (group.isEmpty())
            return;
        for (qsizetype i = 0; i < lines.size(); ++i)
            if (i != at && groupOf(lines[i]) == group && !propertyName(lines[i]).startsWith("X-AB"))
                return; // the group still holds another property: its label stays
        for (qsizetype i = 0; i < lines.size(); ++i)
            if (i != at && groupOf(lines[i]) == group)
                removed.insert(i);
    };
    auto replace = [&](qsizetype at, const ContactValue& was, const ContactValue& now) {
        const Lines own = ownLines(version, now, groups);
        removed.insert(at);
        const auto main =
            std::find_if(own.begin(), own.end(), [](const QByteArray& line) { return holdsMore(propertyName(line)); });
        if (was.label == now.label && main != own.end()) {
            const QByteArray kept = withValue(lines[at], *main);
            if (kept != *main && valueOf(versionLine, kept, labelsOf(lines[at])) == now) {
                inPlace[at].append(kept);
                return;
            }
        }
        inPlace[at] += own;
        dropLabels(at);
    };

    std::vector<bool> keptSynced(synced.size(), false), keptLocal(local.size(), false);
    for (size_t l = 0; l < local.size(); ++l)
        for (size_t s = 0; s < synced.size(); ++s)
            if (!keptSynced[s] && synced[s] == local[l]) {
                keptSynced[s] = keptLocal[l] = true;
                break;
            }
    // What is left: a synced value became the local one of its kind (and label, where one has
    // it) in their order; the rest were removed or added.
    std::vector<std::optional<size_t>> from(local.size());
    for (const bool sameLabel : {true, false})
        for (size_t l = 0; l < local.size(); ++l)
            for (size_t s = 0; s < synced.size() && !keptLocal[l]; ++s)
                if (!keptSynced[s] && owner[s] >= 0 && synced[s].kind == local[l].kind &&
                    (!sameLabel || synced[s].label == local[l].label)) {
                    keptSynced[s] = keptLocal[l] = true;
                    from[l] = s;
                }
    for (size_t l = 0; l < local.size(); ++l)
        if (from[l])
            replace(owner[*from[l]], synced[*from[l]], local[l]);
        else if (!keptLocal[l])
            added += ownLines(version, local[l], groups);
    for (size_t s = 0; s < synced.size(); ++s)
        if (!keptSynced[s] && owner[s] >= 0) {
            removed.insert(owner[s]);
            dropLabels(owner[s]);
        }
}

} // namespace

CardMerge::Read CardMerge::readAll(const QByteArray& card)
{
    VCardReader reader;
    reader.keepMoreValues(true);
    if (!reader.read(card) || reader.contacts().empty())
        return {};
    Read result{OutsideText::contact(reader.contacts().front())};
    for (ContactValue value : reader.moreValues().front()) {
        clean(value);
        if (value.value.isEmpty())
            continue;
        if (result.more.size() >= kMostValues || value.label.size() > kMostValueChars ||
            (value.kind != ContactValue::Kind::Photo && value.value.size() > kMostValueChars))
            ++result.leftOnCard;
        else
            result.more.push_back(value);
    }
    return result;
}

ContactFields CardMerge::read(const QByteArray& card)
{
    // A photo has no say in the fields: it is not decoded for them.
    if (!card.contains("PHOTO") && !card.contains("photo"))
        return readAll(card).fields;
    Lines lines = logicalLines(card);
    lines.removeIf([](const QByteArray& line) { return propertyName(line) == "PHOTO"; });
    return readAll(joined(lines)).fields;
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

QByteArray CardMerge::merge(const QByteArray& serverCard, const ContactFields& synced, const ContactFields& local,
                            const MoreValues& syncedMore, const MoreValues& localMore)
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
    // A card may hold several of these properties; each field owns one of them. Numbers first, then the
    // e-mail, then the address: new lines join the card in that order.
    const std::pair<ContactField::Kind, QByteArray> valued[] = {{ContactField::Kind::Number, "TEL"},
                                                                {ContactField::Kind::Email, "EMAIL"},
                                                                {ContactField::Kind::Address, "ADR"}};
    for (const auto& [fieldKind, kind] : valued)
        for (const ContactField& each : ContactFields::kFields) {
            const Field field = each.member;
            if (each.kind != fieldKind || local.*field == synced.*field)
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

    if (syncedMore != localMore)
        mergeMore(lines, syncedMore, localMore, version, removed, inPlace, added);

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
