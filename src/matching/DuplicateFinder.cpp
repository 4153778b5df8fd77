#include "DuplicateFinder.h"

#include "ContactStore.h"
#include "DirectoryStore.h"
#include "PhoneMatch.h"
#include "SoundKey.h"
#include "TextFold.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <map>
#include <numeric>

namespace
{

constexpr auto kNumbers = ContactFields::membersOf<ContactField::Kind::Number>();

// Groups grow by joining pairs; each keeps the strongest reason one of its pairs had.
class Groups
{
public:
    explicit Groups(size_t count)
        : m_parent(count), m_reason(count, DuplicateFinder::Reason::SoundAlike), m_joined(count, false)
    {
        std::iota(m_parent.begin(), m_parent.end(), 0);
    }
    int root(int i)
    {
        while (m_parent[size_t(i)] != i)
            i = m_parent[size_t(i)] = m_parent[size_t(m_parent[size_t(i)])];
        return i;
    }
    void join(int a, int b, DuplicateFinder::Reason reason, const QString& shared)
    {
        m_joined[size_t(a)] = m_joined[size_t(b)] = true;
        a = root(a);
        b = root(b);
        DuplicateFinder::Reason best = reason;
        QString bestShared = shared;
        for (const int r : {a, b})
            if (m_reason[size_t(r)] < best) {
                best = m_reason[size_t(r)];
                bestShared = m_shared.value(r);
            }
        if (a != b)
            m_parent[size_t(b)] = a;
        m_reason[size_t(a)] = best;
        m_shared[a] = bestShared;
    }
    bool joined(int i) const { return m_joined[size_t(i)]; }
    DuplicateFinder::Reason reason(int rootIndex) const { return m_reason[size_t(rootIndex)]; }
    QString shared(int rootIndex) const { return m_shared.value(rootIndex); }

private:
    std::vector<int> m_parent;
    std::vector<DuplicateFinder::Reason> m_reason;
    std::vector<bool> m_joined;
    QHash<int, QString> m_shared;
};

QString plainEmail(const QString& email)
{
    return email.trimmed().toLower();
}

// The consonants of a sound key and the digits of the name: names in one bucket may sound alike.
QString soundBucket(const QByteArray& key, const QString& name)
{
    QString bucket;
    for (const char c : key)
        if ((c >= 'a' && c <= 'z') || c == ' ')
            bucket += QLatin1Char(c);
    bucket += QLatin1Char('#');
    for (const QChar ch : name)
        if (ch.isDigit())
            bucket += QChar(u'0' + ch.digitValue());
    return bucket;
}

// What a contact is compared by, made once: two contacts are looked at together only when they
// share one of these.
struct MatchKeys {
    std::array<qint64, kNumbers.size()> tails{}; // of the numbers, in field order; -1 where there is none
    QString email;
    QString folded;
    QByteArray soundKey;
    QString sound; // the bucket of soundKey, empty when the name has no consonant

    explicit MatchKeys(const ContactFields& contact)
        : email(plainEmail(contact.email)), folded(TextFold::fold(contact.name).simplified()),
          soundKey(SoundKey::of(contact.name))
    {
        for (size_t field = 0; field < tails.size(); ++field)
            tails[field] = PhoneMatch::tailNumber(contact.*kNumbers[field]);
        if (SoundKey::consonants(soundKey) > 0)
            sound = soundBucket(soundKey, contact.name);
    }
};

// Hands over the indexes of each set of equal, non-empty keys: sorted by hash, hash twins told
// apart by the keys themselves.
template <typename Key, typename Visit> void forEachSameKey(size_t count, Key keyOf, Visit visit)
{
    std::vector<std::pair<size_t, int>> hashed;
    hashed.reserve(count);
    for (size_t i = 0; i < count; ++i)
        if (!keyOf(i).isEmpty())
            hashed.push_back({qHash(keyOf(i)), int(i)});
    std::sort(hashed.begin(), hashed.end());
    for (size_t first = 0; first < hashed.size();) {
        size_t end = first + 1;
        while (end < hashed.size() && hashed[end].first == hashed[first].first)
            ++end;
        std::vector<bool> taken(end - first, false);
        for (size_t x = first; x < end; ++x) {
            if (taken[x - first])
                continue;
            std::vector<int> same{hashed[x].second};
            for (size_t y = x + 1; y < end; ++y)
                if (!taken[y - first] && keyOf(size_t(hashed[y].second)) == keyOf(size_t(hashed[x].second))) {
                    taken[y - first] = true;
                    same.push_back(hashed[y].second);
                }
            if (same.size() > 1)
                visit(same);
        }
        first = end;
    }
}

} // namespace

QString DuplicateFinder::pairKey(const QString& a, const QString& b)
{
    return a < b ? a + QLatin1Char('\n') + b : b + QLatin1Char('\n') + a;
}

std::vector<DuplicateFinder::Group> DuplicateFinder::find(const std::vector<ContactFields>& contacts,
                                                          const std::vector<MoreValues>& more) const
{
    const int count = int(contacts.size());
    Groups groups(contacts.size());
    PhoneMatch phones(m_region);
    auto allowed = [&](int a, int b) {
        return a != b && !m_notDuplicates.contains(pairKey(contacts[size_t(a)].name, contacts[size_t(b)].name));
    };

    std::vector<MatchKeys> keys;
    keys.reserve(contacts.size());
    for (const ContactFields& contact : contacts)
        keys.emplace_back(contact);

    // Every number and e-mail of each contact: the fields first, then its more values.
    std::vector<std::vector<QString>> numbers(contacts.size());
    std::vector<std::pair<QString, int>> emails;
    for (int i = 0; i < count; ++i) {
        for (const auto field : kNumbers)
            numbers[size_t(i)].push_back(contacts[size_t(i)].*field);
        if (!keys[size_t(i)].email.isEmpty())
            emails.emplace_back(keys[size_t(i)].email, i);
        if (size_t(i) >= more.size())
            continue;
        for (const ContactValue& value : more[size_t(i)]) {
            if (value.kind == ContactValue::Kind::Phone)
                numbers[size_t(i)].push_back(value.value);
            else if (value.kind == ContactValue::Kind::Email && !plainEmail(value.value).isEmpty())
                emails.emplace_back(plainEmail(value.value), i);
        }
    }

    // The same number: only numbers with the same last digits are read in full.
    struct Tail {
        qint64 tail;
        int contact;
        int field;
    };
    std::vector<Tail> tails;
    std::vector<bool> hasNumber(contacts.size(), false);
    tails.reserve(contacts.size() * 3);
    for (int i = 0; i < count; ++i)
        for (int field = 0; field < int(numbers[size_t(i)].size()); ++field) {
            const qint64 tail = field < int(kNumbers.size())
                                    ? keys[size_t(i)].tails[size_t(field)]
                                    : PhoneMatch::tailNumber(numbers[size_t(i)][size_t(field)]);
            if (tail >= 0) {
                tails.push_back({tail, i, field});
                hasNumber[size_t(i)] = true;
            }
        }
    std::sort(tails.begin(), tails.end(), [](const Tail& x, const Tail& y) { return x.tail < y.tail; });
    auto shareANumber = [&](int a, int b) {
        for (const QString& na : numbers[size_t(a)])
            for (const QString& nb : numbers[size_t(b)])
                if (phones.same(na, nb))
                    return true;
        return false;
    };
    for (size_t x = 0; x < tails.size(); ++x)
        for (size_t y = x + 1; y < tails.size() && tails[y].tail == tails[x].tail; ++y) {
            const QString& first = numbers[size_t(tails[x].contact)][size_t(tails[x].field)];
            if (allowed(tails[x].contact, tails[y].contact) &&
                phones.same(first, numbers[size_t(tails[y].contact)][size_t(tails[y].field)]))
                groups.join(tails[x].contact, tails[y].contact, Reason::SameNumber, first);
        }

    // The same e-mail address, whatever its case.
    forEachSameKey(
        emails.size(), [&emails](size_t i) -> const QString& { return emails[i].first; },
        [&](const std::vector<int>& same) {
            const int a = emails[size_t(same[0])].second;
            for (size_t x = 1; x < same.size(); ++x)
                if (allowed(a, emails[size_t(same[x])].second))
                    groups.join(a, emails[size_t(same[x])].second, Reason::SameEmail, emails[size_t(same[0])].first);
        });

    // Names: not when the two plainly are two people.
    auto twoPeople = [&](int a, int b) {
        const QString& emailA = keys[size_t(a)].email;
        const QString& emailB = keys[size_t(b)].email;
        if (!emailA.isEmpty() && !emailB.isEmpty() && emailA != emailB)
            return true;
        return hasNumber[size_t(a)] && hasNumber[size_t(b)] && !shareANumber(a, b);
    };
    forEachSameKey(
        keys.size(), [&keys](size_t i) -> const QString& { return keys[i].folded; },
        [&](const std::vector<int>& same) {
            for (size_t x = 0; x < same.size(); ++x)
                for (size_t y = x + 1; y < same.size(); ++y)
                    if (allowed(same[x], same[y]) && !twoPeople(same[x], same[y]))
                        groups.join(same[x], same[y], Reason::SameName, QString());
        });
    forEachSameKey(
        keys.size(), [&keys](size_t i) -> const QString& { return keys[i].sound; },
        [&](const std::vector<int>& alike) {
            for (size_t x = 0; x < alike.size(); ++x)
                for (size_t y = x + 1; y < alike.size(); ++y) {
                    const QByteArray& a = keys[size_t(alike[x])].soundKey;
                    const QByteArray& b = keys[size_t(alike[y])].soundKey;
                    if (allowed(alike[x], alike[y]) && SoundKey::matches(a, b) && SoundKey::matches(b, a) &&
                        !twoPeople(alike[x], alike[y]))
                        groups.join(alike[x], alike[y], Reason::SoundAlike, QString());
                }
        });

    std::map<int, Group> byRoot;
    for (int i = 0; i < count; ++i)
        if (groups.joined(i)) {
            const int root = groups.root(i);
            Group& group = byRoot[root];
            group.members.push_back(i);
            group.reason = groups.reason(root);
            group.shared = groups.shared(root);
        }
    std::vector<Group> found;
    for (auto& [root, group] : byRoot)
        if (group.members.size() > 1)
            found.push_back(std::move(group));
    std::stable_sort(found.begin(), found.end(), [](const Group& a, const Group& b) { return a.reason < b.reason; });
    return found;
}

int DuplicateFinder::countLikelyDuplicates(const std::function<bool(const Visitor&)>& readBook,
                                           const std::vector<ContactFields>& added) const
{
    if (added.empty())
        return 0;
    QSet<qint64> tails;
    QSet<QString> words; // e-mails, folded names and sounds, each marked by its kind
    QSet<QString> addedNames;
    for (const ContactFields& contact : added) {
        const MatchKeys keys(contact);
        for (const qint64 tail : keys.tails)
            if (tail >= 0)
                tails.insert(tail);
        for (const QString& word :
             {QLatin1Char('e') + keys.email, QLatin1Char('f') + keys.folded, QLatin1Char('s') + keys.sound})
            if (word.size() > 1)
                words.insert(word);
        addedNames.insert(contact.name);
    }
    std::vector<ContactFields> contacts;
    const bool read = readBook([&](const ContactFields& contact) {
        if (addedNames.contains(contact.name))
            return;
        const MatchKeys keys(contact);
        bool shares = std::any_of(keys.tails.begin(), keys.tails.end(),
                                  [&tails](qint64 tail) { return tail >= 0 && tails.contains(tail); });
        shares = shares || (!keys.email.isEmpty() && words.contains(QLatin1Char('e') + keys.email)) ||
                 words.contains(QLatin1Char('f') + keys.folded) ||
                 (!keys.sound.isEmpty() && words.contains(QLatin1Char('s') + keys.sound));
        if (shares)
            contacts.push_back(contact);
    });
    if (!read)
        return 0;
    const int before = int(contacts.size());
    contacts.insert(contacts.end(), added.begin(), added.end());
    int count = 0;
    for (const Group& group : find(contacts)) {
        const bool withBook =
            std::any_of(group.members.begin(), group.members.end(), [before](int member) { return member < before; });
        if (withBook)
            count += int(std::count_if(group.members.begin(), group.members.end(),
                                       [before](int member) { return member >= before; }));
    }
    return count;
}

int DuplicateFinder::countInBook(DataConnection& connection, const std::vector<ContactFields>& added,
                                 const QString& dir)
{
    QList<Directory> directories;
    if (added.empty() || !DirectoryStore(connection).unlocked(directories))
        return 0;
    qint64 total = 0;
    if (!ContactStore(connection).countAll(total))
        return 0;
    if (total > kLargestBookChecked)
        return -1;
    QSet<QString> codes;
    for (const Directory& directory : std::as_const(directories))
        codes.insert(directory.code);
    if (!dir.isEmpty())
        codes.insert(dir);
    ContactStore store(connection);
    auto readBook = [&](const Visitor& visit) {
        for (const QString& code : std::as_const(codes))
            if (!store.readNamesAndNumbers(code, [&visit](qint64, const ContactFields& contact) { visit(contact); }))
                return false;
        return true;
    };
    return DuplicateFinder(PhoneMatch::preferredRegion()).countLikelyDuplicates(readBook, added);
}
